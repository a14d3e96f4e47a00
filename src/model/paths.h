#pragma once

// File names in the model use "\" between directories, as the project file
// and the release command files do; the file system here uses "/". Names are
// converted in these functions only, where they meet the file system.

#include <string>
#include <string_view>

namespace kestro {

std::string NativePath(std::string_view modelName);
std::string ModelName(std::string_view nativePath);

// Why a name read from outside (a project file, a command file) cannot name
// a file below the directory it is relative to; empty when it can. Names use
// "\" or "/" between directories and must be relative, with no empty, "."
// or ".." component and no control character.
std::string UnsafeRelativePathReason(std::string_view name);

// The process's current directory, ending in "/".
std::string CurrentDirectory();

// The absolute, lexically normal form of a path; symbolic links are kept.
std::string FullPath(std::string_view path);

// Looks the path up on disk. Returns 0 when it does not exist, 1 for a file
// and 2 for a directory, with its full path, the directory (up to and with
// the last "/"), the name after it, and for a file the extension after the
// name's last "." (left untouched when the name has none; empty for a
// directory).
int SplitPath(const std::string& path, std::string& fullPath, std::string& directory,
              std::string& fileName, std::string& extension);

} // namespace kestro
