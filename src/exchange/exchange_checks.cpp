#include "exchange/exchange_checks.h"

#include "exchange/rcc_reader.h"
#include "model/paths.h"
#include "model/string_helpers.h"

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <system_error>
#include <vector>

#include <sys/stat.h>

namespace kestro {

namespace fs = std::filesystem;

namespace {

bool EndsWithNoCase(std::string_view text, std::string_view suffix)
{
    return text.size() >= suffix.size() && EqualsNoCase(text.substr(text.size() - suffix.size()), suffix);
}

std::string WhatItIs(mode_t mode)
{
    if (S_ISLNK(mode))
        return "a symbolic link";
    if (S_ISFIFO(mode))
        return "a FIFO";
    if (S_ISCHR(mode) || S_ISBLK(mode))
        return "a device";
    if (S_ISSOCK(mode))
        return "a socket";
    if (S_ISDIR(mode))
        return "a directory";
    return "not a regular file";
}

} // namespace

std::string ForbiddenTargetReason(const ProjectPlaces& places, std::string_view name)
{
    if (std::string reason = UnsafeFileNameReason(name); !reason.empty())
        return reason;
    std::string_view last;
    for (std::size_t start = 0; start <= name.size();) {
        const std::size_t end = std::min(name.find_first_of("\\/", start), name.size());
        last = name.substr(start, end - start);
        if (last.front() == '.')
            return "a part of the name begins with \".\"";
        if (EqualsNoCase(last, "RCSSites"))
            return "the name lies in the RCSSites send area";
        start = end + 1;
    }
    if (EndsWithNoCase(last, ".rcs") || EndsWithNoCase(last, ".rcs.lock"))
        return "the name is that of a project file or its lock file";
    if (EqualsNoCase(last, "Kestro.IN") || EqualsNoCase(last, "Kestro.OUT"))
        return "the name is that of the program's scratch file";
    const std::string target = places.workingDirectory + NativePath(name);
    if (!places.projectFile.empty() && FullPath(target) == places.projectFile)
        return "the name is that of the project file";
    // The copy writes through the target; what is there must be a plain file
    // reached without leaving the working directory.
    struct stat info {};
    if (::lstat(target.c_str(), &info) == 0 && !S_ISREG(info.st_mode))
        return "the working file is " + WhatItIs(info.st_mode);
    std::error_code error;
    const std::string realDirectory = fs::weakly_canonical(places.workingDirectory, error).string();
    const std::string realParent = fs::weakly_canonical(fs::path(target).parent_path(), error).string() + "/";
    if (error || !realParent.starts_with(realDirectory.ends_with('/') ? realDirectory : realDirectory + "/"))
        return "the working file would be reached through a link that leads out of the working directory";
    return {};
}

std::string UnreadableSourceReason(const std::string& directory, const std::string& relative)
{
    std::string path = directory;
    if (!path.empty() && path.back() != '/')
        path += '/';
    std::size_t start = 0;
    for (;;) {
        const std::size_t slash = relative.find('/', start);
        path += relative.substr(start, slash == std::string::npos ? std::string::npos : slash - start + 1);
        std::string shown = path;
        if (shown.size() > 1 && shown.back() == '/')
            shown.pop_back();
        struct stat info {};
        if (::lstat(shown.c_str(), &info) != 0)
            return "\"" + shown + "\" does not exist";
        const bool last = slash == std::string::npos;
        if (last ? !S_ISREG(info.st_mode) : !S_ISDIR(info.st_mode))
            return "\"" + shown + "\" is " + WhatItIs(info.st_mode);
        if (last)
            return {};
        start = slash + 1;
    }
}

std::string UnsafeReleaseNameReason(std::string_view name)
{
    const auto isLetter = [](char c) { return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z'); };
    if (name.empty() || !isLetter(name.front()))
        return "a release name must start with a letter";
    // What RCS does not allow in a symbolic name, as a freeze refuses it.
    if (name.find_first_of("$,.:;@") != std::string_view::npos)
        return "characters '$,.:; and @ are not allowed in a release name";
    static constexpr std::string_view shell = "\"'`&|<>()\\*?[]{}!#~^%";
    for (const char c : name) {
        const auto byte = static_cast<unsigned char>(c);
        if (byte < 0x20 || byte == 0x7F)
            return "the release name holds a control character";
        if (shell.find(c) != std::string_view::npos)
            return "the release name holds a quote or a character that a shell acts on";
    }
    return {};
}

bool StartsAShell(const std::string& sendCommand)
{
    static constexpr std::string_view shells[] = {"sh", "bash", "dash", "zsh", "ksh", "mksh", "csh", "tcsh", "fish",
                                                  "busybox"};
    const std::vector<std::string> arguments = SplitCommandLine(sendCommand);
    // "env sh -c ..." and the like start the shell all the same.
    auto program = arguments.begin();
    while (program != arguments.end()
           && (fs::path(*program).filename() == "env" || program->find('=') != std::string::npos))
        ++program;
    if (program == arguments.end())
        return false;
    const std::string name = fs::path(*program).filename().string();
    return std::find(std::begin(shells), std::end(shells), name) != std::end(shells);
}

void GiveNewFileMode(const std::string& path)
{
    // umask() can only be read by changing it, which would race with other
    // threads creating files; the kernel also shows it here.
    mode_t mask = 022;
    std::ifstream status("/proc/self/status");
    for (std::string line; std::getline(status, line);) {
        if (line.starts_with("Umask:")) {
            mask = static_cast<mode_t>(std::stoul(line.substr(6), nullptr, 8)) & 0777;
            break;
        }
    }
    std::error_code ignored;
    fs::permissions(path, static_cast<fs::perms>(0666 & ~mask), fs::perm_options::replace, ignored);
}

} // namespace kestro
