#include "model/file_item.h"

#include "model/options.h"
#include "model/paths.h"
#include "model/project.h"
#include "model/time_format.h"
#include "model/version_item.h"

#include <filesystem>
#include <sys/stat.h>

namespace kestro {

namespace {

bool FileStatus(const std::string& path, std::time_t* modified)
{
    struct stat info {};
    if (::stat(path.c_str(), &info) != 0)
        return false;
    if (modified)
        *modified = info.st_mtime;
    return true;
}

std::string WorkingDirectory()
{
    if (Project* doc = Project::current())
        return doc->GetWorkingDirectory();
    return CurrentDirectory();
}

} // namespace

RCSFileItem::RCSFileItem()
{
    status = NewFile;
}

RCSFileItem::RCSFileItem(const std::string& fileName, RCSItem* parentItem)
{
    name = fileName;
    parent = parentItem;
    status = NewFile;
    if (!name.empty())
        UpdateStatus();
}

std::string RCSFileItem::GetDisplayText() const
{
    std::string text = name;
    switch (StatusCode()) {
    case NewFile:
        return text + " New file";
    case MissingFile:
        return text + " Missing file";
    case OnlyInRcs:
        text += " Only in RCS";
        break;
    case Modified:
        text += " Modified";
        break;
    case CheckedIn:
        text += " Checked in";
        break;
    default:
        break;
    }
    if (!workingRevision.empty())
        text += " Version " + workingRevision;
    if (workingTime != 0)
        text += " on " + FormatTime(workingTime, RCSOptions::instance().timeFormat);
    return text;
}

std::string RCSFileItem::GetDescription() const
{
    return "File " + name;
}

void RCSFileItem::UpdateStatus()
{
    ApplyStatus(!name.empty() && GetRcsFileStatus());
}

void RCSFileItem::ApplyStatus(bool rcsExists)
{
    bool workingExists = false;
    if (name.empty()) {
        workingTime = 0;
    } else {
        std::time_t modified = 0;
        workingExists = GetWorkingFileStatus(&modified);
        workingTime = workingExists ? modified : 0;
    }
    std::uint32_t code;
    if (rcsExists && workingExists)
        code = (recordedTime == 0 || recordedTime < workingTime) ? Modified : CheckedIn;
    else if (rcsExists)
        code = OnlyInRcs;
    else if (workingExists)
        code = NewFile;
    else
        code = MissingFile;
    if (code != StatusCode()) {
        SetStatusCode(code);
        RefreshDisplay(false);
    }
}

std::pair<std::string, std::string> RCSFileItem::SplitName() const
{
    const std::size_t slash = name.rfind('\\');
    if (slash == std::string::npos)
        return {std::string(), name};
    return {name.substr(0, slash + 1), name.substr(slash + 1)};
}

std::string RCSFileItem::GetWorkingPath() const
{
    return WorkingDirectory() + NativePath(name);
}

namespace {

// The RCS file where the RCS programs look for it: in the RCS directory,
// then beside the working file; a file not yet checked in goes to the RCS
// directory. One stat per place looked at tells whether it exists, too.
std::string LocateRcsFile(const RCSFileItem& file, bool& exists, std::time_t* modified)
{
    const auto [directory, base] = file.SplitName();
    const std::string plain = NativePath(directory) + "RCS/" + base;
    const std::string suffixed = plain + ",v";
    exists = true;
    if (FileStatus(suffixed, modified))
        return suffixed;
    if (FileStatus(plain, modified))
        return plain;
    if (std::string beside = NativePath(file.GetName()) + ",v"; FileStatus(beside, modified))
        return beside;
    exists = false;
    return suffixed;
}

} // namespace

std::string RCSFileItem::GetRcsPath() const
{
    bool exists = false;
    return LocateRcsFile(*this, exists, nullptr);
}

void RCSFileItem::CreateRcsDirectory() const
{
    std::error_code ignored;
    std::filesystem::create_directories(NativePath(SplitName().first) + "RCS", ignored);
}

std::string RCSFileItem::ExistingRcsPath() const
{
    bool exists = false;
    std::string path = LocateRcsFile(*this, exists, nullptr);
    return exists ? path : std::string();
}

bool RCSFileItem::GetRcsFileStatus(std::time_t* modified) const
{
    bool exists = false;
    LocateRcsFile(*this, exists, modified);
    return exists;
}

bool RCSFileItem::GetWorkingFileStatus(std::time_t* modified) const
{
    return FileStatus(GetWorkingPath(), modified);
}

void RCSFileItem::SerializeData(Archive& ar)
{
    RCSItem::SerializeData(ar);
    if (ar.isLoading()) {
        const auto code = StatusCode();
        if (code == RootItem || code > CheckedIn)
            SetStatusCode(NewFile);
    }
    ar.transferTime(recordedTime);
    ar.transfer(workingRevision);
}

bool RCSFileItem::AcceptsChild(const RCSItem& child) const
{
    return IsKindOf<RCSVersionItem>(child);
}

} // namespace kestro
