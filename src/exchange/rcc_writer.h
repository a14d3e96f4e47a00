#pragma once

// Writing the RCC command file that carries a release to another site.
//
// Every line ends in CR LF, on every platform, so that the files of all
// sites look the same. The file is a series of command lines:
//
//   KEYW arg1 arg2 arg3
//
// a keyword of four capital letters and exactly three arguments, each after
// one blank and quoted by the AppendArgument rule; an absent (empty) value is
// written as "-", since a reader rejects empty arguments. In order:
//
//   RCS1 original-release|- release-sent project-name
//   SITE sending-site sending-site-email|- destination-site
//   FILE|DIFF base-revision|- revision file-name     (then a log block)
//   ...
//   DELE revision - file-name
//
// A log block is rlog's output from the first row of 28 "-" (else of 28 "=")
// to its end, then a line holding only "."; a line of the log that holds
// only "." is written as " ." so that it cannot end the block early.
//
// The revision file of a FILE or DIFF line lies below the command file at
// RevisionSubdirectory(file-name, n), n counting the earlier entries of the
// same file in the command file.

#include <cstdio>
#include <string>
#include <string_view>

namespace kestro {

// "src\lex.c" for n = 0; "src\RCS-1\lex.c" for n = 1; "RCS-2\main.c" for a
// name without a directory and n = 2. Names use "\" as in the model.
std::string RevisionSubdirectory(const std::string& name, int n);

// The log block for rlog's output, with "\n" line ends (CommandFile turns
// them into CR LF).
std::string LogBlock(std::string_view rlogOutput);

// The command file being written. Any failure to create or write it is
// reported once as "File error ..." in the command results and makes every
// later call fail.
class CommandFile {
public:
    CommandFile() = default;
    ~CommandFile();
    CommandFile(const CommandFile&) = delete;
    CommandFile& operator=(const CommandFile&) = delete;

    // Creates the file, replacing an existing one.
    bool Open(const std::string& filePath);
    // Writes text, turning every "\n" into CR LF.
    bool Write(std::string_view text);
    bool Close();
    const std::string& path() const { return path_; }

private:
    bool Fail(int errorNumber);

    std::FILE* file_ = nullptr;
    std::string path_;
    bool failed_ = false;
};

bool WriteCommandLine(CommandFile& file, std::string_view keyword, std::string_view argument1,
                      std::string_view argument2, std::string_view argument3);

} // namespace kestro
