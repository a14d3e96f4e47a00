// Importing files from another site: each file is copied over its working
// file and checked in for that site. A whole directory tree imported this way
// becomes a new release; a received release imports its files one by one.

#include "exchange/dir_traverser.h"
#include "exchange/exchange_checks.h"
#include "exchange/rcc_reader.h"
#include "exchange/received_checkins.h"
#include "model/command_results.h"
#include "model/file_item.h"
#include "model/options.h"
#include "model/paths.h"
#include "model/project.h"
#include "model/release_item.h"
#include "model/release_root.h"
#include "model/root_item.h"
#include "model/site_list.h"
#include "model/string_helpers.h"
#include "model/version_item.h"
#include "ops/commands.h"
#include "rcs/command_runner.h"

#include <algorithm>
#include <array>
#include <cctype>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <memory>
#include <vector>

#include <cerrno>
#include <cstring>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace kestro {

namespace fs = std::filesystem;

namespace {

void Report(const std::string& text)
{
    CommandResults::instance().AppendResults(text);
}

// The path with every link on the way resolved and no trailing "/"; empty
// when it cannot be resolved.
std::string ResolvedPath(const std::string& path)
{
    std::error_code error;
    std::string text = fs::weakly_canonical(path, error).string();
    if (error)
        return {};
    while (text.size() > 1 && text.back() == '/')
        text.pop_back();
    return text;
}

// Whether path lies strictly below directory once links are resolved, so
// that no link can lead a write elsewhere.
bool LiesBelow(const std::string& directory, const std::string& path)
{
    const std::string resolvedDirectory = ResolvedPath(directory);
    const std::string resolved = ResolvedPath(path);
    if (resolvedDirectory.empty() || resolved.empty())
        return false;
    const std::string prefix = resolvedDirectory == "/" ? resolvedDirectory : resolvedDirectory + "/";
    return resolved.size() > prefix.size() && resolved.starts_with(prefix);
}

bool SameOrBelow(const std::string& directory, const std::string& path)
{
    const std::string resolved = ResolvedPath(path);
    return (!resolved.empty() && resolved == ResolvedPath(directory)) || LiesBelow(directory, path);
}

ProjectPlaces PlacesOf(const Project& doc)
{
    return {doc.GetWorkingDirectory(), doc.GetPathName()};
}

bool IsReadOnly(const std::string& path)
{
    std::error_code error;
    const fs::file_status status = fs::status(path, error);
    return !error && fs::exists(status) && (status.permissions() & fs::perms::owner_write) == fs::perms::none;
}

std::string ReadWholeFile(const std::string& path)
{
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

// The text with every RCS keyword's value removed ("$Id: a.c,v 1.2 ... $"
// becomes "$Id$"), as co -kk gives it. Keyword values differ from site to
// site (the RCS file's path, the locker) while the revision is the same.
std::string CollapseKeywords(std::string_view text)
{
    static constexpr std::array<std::string_view, 11> keywords = {
        "Author", "Date", "Header", "Id", "Locker", "Log", "Name", "RCSfile", "Revision", "Source", "State"};
    std::string collapsed;
    collapsed.reserve(text.size());
    std::size_t at = 0;
    while (at < text.size()) {
        if (text[at] == '$') {
            std::size_t end = at + 1;
            while (end < text.size() && std::isalpha(static_cast<unsigned char>(text[end])))
                ++end;
            const std::string_view keyword = text.substr(at + 1, end - at - 1);
            if (end < text.size() && text[end] == ':'
                && std::find(keywords.begin(), keywords.end(), keyword) != keywords.end()) {
                const std::size_t close = text.find_first_of("$\n", end);
                if (close != std::string_view::npos && text[close] == '$') {
                    collapsed.append(text.substr(at, end - at));
                    collapsed += '$';
                    at = close + 1;
                    continue;
                }
            }
        }
        collapsed += text[at++];
    }
    return collapsed;
}

// Whether the file at path holds the text of the file's revision. A sender
// sends the text its RCS file holds; older senders sent it with keywords
// expanded, which collapsing the keywords on both sides allows for.
bool HoldsRevisionText(RCSFileItem& file, const std::string& revision, const std::string& path)
{
    std::string command = "co";
    AppendArgument(command, "-q");
    AppendArgument(command, "-p");
    AppendArgument(command, "-ko");
    AppendArgument(command, "-r" + revision);
    AppendArgument(command, file.GetRcsPath());
    std::string text;
    if (RunCommand(text, command, std::string(), false) != 0)
        return false;
    return CollapseKeywords(text) == CollapseKeywords(ReadWholeFile(path));
}

// Copies a file over a working file, making its directories, in this
// process: a cp per file cost more than the rest of a receive. The source
// was checked before anything changed; it is opened once more without
// following links and must still be a regular file, so that nothing swapped
// in since (a link, a FIFO that would block) is read. As with cp -f, a
// working file that cannot be opened for writing is removed and made anew.
// The copy keeps the working file's mode, or gets a new file's, never the
// source's.
int CopyFile(const std::string& source, const std::string& target)
{
    const std::string from = FullPath(source);
    const std::string to = FullPath(target);
    if (from == to)
        return 0;
    const fs::path fromPath(from);
    const std::string reason = UnreadableSourceReason(fromPath.parent_path().string(), fromPath.filename().string());
    if (!reason.empty()) {
        Report("Cannot copy " + from + ": " + reason + "\r\n");
        return 1;
    }
    const auto failed = [&](const std::string& path) {
        Report("Cannot copy " + from + " to " + to + ": " + std::strerror(errno) + " (" + path + ")\r\n");
        return 1;
    };
    const int in = ::open(from.c_str(), O_RDONLY | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC);
    if (in < 0)
        return failed(from);
    struct stat sourceStatus {};
    if (::fstat(in, &sourceStatus) != 0 || !S_ISREG(sourceStatus.st_mode)) {
        ::close(in);
        Report("Cannot copy " + from + ": it is not a regular file\r\n");
        return 1;
    }
    const fs::path toPath(to);
    std::error_code ignored;
    fs::create_directories(toPath.parent_path(), ignored);
    struct stat before {};
    const bool existed = ::lstat(to.c_str(), &before) == 0;
    int out = ::open(to.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0666);
    if (out < 0 && existed) {
        ::unlink(to.c_str());
        out = ::open(to.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0666);
    }
    if (out < 0) {
        const int saved = errno;
        ::close(in);
        errno = saved;
        return failed(to);
    }
    char buffer[1 << 16];
    int result = 0;
    for (;;) {
        const ssize_t got = ::read(in, buffer, sizeof buffer);
        if (got == 0)
            break;
        if (got < 0) {
            if (errno == EINTR)
                continue;
            result = failed(from);
            break;
        }
        for (ssize_t written = 0; written < got;) {
            const ssize_t put = ::write(out, buffer + written, static_cast<std::size_t>(got - written));
            if (put < 0 && errno == EINTR)
                continue;
            if (put < 0) {
                result = failed(to);
                break;
            }
            written += put;
        }
        if (result != 0)
            break;
    }
    ::close(in);
    if (::close(out) != 0 && result == 0)
        result = failed(to);
    if (existed)
        fs::permissions(to, static_cast<fs::perms>(before.st_mode & 07777), fs::perm_options::replace, ignored);
    else
        GiveNewFileMode(to);
    return result;
}

// A file new to the project. Not AddFile: that names a file after its path
// below the project directory, while this name is relative to the working
// directory, which may lie elsewhere.
RCSFileItem* AddImportedFile(Project& doc, const std::string& name)
{
    auto created = std::make_unique<RCSFileItem>(name, doc.root.get());
    RCSFileItem* file = created.get();
    doc.root->AddChild(std::move(created));
    file->Synchronise(true);
    doc.SetModifiedFlag(true);
    return file;
}

// A revision that this site already has is not checked in again; the working
// file takes its text. A revision of that number with another text means the
// two sites' histories have gone apart, and nothing is changed.
int AcceptExistingRevision(RCSFileItem& file, const std::string& revision, const std::string& source,
                           const std::string& target)
{
    if (!HoldsRevisionText(file, revision, source)) {
        Report(file.name + " : cannot checkin " + revision
               + " - a revision of that number with another text exists here\r\n");
        return 1;
    }
    if (const int result = CopyFile(source, target))
        return result;
    Report(file.name + " : " + revision + " not checked in as it already exists\r\n");
    file.workingRevision = revision;
    file.UpdateStatus();
    file.recordedTime = file.workingTime;
    file.UpdateStatus();
    file.RefreshDisplay(false);
    return 0;
}

// RCS data and the program's own files are never imported.
bool IsRcsOrKestroFile(const std::string& relativePath)
{
    const fs::path path(relativePath);
    const std::string fileName = path.filename().string();
    for (const fs::path& part : path.parent_path()) {
        if (EqualsNoCase(part.string(), "RCS") || EqualsNoCase(part.string(), "RCSSites"))
            return true;
    }
    const std::string extension = path.extension().string();
    return fileName.ends_with(",v") || EqualsNoCase(extension, ".rcs") || EqualsNoCase(fileName, "Kestro.IN")
           || EqualsNoCase(fileName, "Kestro.OUT");
}

// Gathers the files of a directory tree to import, named after their path
// below the directory the walk started in, and refuses what must not be
// read or written, so that a tree holding one bad entry changes nothing.
class ImportTraverser : public DirTraverser {
public:
    ImportTraverser(ProjectPlaces projectPlaces, std::string base, std::uint16_t walkFlags)
        : DirTraverser(1, walkFlags), places(std::move(projectPlaces)), baseDirectory(std::move(base))
    {
    }

    int Visit() override
    {
        if (isDirectory)
            return 0;
        const std::string relative = fullPath.substr(baseDirectory.size());
        if (IsRcsOrKestroFile(relative))
            return 0;
        if (relative.find('\\') != std::string::npos) {
            Report("Cannot import " + fullPath + " as names holding \"\\\" cannot be kept in a project\r\n");
            refused = true;
            return 0;
        }
        std::string reason = UnreadableSourceReason(baseDirectory, relative);
        if (reason.empty())
            reason = ForbiddenTargetReason(places, ModelName(relative));
        if (!reason.empty()) {
            Report("Cannot import " + fullPath + ": " + reason + "\r\n");
            refused = true;
            return 0;
        }
        sources.push_back({fullPath, ModelName(relative)});
        return 0;
    }

    ProjectPlaces places;
    std::string baseDirectory;  // ends in "/"
    std::vector<ImportSource> sources;
    bool refused = false;
};

} // namespace

int Site::PrepareImportFile(const std::string& sourcePath, const std::string& targetName,
                            const std::string& revision, ImportStep& step)
{
    step = ImportStep();
    Project* doc = Project::current();
    if (!doc || !doc->root || !doc->siteList)
        return 1;
    std::string name = ModelName(targetName);
    if (const std::string reason = ForbiddenTargetReason(PlacesOf(*doc), name); !reason.empty()) {
        Report("Cannot import \"" + name + "\": " + reason + "\r\n");
        return 1;
    }
    RCSFileItem* file = doc->root->FindFile(name);
    if (file)
        name = file->name;
    const std::string workingDirectory = doc->GetWorkingDirectory();
    const std::string target = workingDirectory + NativePath(name);
    if (!LiesBelow(workingDirectory, target)) {
        Report("Cannot import \"" + name + "\" as it would be written outside " + workingDirectory + "\r\n");
        return 1;
    }
    if (IsReadOnly(target)) {
        Report("Cannot import \"" + name + "\" as its working file is read-only\r\n");
        return 1;
    }
    if (file && !revision.empty() && file->FindRevision(revision))
        return AcceptExistingRevision(*file, revision, sourcePath, target);

    if (const int result = CopyFile(sourcePath, target))
        return result;
    std::error_code error;
    if (!fs::exists(target, error)) {
        Report("File \"" + name + "\" does not exist\r\n");
        return 1;
    }
    if (!file)
        file = AddImportedFile(*doc, name);
    step.file = file;
    step.previous = file->workingRevision;

    RCSVersionItem* toLock = nullptr;
    if (!revision.empty()) {
        std::string requested = revision;
        RCSVersionItem* found = nullptr;
        RCSVersionItem* above = nullptr;
        const int code = file->ResolveCheckinRevision(requested, found, above);
        // A file new to the project may bring a history along.
        if (found && found->name == requested)
            return AcceptExistingRevision(*file, requested, sourcePath, target);
        if (code <= 0) {
            if (!found) {
                Report(file->name + " : cannot checkin " + revision
                       + " - parent or base revision doesn't exist\r\n");
                return 1;
            }
            requested = found->NewBranchName(this);
        }
        if (found && !found->IsLocked())
            toLock = found;
        step.revision = requested;
    } else {
        toLock = file->FindDefaultBranchTip();
        RCSVersionItem* locked = nullptr;
        if (toLock
            && (toLock->IsLocked() || (!doc->siteList->IsMaster(this) && file->FindLockedByUser(locked) > 0)))
            toLock = nullptr;
    }
    // ci extends only a revision locked by the user.
    step.toLock = toLock;
    step.lockedHere = toLock ? toLock->name : std::string();
    step.checkin = true;
    return 0;
}

void Site::FinishImportFile(const ImportStep& step, int result, bool mergeAfterImport)
{
    RCSFileItem* file = step.file;
    // The check-in reads the history again; a lock it did not take over
    // is given back.
    if (RCSVersionItem* stillLocked = step.lockedHere.empty() ? nullptr : file->FindRevision(step.lockedHere);
        stillLocked && stillLocked->IsLocked())
        stillLocked->SetLocked(false);

    // The working file now holds the other site's text; the changes made
    // here since the last release exchanged with that site go back in.
    const std::string& previous = step.previous;
    const std::string& current = file->workingRevision;
    if (mergeAfterImport && result == 0 && !previous.empty() && !lastRelease.empty() && previous != lastRelease
        && previous != current && lastRelease != current) {
        MergeSettings& merge = RCSOptions::instance().merge;
        merge.revision1 = lastRelease;
        merge.revision2 = previous;
        merge.ignoreKeywords = false;
        file->Merge();
    }
}

// Imports each file (copied over its working file, then checked in for this
// site), the check-ins sharing ci runs. A file that fails is named and the
// others are still imported; the result is the first failure, 0 when every
// file came in.
int Site::ImportFiles(const std::vector<ImportSource>& sources, bool mergeAfterImport)
{
    int result = 0;
    std::vector<ImportStep> steps(sources.size());
    std::vector<ImportStep*> toCheckin;
    std::vector<RCSItem*> files;
    for (std::size_t i = 0; i < sources.size(); ++i) {
        const int prepared = PrepareImportFile(sources[i].path, sources[i].name, std::string(), steps[i]);
        if (prepared != 0 && result == 0)
            result = prepared;
        if (prepared == 0 && steps[i].checkin) {
            toCheckin.push_back(&steps[i]);
            files.push_back(steps[i].file);
        }
    }
    TakeCheckinLocks(toCheckin);
    RCSOptions::instance().checkin.revision.clear();
    std::vector<int> results;
    const int checkedIn = CheckinItems(files, this, &results);
    if (result == 0)
        result = checkedIn;
    for (std::size_t i = 0; i < toCheckin.size(); ++i)
        FinishImportFile(*toCheckin[i], results[i], mergeAfterImport);
    return result;
}

int Site::ImportDirectory(const std::string& directory, const std::string& releaseName, bool includeSubdirectories,
                          bool mergeAfterImport)
{
    Project* doc = Project::current();
    if (!doc || !doc->root || !doc->releaseRoot)
        return 1;
    std::error_code error;
    if (directory.empty() || !fs::is_directory(directory, error)) {
        Report("Directory \"" + directory + "\" does not exist\r\n");
        return 1;
    }
    // Importing the project's own files, or a tree holding them, would copy
    // files onto themselves or bring in RCS data and other sites' releases.
    const std::string source = FullPath(directory);
    for (const std::string& own : {doc->GetProjectDirectory(), doc->GetWorkingDirectory()}) {
        if (SameOrBelow(own, source) || SameOrBelow(source, own)) {
            Report("Cannot import from \"" + directory + "\" as it holds or lies in the project's directory "
                   + own + "\r\n");
            return 1;
        }
    }
    ImportTraverser walker(PlacesOf(*doc), source + "/", includeSubdirectories ? DirTraverser::Unlimited : 0);
    walker.Traverse(source);
    if (walker.refused)
        return 1;
    if (const int result = ImportFiles(walker.sources, mergeAfterImport))
        return result;

    auto owned = std::make_unique<RCSReleaseItem>(releaseName);
    RCSReleaseItem* release = owned.get();
    doc->releaseRoot->AddChild(std::move(owned));
    if (const int result = doc->root->FreezeRelease(release)) {
        release->Detach();
        return result;
    }
    doc->releaseRoot->RefreshDisplay(false);
    doc->SetModifiedFlag(true);
    lastRelease = releaseName;
    return 0;
}

int SiteList::ImportRelease()
{
    Project* doc = Project::current();
    if (!doc || !doc->releaseRoot)
        return 1;
    const ImportSettings& settings = RCSOptions::instance().import;
    if (doc->releaseRoot->FindRelease(settings.releaseName)) {
        Report("Release already exists:" + settings.releaseName + "\r\n");
        return 1;
    }
    if (const std::string clash = ReleaseSymbolClash(*doc->releaseRoot, settings.releaseName); !clash.empty()) {
        Report(clash + "\r\n");
        return 1;
    }
    Site* site = FindOrCreate(settings.sourceSite);
    if (!site)
        return 1;
    const KeptCommandSettings userSettings;
    CheckinSettings& checkin = RCSOptions::instance().checkin;
    checkin.force = settings.force;
    checkin.determineRevision = settings.determineRevision;
    checkin.lock = settings.lock;
    checkin.keepTime = settings.keepTime;
    checkin.logMessage = settings.message;
    return site->ImportDirectory(settings.sourceDirectory, settings.releaseName, settings.includeSubdirectories,
                                 settings.mergeAfterImport);
}

} // namespace kestro
