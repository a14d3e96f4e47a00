#include "rcs/command_runner.h"

#include "model/command_results.h"
#include "model/options.h"
#include "model/string_helpers.h"
#include "rcs/rcs_programs.h"

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <chrono>
#include <condition_variable>
#include <csignal>
#include <cstdint>
#include <mutex>
#include <string_view>
#include <vector>

#include <fcntl.h>
#include <stdlib.h>
#include <spawn.h>
#include <sys/stat.h>
#include <sys/types.h>
#include <sys/wait.h>
#include <unistd.h>

extern char** environ;

namespace kestro {
namespace {

// How long a program may take to end after SIGTERM before it is killed.
constexpr std::chrono::seconds kTerminateGrace(2);

// One run at a time: runs share the child bookkeeping below.
std::mutex runMutex;

// The program RunCommand is waiting for. The pid is cleared once the program
// has ended but before it is reaped, so a stop never signals a pid that the
// system may already have given to another process.
std::mutex childMutex;
std::condition_variable childEnded;
pid_t runningChild = 0;
std::uint64_t runNumber = 0;  // tells one run's program from the next
std::uint64_t stoppedRun = 0;  // the run whose program was asked to stop

// The directory scratch files go to: TMPDIR as the user set it. A place that
// does not work is reported, never silently replaced by another.
std::string ScratchBase()
{
    const char* temporary = std::getenv("TMPDIR");
    return temporary && *temporary ? temporary : "/tmp";
}

// The process's own directory for scratch files, made once: mode 0700 with
// an unpredictable name, so no other user or process can plant a file or a
// link there. Two programs working in one project directory therefore never
// share a program's input or output.
class ScratchDirectory {
public:
    static ScratchDirectory& instance()
    {
        static ScratchDirectory directory;
        return directory;
    }
    ~ScratchDirectory()
    {
        if (!path_.empty())
            ::rmdir(path_.c_str());
    }
    // The directory, or empty with the reason in error when it cannot be made.
    const std::string& path(std::string& error)
    {
        if (path_.empty()) {
            const std::string base = ScratchBase();
            std::string pattern = base + "/kestro-XXXXXX";
            if (::mkdtemp(pattern.data()) != nullptr)
                path_ = pattern;
            else
                error = "Cannot create a scratch directory in " + base + ": " + std::strerror(errno);
        }
        return path_;
    }

private:
    std::string path_;
};

// Every descriptor is close-on-exec: the child gets them only through the
// dup2 onto its standard handles, and programs that other threads start never
// inherit them. The file is made anew (never through a link) and has no name,
// or loses it at once, so nothing is left behind however the run ends. A file
// without a name from the start needs no private directory, whose making
// costs more than a small command's whole run on some file systems.
int OpenScratchFile(const char* role, std::string& error)
{
    const int unnamed = ::open(ScratchBase().c_str(), O_TMPFILE | O_RDWR | O_CLOEXEC, 0600);
    if (unnamed >= 0)
        return unnamed;
    const std::string& directory = ScratchDirectory::instance().path(error);
    if (directory.empty())
        return -1;
    std::string name = directory + "/" + role + "-XXXXXX";
    const int fd = ::mkostemp(name.data(), O_CLOEXEC);
    if (fd < 0) {
        error = "Cannot create scratch file " + name + ": " + std::strerror(errno);
        return -1;
    }
    ::unlink(name.c_str());
    return fd;
}

int OpenRedirection(const std::string& name, bool append)
{
    const int mode = append ? O_CREAT | O_APPEND : O_CREAT | O_EXCL;
    return ::open(name.c_str(), O_RDWR | O_CLOEXEC | mode, 0666);
}

bool WriteAll(int fd, std::string_view text)
{
    while (!text.empty()) {
        const ssize_t written = ::write(fd, text.data(), text.size());
        if (written < 0) {
            if (errno == EINTR)
                continue;
            return false;
        }
        text.remove_prefix(static_cast<std::size_t>(written));
    }
    return true;
}

// This process's environment with the child's own TZ and LC_ALL, so that the
// programs' output reads the same everywhere.
std::vector<std::string> ChildEnvironment()
{
    const std::string& timeZone = RCSOptions::instance().childTimeZone;
    std::vector<std::string> environment;
    for (char** entry = environ; *entry != nullptr; ++entry) {
        const std::string_view variable(*entry);
        if (variable.starts_with("LC_ALL=") || (!timeZone.empty() && variable.starts_with("TZ=")))
            continue;
        environment.emplace_back(variable);
    }
    if (!timeZone.empty())
        environment.push_back("TZ=" + timeZone);
    environment.push_back("LC_ALL=C");
    return environment;
}

std::vector<char*> NullTerminated(std::vector<std::string>& strings)
{
    std::vector<char*> pointers;
    pointers.reserve(strings.size() + 1);
    for (std::string& s : strings)
        pointers.push_back(s.data());
    pointers.push_back(nullptr);
    return pointers;
}

// Starts the program named by the first argument, found on PATH; returns its
// pid, or -1 with the reason in failure when it cannot be started.
pid_t Start(std::vector<std::string>& arguments, int input, int output, int error, int& failure)
{
    std::vector<std::string> environment = ChildEnvironment();
    const std::vector<char*> argv = NullTerminated(arguments);
    const std::vector<char*> envp = NullTerminated(environment);

    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_adddup2(&actions, input, STDIN_FILENO);
    posix_spawn_file_actions_adddup2(&actions, output, STDOUT_FILENO);
    posix_spawn_file_actions_adddup2(&actions, error, STDERR_FILENO);

    // The calling thread's blocked signals, or a SIGPIPE ignored by this
    // process, must not change how the program behaves.
    posix_spawnattr_t attributes;
    posix_spawnattr_init(&attributes);
    sigset_t signals;
    sigemptyset(&signals);
    posix_spawnattr_setsigmask(&attributes, &signals);
    sigaddset(&signals, SIGPIPE);
    posix_spawnattr_setsigdefault(&attributes, &signals);
    posix_spawnattr_setflags(&attributes, POSIX_SPAWN_SETSIGMASK | POSIX_SPAWN_SETSIGDEF);

    pid_t pid = -1;
    failure = posix_spawnp(&pid, argv[0], &actions, &attributes, argv.data(), envp.data());
    posix_spawnattr_destroy(&attributes);
    posix_spawn_file_actions_destroy(&actions);
    return failure != 0 ? -1 : pid;
}

// Waits for the program to end and returns its exit code, or 128 + the
// signal that ended it.
int WaitForEnd(pid_t pid)
{
    // Wait for the end without reaping, then forget the pid, then reap.
    siginfo_t info;
    while (::waitid(P_PID, static_cast<id_t>(pid), &info, WEXITED | WNOWAIT) == -1 && errno == EINTR) {
    }
    {
        std::lock_guard lock(childMutex);
        runningChild = 0;
    }
    childEnded.notify_all();

    int status = 0;
    pid_t reaped;
    while ((reaped = ::waitpid(pid, &status, 0)) == -1 && errno == EINTR) {
    }
    if (reaped != pid)
        return -1;
    if (WIFEXITED(status))
        return WEXITSTATUS(status);
    if (WIFSIGNALED(status))
        return 128 + WTERMSIG(status);
    return -1;
}

// Runs the program to its end and leaves its standard output and error in
// kept; output receives the reason instead when it cannot run, and stopped
// tells whether the user stopped it. The caller holds runMutex.
int RunKeepingOutput(CommandOutput& kept, std::string& output, bool& stopped, const std::string& commandLine,
                     const std::string& input, bool echo, const std::string& redirectFile, bool append)
{
    stopped = false;
    std::vector<std::string> arguments = SplitCommandLine(commandLine);
    if (arguments.empty())
        return -1;
    // "co ..." becomes "rcs co ..." where co only wraps rcs; the echo shows it.
    std::string shownLine = commandLine;
    if (DirectProgram(arguments.front()) != arguments.front()) {
        arguments.insert(arguments.begin(), "rcs");
        shownLine = "rcs " + commandLine;
    }

    CommandResults& results = CommandResults::instance();
    if (echo) {
        std::string line = shownLine;
        if (!redirectFile.empty())
            line += (append ? " >>" : " >") + redirectFile;
        results.AppendResults(line + "\r\n");
    }

    // Whatever stops the program from running is said in the results, naming
    // the file or program, so a failure is never just the echoed line.
    const auto cannot = [&](const std::string& reason) {
        output = reason;
        results.AppendResults(reason + "\r\n");
        return -1;
    };
    std::string error;
    const Descriptor in(OpenScratchFile("in", error));
    if (!in.valid())
        return cannot(error);
    Descriptor out(OpenScratchFile("out", error));
    if (!out.valid())
        return cannot(error);
    const bool redirecting = !redirectFile.empty();
    const Descriptor redirect(redirecting ? OpenRedirection(redirectFile, append) : -1);
    if (redirecting && !redirect.valid()) {
        if (echo)
            results.AppendResults("Cannot create " + redirectFile + "\r\n");
        return -1;
    }
    if (!WriteAll(in.get(), input) || ::lseek(in.get(), 0, SEEK_SET) != 0)
        return cannot(std::string("Cannot write the program's input: ") + std::strerror(errno));

    pid_t pid;
    {
        // Started and recorded in one step, so that a stop issued as soon
        // as the program runs finds it.
        std::lock_guard lock(childMutex);
        int failure = 0;
        pid = Start(arguments, in.get(), redirecting ? redirect.get() : out.get(), out.get(), failure);
        if (pid < 0)
            return cannot("Cannot run " + arguments.front() + ": " + std::strerror(failure));
        runningChild = pid;
        ++runNumber;
    }
    const std::uint64_t thisRun = runNumber;
    const int result = WaitForEnd(pid);
    kept.file = std::move(out);
    std::lock_guard lock(childMutex);
    stopped = stoppedRun == thisRun;
    return result;
}

} // namespace

Descriptor::~Descriptor()
{
    if (fd_ >= 0)
        ::close(fd_);
}

Descriptor& Descriptor::operator=(Descriptor&& other) noexcept
{
    if (this != &other) {
        if (fd_ >= 0)
            ::close(fd_);
        fd_ = std::exchange(other.fd_, -1);
    }
    return *this;
}

std::string CommandOutput::Read() const
{
    std::string text;
    const int fd = file.get();
    if (fd < 0 || ::lseek(fd, 0, SEEK_SET) != 0)
        return text;
    // The output of an rlog over thousands of files runs to megabytes: read
    // into room made once rather than grown chunk by chunk.
    struct stat status {};
    if (::fstat(fd, &status) == 0 && status.st_size > 0)
        text.reserve(static_cast<std::size_t>(status.st_size));
    char buffer[65536];
    for (;;) {
        const ssize_t got = ::read(fd, buffer, sizeof buffer);
        if (got < 0 && errno == EINTR)
            continue;
        if (got <= 0)
            return text;
        text.append(buffer, static_cast<std::size_t>(got));
    }
}

int RunCommand(std::string& output, const std::string& commandLine, const std::string& input, bool echo,
               const std::string& redirectFile, bool append)
{
    output.clear();
    std::lock_guard run(runMutex);
    CommandOutput kept;
    bool stopped = false;
    const int result = RunKeepingOutput(kept, output, stopped, commandLine, input, echo, redirectFile, append);
    if (kept.file.valid()) {
        output = kept.Read();
        if (echo)
            CommandResults::instance().AppendResults(output + "\r\n");
    }
    // Said whether or not the run echoes: the user asked for it.
    if (stopped)
        CommandResults::instance().AppendResults("Stopped\r\n");
    return result;
}

int RunCommandKeepingOutput(CommandOutput& output, const std::string& commandLine)
{
    output.file = Descriptor();
    std::lock_guard run(runMutex);
    std::string reason;
    bool stopped = false;
    const int result = RunKeepingOutput(output, reason, stopped, commandLine, std::string(), false, std::string(), false);
    if (stopped)
        CommandResults::instance().AppendResults("Stopped\r\n");
    return result;
}

void StopRunningProgram()
{
    std::unique_lock lock(childMutex);
    if (runningChild == 0)
        return;
    const pid_t pid = runningChild;
    const std::uint64_t run = runNumber;
    stoppedRun = run;
    ::kill(pid, SIGTERM);
    // The wait gives the lock up, so RunCommand can record the end; a
    // program that ignores SIGTERM is killed when the grace time is over.
    const bool ended = childEnded.wait_for(lock, kTerminateGrace,
                                           [&] { return runningChild == 0 || runNumber != run; });
    if (!ended)
        ::kill(pid, SIGKILL);
}

} // namespace kestro
