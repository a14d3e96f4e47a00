#pragma once

// Reading the RCC command file that another site's send wrote (its layout is
// described in sites/rcc_writer.h). Everything here only parses text: what
// is wrong is reported in the command results in the words users know, and
// no program is run and nothing is changed.
//
// Lines may end in CR LF or LF. A line longer than MaxCommandFileLine bytes
// ends the read as damaged, so a file without line ends cannot make the
// reader hold it all as one line.

#include <cstddef>
#include <istream>
#include <string>
#include <string_view>
#include <vector>

namespace kestro {

constexpr std::size_t MaxCommandFileLine = 1 << 20;

// One FILE, DIFF or DELE line and, for FILE and DIFF, its log message.
struct CommandFileEntry {
    std::string keyword;
    std::string base;
    std::string revision;
    std::string fileName;
    std::string logMessage;
};

// Reads one command line: 1 when a line was read, -1 at the end of the file,
// 0 on an error, which has been reported.
int ReadCommandLine(std::istream& file, std::string& keyword, std::string& argument1, std::string& argument2,
                    std::string& argument3);

// Reads the next blank-separated token of the line from position, which it
// moves past it. A quoted token may hold blanks, with "" standing for one
// double quote. False when there is no token there or it is empty.
bool ReadToken(int& position, const std::string& line, std::string& token);

// Reads a log block up to its "." line. The message keeps the log text of
// every revision in it, each line ended by CR LF, without rlog's separator
// rows and revision headers. False (reported) at the end of the file.
bool ReadLogMessage(std::istream& file, std::string& message);

// Reads the FILE, DIFF and DELE lines that follow the SITE line, to the end
// of the file. False (reported) on a damaged line or an unknown keyword.
bool ReadCommandEntries(std::istream& file, std::vector<CommandFileEntry>& entries);

// Why a file name taken from a command file must not be written to; empty
// when it names a file below the working directory that is not RCS data.
// Names use "\" or "/" between directories.
std::string UnsafeFileNameReason(std::string_view name);

// Whether an e-mail address taken from a command file may be kept: it later
// fills "%m" in send commands, so it may hold no blank, quote or character
// that a shell would act on.
bool IsAcceptableEmailAddress(std::string_view address);

// "File error %d (%ld) : file %s\r\n" for a failed file operation.
std::string FileErrorMessage(int errorNumber, const std::string& path);

} // namespace kestro
