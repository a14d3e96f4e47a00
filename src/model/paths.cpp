#include "model/paths.h"

#include <algorithm>
#include <filesystem>
#include <system_error>

namespace fs = std::filesystem;

namespace kestro {

std::string NativePath(std::string_view modelName)
{
    std::string path(modelName);
    std::replace(path.begin(), path.end(), '\\', '/');
    return path;
}

std::string ModelName(std::string_view nativePath)
{
    std::string name(nativePath);
    std::replace(name.begin(), name.end(), '/', '\\');
    return name;
}

std::string UnsafeRelativePathReason(std::string_view name)
{
    const auto isSeparator = [](char c) { return c == '\\' || c == '/'; };
    if (name.empty())
        return "the name is empty";
    if (isSeparator(name.front()) || (name.size() >= 2 && name[1] == ':'))
        return "the name is absolute";
    for (const char c : name) {
        if (static_cast<unsigned char>(c) < 0x20 || c == 0x7F)
            return "the name holds a control character";
    }
    std::size_t start = 0;
    while (start <= name.size()) {
        const std::size_t end = std::min(name.find_first_of("\\/", start), name.size());
        const std::string_view part = name.substr(start, end - start);
        if (part.empty())
            return "the name holds an empty directory name";
        if (part == "." || part == "..")
            return "the name holds \".\" or \"..\"";
        start = end + 1;
    }
    return {};
}

std::string CurrentDirectory()
{
    std::error_code error;
    std::string directory = fs::current_path(error).string();
    if (directory.empty() || directory.back() != '/')
        directory += '/';
    return directory;
}

std::string FullPath(std::string_view path)
{
    std::error_code error;
    fs::path full = fs::absolute(fs::path(path), error).lexically_normal();
    std::string text = full.string();
    // A directory named with a trailing "/" has the same full path as without.
    if (text.size() > 1 && text.back() == '/')
        text.pop_back();
    return text;
}

int SplitPath(const std::string& path, std::string& fullPath, std::string& directory,
              std::string& fileName, std::string& extension)
{
    std::error_code error;
    const fs::file_status status = fs::status(path, error);
    if (path.empty() || error || !fs::exists(status))
        return 0;
    fullPath = FullPath(path);
    const std::size_t slash = fullPath.rfind('/');
    if (slash == std::string::npos) {
        directory.clear();
        fileName = fullPath;
    } else {
        directory = fullPath.substr(0, slash + 1);
        fileName = fullPath.substr(slash + 1);
    }
    if (fs::is_directory(status)) {
        extension.clear();
        return 2;
    }
    const std::size_t dot = fileName.rfind('.');
    if (dot != std::string::npos)
        extension = fileName.substr(dot + 1);
    return 1;
}

} // namespace kestro
