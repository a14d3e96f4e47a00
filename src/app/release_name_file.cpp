#include "app/release_name_file.h"

#include "exchange/rcc_reader.h"
#include "model/paths.h"

#include <cerrno>
#include <filesystem>
#include <system_error>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace kestro {

namespace fs = std::filesystem;

namespace {

fs::path FullPathOf(const std::string& file, const std::string& projectDirectory)
{
    const fs::path native(NativePath(file));
    return (native.is_absolute() ? native : fs::path(projectDirectory) / native).lexically_normal();
}

// The part of path below directory, or empty when it does not lie below it.
std::string RelativeBelow(const fs::path& path, const std::string& directory)
{
    const std::string text = path.string();
    if (directory.empty() || directory.back() != '/' || text.size() <= directory.size()
        || text.compare(0, directory.size(), directory) != 0)
        return {};
    return text.substr(directory.size());
}

} // namespace

std::string ReleaseNameFileProblem(const std::string& file, const std::string& projectDirectory,
                                   const std::string& workingDirectory)
{
    if (file.empty())
        return {};
    for (const char c : file) {
        if (static_cast<unsigned char>(c) < 0x20 || c == 0x7F)
            return "Release name file \"" + file + "\" holds a control character";
    }
    const std::string relative = RelativeBelow(FullPathOf(file, projectDirectory), workingDirectory);
    if (relative.empty())
        return "Release name file \"" + file + "\" lies outside the working directory "
               + workingDirectory;
    if (const std::string reason = UnsafeFileNameReason(relative); !reason.empty())
        return "Release name file \"" + file + "\" cannot be used: " + reason;
    return {};
}

bool WriteReleaseNameText(const std::string& file, const std::string& projectDirectory,
                          const std::string& workingDirectory, const std::string& text, std::string& problem)
{
    problem = ReleaseNameFileProblem(file, projectDirectory, workingDirectory);
    if (!problem.empty())
        return false;
    // Directory links inside the working directory are allowed as long as
    // they do not lead out of it.
    const fs::path path = FullPathOf(file, projectDirectory);
    std::error_code error;
    const fs::path realDirectory = fs::weakly_canonical(workingDirectory, error);
    const fs::path realParent = fs::weakly_canonical(path.parent_path(), error);
    std::string below = realDirectory.string();
    if (below.empty() || below.back() != '/')
        below += '/';
    if (error || (realParent.string() + "/").compare(0, below.size(), below) != 0) {
        problem = "Release name file \"" + file + "\" is reached through a link that leads outside the working "
                  "directory " + workingDirectory;
        return false;
    }
    // Not blocking keeps a FIFO put in the file's place from stopping the
    // program; only a regular file is written.
    const int descriptor = ::open(path.c_str(), O_WRONLY | O_CREAT | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC, 0666);
    if (descriptor < 0) {
        if (errno == ELOOP)
            problem = "Release name file \"" + file + "\" is a symbolic link";
        return false;
    }
    struct stat info {};
    if (::fstat(descriptor, &info) != 0 || !S_ISREG(info.st_mode) || ::ftruncate(descriptor, 0) != 0) {
        ::close(descriptor);
        problem = "Release name file \"" + file + "\" is not a regular file";
        return false;
    }
    std::size_t written = 0;
    while (written < text.size()) {
        const ssize_t n = ::write(descriptor, text.data() + written, text.size() - written);
        if (n <= 0)
            break;
        written += static_cast<std::size_t>(n);
    }
    ::close(descriptor);
    return written == text.size();
}

} // namespace kestro
