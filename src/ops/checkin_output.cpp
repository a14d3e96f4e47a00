#include "ops/checkin_output.h"

#include "rcs/rlog_scanner.h"

#include <chrono>
#include <filesystem>

namespace kestro {

namespace {

// The number after a token that starts a line of ci's output. Only line
// starts count: ci also echoes the file names, which may hold any text.
std::string RevisionAfter(const std::string& output, const std::string& token)
{
    std::size_t position = 0;
    return ExtractField(position, "\n" + output, "\n" + token, ";\r\n\t ", true, false);
}

} // namespace

std::string NewRevisionFrom(const std::string& output)
{
    std::string revision = RevisionAfter(output, "new revision:");
    if (revision.empty())
        revision = RevisionAfter(output, "initial revision:");
    if (revision.empty())
        revision = RevisionAfter(output, "file is unchanged; reverting to previous revision");
    return revision;
}

void RestoreModificationTime(const std::string& path, std::time_t time)
{
    namespace fs = std::filesystem;
    std::error_code error;
    const fs::perms original = fs::status(path, error).permissions();
    if (error)
        return;
    const bool readOnly = (original & fs::perms::owner_write) == fs::perms::none;
    if (readOnly)
        fs::permissions(path, fs::perms::owner_write, fs::perm_options::add, error);
    fs::last_write_time(path, std::chrono::file_clock::from_sys(std::chrono::system_clock::from_time_t(time)), error);
    if (readOnly)
        fs::permissions(path, original, fs::perm_options::replace, error);
}

} // namespace kestro
