#include "exchange/dir_traverser.h"

#include <algorithm>
#include <filesystem>
#include <vector>

namespace kestro {

namespace fs = std::filesystem;

namespace {

// The names in a directory, read completely before any is visited, so that
// a visit that removes entries cannot disturb the enumeration.
std::vector<std::string> EntryNames(const std::string& directory)
{
    std::vector<std::string> names;
    std::error_code error;
    for (fs::directory_iterator it(directory, error), end; !error && it != end; it.increment(error)) {
        std::string name = it->path().filename().string();
        if (!name.empty() && name.front() != '.')
            names.push_back(std::move(name));
    }
    std::sort(names.begin(), names.end());
    return names;
}

} // namespace

int DirTraverser::Traverse(const std::string& path)
{
    std::error_code error;
    const fs::file_status status = fs::symlink_status(path, error);
    if (error || !fs::exists(status))
        return 0;
    const bool directory = fs::is_directory(status);
    const bool visitHere = depth <= 0 || (flags & VisitAllLevels);
    const auto visit = [&] {
        fullPath = path;
        isDirectory = directory;
        isFile = fs::is_regular_file(status) || (fs::is_symlink(status) && fs::is_regular_file(fs::status(path, error)));
        return Visit();
    };

    if (!(flags & PostOrder) && visitHere) {
        if (const int result = visit())
            return result;
    }
    if (directory && (depth != 0 || (flags & Unlimited))) {
        const std::string prefix = path.empty() || path.back() == '/' ? path : path + "/";
        --depth;
        int result = 0;
        for (const std::string& name : EntryNames(path)) {
            result = Traverse(prefix + name);
            if (result)
                break;
        }
        ++depth;
        if (result)
            return result;
    }
    if ((flags & PostOrder) && visitHere && fs::exists(fs::symlink_status(path, error)))
        return visit();
    return 0;
}

int DelTraverser::Visit()
{
    // remove() takes a link itself away, never what it points to, and
    // leaves a directory that still holds something (a kept "." entry).
    std::error_code ignored;
    fs::remove(fullPath, ignored);
    return 0;
}

} // namespace kestro
