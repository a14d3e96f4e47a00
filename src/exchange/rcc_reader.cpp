#include "exchange/rcc_reader.h"

#include "model/command_results.h"
#include "model/paths.h"
#include "model/string_helpers.h"

#include <cerrno>
#include <cstdio>
#include <initializer_list>

namespace kestro {

namespace {

enum class LineRead { Line, End, TooLong };

// One line without its line end (LF, or CR LF). A last line without a line
// end still counts; only a read that finds nothing at all is the end.
LineRead ReadLine(std::istream& file, std::string& line)
{
    using Traits = std::char_traits<char>;
    line.clear();
    std::streambuf* buffer = file.rdbuf();
    if (!buffer)
        return LineRead::End;
    bool readAny = false;
    for (;;) {
        const Traits::int_type c = buffer->sbumpc();
        if (Traits::eq_int_type(c, Traits::eof())) {
            file.setstate(std::ios::eofbit);
            if (!readAny)
                return LineRead::End;
            break;
        }
        readAny = true;
        if (Traits::to_char_type(c) == '\n')
            break;
        if (line.size() >= MaxCommandFileLine)
            return LineRead::TooLong;
        line.push_back(Traits::to_char_type(c));
    }
    if (!line.empty() && line.back() == '\r')
        line.pop_back();
    return LineRead::Line;
}

void Report(const std::string& text)
{
    CommandResults::instance().AppendResults(text);
}

void ReportLineTooLong()
{
    Report("RCS command file error: a line is longer than " + std::to_string(MaxCommandFileLine) + " bytes\r\n");
}

bool IsWhiteSpace(char c)
{
    return c == ' ' || c == '\t' || c == '\r' || c == '\n' || c == '\v' || c == '\f';
}

// rlog's rows between revisions (28 "-") and after the last one (77 "=").
bool IsSeparatorRow(const std::string& line)
{
    static const std::string dashes(28, '-');
    static const std::string equals(28, '=');
    const std::size_t dash = line.find(dashes);
    if (dash != std::string::npos)
        return dash == 0;
    return line.compare(0, equals.size(), equals) == 0;
}

// The cause codes of the "File error" message, as the writer of the command
// file reports them.
int CauseOf(int errorNumber)
{
    switch (errorNumber) {
    case ENOENT:
        return 2;
    case ENOTDIR:
    case ENAMETOOLONG:
    case EISDIR:
        return 3;
    case EMFILE:
    case ENFILE:
        return 4;
    case EACCES:
    case EPERM:
    case EROFS:
        return 5;
    case EIO:
        return 10;
    default:
        return 1;
    }
}

} // namespace

int ReadCommandLine(std::istream& file, std::string& keyword, std::string& argument1, std::string& argument2,
                    std::string& argument3)
{
    std::string line;
    switch (ReadLine(file, line)) {
    case LineRead::End:
        return -1;
    case LineRead::TooLong:
        ReportLineTooLong();
        return 0;
    case LineRead::Line:
        break;
    }
    if (line.empty()) {
        Report("Import file error - blank line\r\n");
        return 0;
    }
    int position = 0;
    for (std::string* token : {&keyword, &argument1, &argument2, &argument3}) {
        if (!ReadToken(position, line, *token)) {
            Report("RCS command file error:" + line + "\r\n");
            return 0;
        }
    }
    return 1;
}

bool ReadToken(int& position, const std::string& line, std::string& token)
{
    token.clear();
    if (position < 0)
        return false;
    std::size_t at = static_cast<std::size_t>(position);
    while (at < line.size() && IsWhiteSpace(line[at]))
        ++at;
    if (at >= line.size()) {
        position = static_cast<int>(line.size());
        return false;
    }
    if (line[at] == '"') {
        for (++at; at < line.size(); ++at) {
            if (line[at] != '"') {
                token += line[at];
            } else if (at + 1 < line.size() && line[at + 1] == '"') {
                token += '"';
                ++at;
            } else {
                ++at;
                break;
            }
        }
    } else {
        // A tab belongs to an unquoted token; only a blank or a line end
        // ends it.
        while (at < line.size() && line[at] != ' ' && line[at] != '\r' && line[at] != '\n')
            token += line[at++];
        if (at < line.size())
            ++at;
    }
    position = static_cast<int>(at);
    return !token.empty();
}

bool ReadLogMessage(std::istream& file, std::string& message)
{
    // 0 after a separator row, 1 after "revision ", 2 after "date: ",
    // 3 after "branches: ", 4 within the log text.
    int state = 0;
    message.clear();
    std::string line;
    for (;;) {
        switch (ReadLine(file, line)) {
        case LineRead::End:
            Report("RCS command file - Unexpected EOF\r\n");
            return false;
        case LineRead::TooLong:
            ReportLineTooLong();
            return false;
        case LineRead::Line:
            break;
        }
        if (line == ".")
            return true;
        if (IsSeparatorRow(line)) {
            state = 0;
        } else if (state == 0 && line.starts_with("revision ")) {
            state = 1;
        } else if (state == 1 && line.starts_with("date: ")) {
            state = 2;
        } else if (state == 2 && line.starts_with("branches: ")) {
            state = 3;
        } else {
            // The writer sends a log line holding only "." as " ." so that
            // it cannot end the block.
            message += line == " ." ? std::string(".") : line;
            message += "\r\n";
            state = 4;
        }
    }
}

bool ReadCommandEntries(std::istream& file, std::vector<CommandFileEntry>& entries)
{
    for (;;) {
        CommandFileEntry entry;
        const int read = ReadCommandLine(file, entry.keyword, entry.base, entry.revision, entry.fileName);
        if (read < 0)
            return true;
        if (read == 0)
            return false;
        if (entry.keyword != "FILE" && entry.keyword != "DIFF" && entry.keyword != "DELE") {
            Report("Import file - unexpected command:" + entry.keyword + "\r\n");
            return false;
        }
        if (entry.keyword != "DELE" && !ReadLogMessage(file, entry.logMessage))
            return false;
        entries.push_back(std::move(entry));
    }
}

std::string UnsafeFileNameReason(std::string_view name)
{
    if (std::string reason = UnsafeRelativePathReason(name); !reason.empty())
        return reason;
    std::size_t start = 0;
    for (std::size_t end = name.find_first_of("\\/"); end != std::string_view::npos;
         start = end + 1, end = name.find_first_of("\\/", start)) {
        if (EqualsNoCase(name.substr(start, end - start), "RCS"))
            return "the name lies in an RCS directory";
    }
    const std::string_view last = name.substr(start);
    if (last.size() > 2 && last.ends_with(",v"))
        return "the name is that of an RCS file";
    return {};
}

bool IsAcceptableEmailAddress(std::string_view address)
{
    static constexpr std::string_view refused = "\"'`$&|;<>()\\*?[]{}!#~^";
    for (const char c : address) {
        const auto byte = static_cast<unsigned char>(c);
        if (byte <= 0x20 || byte >= 0x7F || refused.find(c) != std::string_view::npos)
            return false;
    }
    return true;
}

std::string FileErrorMessage(int errorNumber, const std::string& path)
{
    char text[64];
    std::snprintf(text, sizeof text, "File error %d (%ld) : file ", CauseOf(errorNumber),
                  static_cast<long>(errorNumber));
    return text + path + "\r\n";
}

} // namespace kestro
