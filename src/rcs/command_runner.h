#pragma once

// Runs an outside program to completion on the calling thread. Its standard
// input comes from a scratch file and its standard error (and standard
// output, unless redirected to a file) goes to another. Both live in a
// directory of this process's own below the system's temporary directory
// (mode 0700) and are unlinked as soon as they are open, so two programs
// working in one project never read each other's input or output, and
// nothing is left in the project directory.
//
// The command line is split into arguments by SplitCommandLine, the inverse
// of AppendArgument, and the program is started directly, found on PATH:
// never through a shell, so no file, site or release name can run a command.
// The child alone gets TZ (the options' childTimeZone) and LC_ALL=C, so that
// its output reads the same everywhere; this process's environment is left
// alone.

#include <string>
#include <utility>

namespace kestro {

// Returns the program's exit code, or -1 when the command line is empty, a
// scratch file or the redirection file cannot be created or the program
// cannot be started; but for the redirection file, which the caller named,
// output and the command results then say which file or program and why. A program ended by a signal gives 128 + the signal
// number. output receives the whole of the output file after the program has
// ended. Runs never overlap: a second caller
// waits for the first. With echo, the command line (with " >", or " >>" when
// appending, + the redirection file when there is one) and then
// the output, each followed by "\r\n", go into the command results. A
// redirection file must not exist yet ("Cannot create " + name in the
// results when it does); with append it is opened at its end instead.
int RunCommand(std::string& output, const std::string& commandLine, const std::string& input, bool echo,
               const std::string& redirectFile = std::string(), bool append = false);

// An open file descriptor, closed when it goes.
class Descriptor {
public:
    explicit Descriptor(int fd = -1) : fd_(fd) {}
    ~Descriptor();
    Descriptor(Descriptor&& other) noexcept : fd_(std::exchange(other.fd_, -1)) {}
    Descriptor& operator=(Descriptor&& other) noexcept;
    Descriptor(const Descriptor&) = delete;
    Descriptor& operator=(const Descriptor&) = delete;

    int get() const { return fd_; }
    bool valid() const { return fd_ >= 0; }

private:
    int fd_;
};

// A finished program's standard output and error, kept in their unnamed
// scratch file until read: a caller can start the next program before it
// reads what the last one wrote.
struct CommandOutput {
    Descriptor file;  // invalid when the program did not run

    // The whole output; empty when none is kept.
    std::string Read() const;
};

// As RunCommand without input, echo or redirection, leaving the output in
// output. Runs never overlap, but reading a kept output may.
int RunCommandKeepingOutput(CommandOutput& output, const std::string& commandLine);

// Ends the program that RunCommand is waiting for, if any; RunCommand then
// returns as for any program ended by a signal. The program gets SIGTERM, so
// that it can clean up (the RCS programs remove their lock files), and
// SIGKILL when it has not ended two seconds later; the call returns when the
// program has ended or been killed. Safe from any thread.
void StopRunningProgram();

} // namespace kestro
