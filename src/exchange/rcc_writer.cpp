#include "exchange/rcc_writer.h"

#include "model/command_results.h"
#include "model/string_helpers.h"

#include <cerrno>

namespace kestro {

namespace {

// The cause codes of the "File error" message, which gives the system's own
// error number beside them.
enum FileErrorCause {
    GenericError = 1,
    FileNotFound = 2,
    BadPath = 3,
    TooManyOpenFiles = 4,
    AccessDenied = 5,
    HardIO = 10,
    DiskFull = 13,
};

int CauseOf(int errorNumber)
{
    switch (errorNumber) {
    case ENOENT:
        return FileNotFound;
    case ENOTDIR:
    case ENAMETOOLONG:
    case EISDIR:
        return BadPath;
    case EMFILE:
    case ENFILE:
        return TooManyOpenFiles;
    case EACCES:
    case EPERM:
    case EROFS:
        return AccessDenied;
    case EIO:
        return HardIO;
    case ENOSPC:
    case EDQUOT:
        return DiskFull;
    default:
        return GenericError;
    }
}

} // namespace

std::string RevisionSubdirectory(const std::string& name, int n)
{
    if (n <= 0)
        return name;
    const std::size_t slash = name.rfind('\\');
    const std::string subdirectory = "RCS-" + std::to_string(n) + "\\";
    if (slash == std::string::npos)
        return subdirectory + name;
    return name.substr(0, slash + 1) + subdirectory + name.substr(slash + 1);
}

std::string LogBlock(std::string_view rlogOutput)
{
    std::size_t start = rlogOutput.find(std::string(28, '-'));
    if (start == std::string_view::npos)
        start = rlogOutput.find(std::string(28, '='));
    std::string block;
    if (start != std::string_view::npos) {
        std::string text(rlogOutput.substr(start));
        ReplaceAll(text, "\r\n", "\n");
        if (text.back() != '\n')
            text += '\n';
        for (std::size_t begin = 0; begin < text.size();) {
            const std::size_t end = text.find('\n', begin) + 1;
            const std::string_view line(text.data() + begin, end - begin);
            block += line == ".\n" ? std::string_view(" .\n") : line;
            begin = end;
        }
    }
    return block + ".\n";
}

CommandFile::~CommandFile()
{
    if (file_)
        std::fclose(file_);
}

bool CommandFile::Open(const std::string& filePath)
{
    path_ = filePath;
    failed_ = false;
    file_ = std::fopen(filePath.c_str(), "wb");
    return file_ ? true : Fail(errno);
}

bool CommandFile::Write(std::string_view text)
{
    if (failed_ || !file_)
        return false;
    std::string bytes(text);
    ReplaceAll(bytes, "\n", "\r\n");
    errno = 0;
    if (std::fwrite(bytes.data(), 1, bytes.size(), file_) != bytes.size())
        return Fail(errno);
    return true;
}

bool CommandFile::Close()
{
    if (!file_)
        return !failed_;
    errno = 0;
    const bool closed = std::fclose(file_) == 0;
    file_ = nullptr;
    if (!closed && !failed_)
        return Fail(errno);
    return !failed_;
}

bool CommandFile::Fail(int errorNumber)
{
    if (!failed_) {
        failed_ = true;
        char message[64];
        std::snprintf(message, sizeof message, "File error %d (%ld) : file ", CauseOf(errorNumber),
                      static_cast<long>(errorNumber));
        CommandResults::instance().AppendResults(message + path_ + "\r\n");
    }
    return false;
}

bool WriteCommandLine(CommandFile& file, std::string_view keyword, std::string_view argument1,
                      std::string_view argument2, std::string_view argument3)
{
    std::string line(keyword);
    for (const std::string_view argument : {argument1, argument2, argument3}) {
        // The file is read a line at a time: a line break inside an argument
        // would let a name forge command lines of its own.
        if (argument.find_first_of("\r\n") != std::string_view::npos) {
            CommandResults::instance().AppendResults("Cannot write " + std::string(keyword) + " line to "
                                                     + file.path() + ": an argument holds a line break\r\n");
            return false;
        }
        AppendArgument(line, argument.empty() ? std::string_view("-") : argument);
    }
    return file.Write(line + "\n");
}

} // namespace kestro
