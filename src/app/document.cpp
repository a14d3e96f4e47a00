#include "app/document.h"

#include "app/command_locks.h"
#include "app/release_name_file.h"
#include "archive/archive.h"
#include "model/command_results.h"
#include "model/file_item.h"
#include "model/options.h"
#include "model/paths.h"
#include "model/release_root.h"
#include "model/root_item.h"
#include "model/site_list.h"
#include "model/string_helpers.h"
#include "model/user_interaction.h"
#include "model/version_item.h"
#include "rcs/adopt_files.h"
#include "rcs/rlog_batch.h"

#include <QFile>
#include <QSaveFile>

#include <algorithm>
#include <cctype>
#include <cerrno>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <functional>
#include <unordered_set>

#include <sys/stat.h>

namespace kestro {

namespace {


std::string DirectoryOf(const std::string& path)
{
    const std::size_t slash = path.rfind('/');
    return slash == std::string::npos ? std::string() : path.substr(0, slash + 1);
}

std::string TitleOf(const std::string& path)
{
    std::string fileName = path.substr(path.rfind('/') + 1);
    const std::size_t dot = fileName.rfind('.');
    if (dot != std::string::npos && dot != 0)
        fileName.erase(dot);
    return fileName;
}

// The program resolves RCS files and scratch files against the current
// directory, so a project's directory is made current whenever it is opened
// or saved.
void EnterDirectory(const std::string& directory)
{
    std::error_code ignored;
    if (!directory.empty())
        std::filesystem::current_path(directory, ignored);
}

ProjectFileStamp StampOf(const struct stat& info)
{
    ProjectFileStamp stamp;
    stamp.exists = true;
    stamp.device = info.st_dev;
    stamp.inode = info.st_ino;
    stamp.size = info.st_size;
    stamp.modifiedNanoseconds = std::int64_t(info.st_mtim.tv_sec) * 1000000000 + info.st_mtim.tv_nsec;
    return stamp;
}


// A revision belongs to the file it hangs below, whatever an older or damaged
// file says.
void RepairFileLinks(RCSRoot& root)
{
    std::function<void(RCSItem&, RCSFileItem*)> walk = [&](RCSItem& item, RCSFileItem* file) {
        for (auto& child : item.children) {
            child->parent = &item;
            if (auto* revision = dynamic_cast<RCSVersionItem*>(child.get()))
                revision->file = file;
            walk(*child, file);
        }
    };
    root.parent = nullptr;
    for (auto& child : root.children) {
        child->parent = &root;
        walk(*child, static_cast<RCSFileItem*>(child.get()));
    }
}

} // namespace

ProjectFileStamp StampOfFile(const std::string& path)
{
    struct stat info {};
    return ::stat(path.c_str(), &info) == 0 ? StampOf(info) : ProjectFileStamp();
}

CKestroDoc::CKestroDoc() = default;

CKestroDoc::~CKestroDoc()
{
    CommandLocks& locks = CommandLocks::instance();
    locks.CancelStatusRefresh();
    locks.WithTreeLocked([this] { Close(); });
}

CKestroDoc* CKestroDoc::current()
{
    return static_cast<CKestroDoc*>(Project::current());
}

std::string CKestroDoc::GetTitle() const
{
    return pathName_.empty() ? std::string("Untitled") : TitleOf(pathName_);
}

std::string CKestroDoc::GetProjectDirectory() const
{
    if (!pathName_.empty())
        return DirectoryOf(pathName_);
    return CurrentDirectory();
}

bool CKestroDoc::SetWorkingDirectory(std::string directory, bool markModified)
{
    if (directory.empty())
        directory = GetProjectDirectory();
    if (directory.size() > 1 && directory.back() == '/')
        directory.pop_back();
    std::error_code error;
    if (!std::filesystem::is_directory(directory, error))
        return false;
    std::string full = FullPath(directory);
    if (full.empty() || full.back() != '/')
        full += '/';
    if (full != workingDirectory) {
        workingDirectory = full;
        if (markModified)
            SetModifiedFlag(true);
        if (onWorkingDirectoryChanged)
            onWorkingDirectoryChanged(workingDirectory);
    }
    return true;
}

void CKestroDoc::EnsureDefaultSite()
{
    if (!siteList)
        siteList = std::make_unique<SiteList>();
    if (siteList->GetLocalSite())
        return;
    const RCSOptions& options = RCSOptions::instance();
    if (!siteList->Add(options.defaultSiteName, options.defaultSiteEmail))
        siteList->Add("Local", options.defaultSiteEmail);
}

void CKestroDoc::InsertTreesIntoView()
{
    InsertIntoTree(root.get());
    InsertIntoTree(releaseRoot.get());
}

void CKestroDoc::ResetTree()
{
    if (!root)
        return;
    root->Detach();
    InsertIntoTree(root.get());
}

bool CKestroDoc::OnNewDocument()
{
    DeleteContents();
    std::lock_guard tree(CommandLocks::instance().TreeMutex());
    pathName_.clear();
    modified_ = false;
    root = std::make_unique<RCSRoot>();
    root->name = GetTitle();
    releaseRoot = std::make_unique<RCSReleaseRoot>();
    siteList = std::make_unique<SiteList>();
    InsertTreesIntoView();
    EnsureDefaultSite();
    const RCSOptions& options = RCSOptions::instance();
    fileTypes = options.defaultFileTypes;
    releaseNameFile = options.defaultReleaseNameFile;
    releaseNameTemplate = options.defaultBuildTemplate;
    return true;
}

void CKestroDoc::DeleteContents()
{
    // The status refresh must not be looking at an item while it goes.
    CommandLocks& locks = CommandLocks::instance();
    locks.CancelStatusRefresh();
    locks.WithTreeLocked([this] {
        if (root) {
            root->Detach();
            root.reset();
        }
        if (releaseRoot) {
            releaseRoot->Detach();
            releaseRoot.reset();
        }
        siteList.reset();
    });
    modified_ = false;
    SetWorkingDirectory(GetProjectDirectory(), false);
}

bool CKestroDoc::OnOpenDocument(const std::string& path, std::string& error)
{
    QFile file(QString::fromStdString(path));
    if (!file.open(QIODevice::ReadOnly)) {
        error = "Cannot open project file " + path + ": " + file.errorString().toStdString();
        return false;
    }
    // Read straight into the string: a big project's bytes are then neither
    // copied nor given memory twice. A file that grew meanwhile is read on.
    std::string bytes(static_cast<std::size_t>(std::max<qint64>(file.size(), 0)), '\0');
    const qint64 got = file.read(bytes.data(), static_cast<qint64>(bytes.size()));
    bytes.resize(static_cast<std::size_t>(std::max<qint64>(got, 0)));
    if (got >= 0)
        bytes += file.readAll().toStdString();
    if (got < 0 || file.error() != QFileDevice::NoError) {
        error = "Cannot read project file " + path + ": " + file.errorString().toStdString();
        return false;
    }
    // The stamp of the file just read: a save that replaced it since then
    // made a new file, which ChangedOnDisk tells apart.
    struct stat info {};
    const ProjectFileStamp stamp = ::fstat(file.handle(), &info) == 0 ? StampOf(info) : ProjectFileStamp();
    file.close();
    if (!IsProjectFile(bytes)) {
        error = path + " is not a Kestro project file";
        return false;
    }

    // The open project is kept aside until the new one has proved readable.
    CommandLocks::instance().CancelStatusRefresh();
    std::unique_lock tree(CommandLocks::instance().TreeMutex());
    if (root)
        root->Detach();
    if (releaseRoot)
        releaseRoot->Detach();
    std::unique_ptr<RCSRoot> keptRoot = std::move(root);
    std::unique_ptr<RCSReleaseRoot> keptReleaseRoot = std::move(releaseRoot);
    std::unique_ptr<SiteList> keptSiteList = std::move(siteList);
    const std::string keptFileTypes = fileTypes, keptReleaseNameFile = releaseNameFile,
                      keptReleaseNameTemplate = releaseNameTemplate, keptWorkingDirectory = workingDirectory,
                      keptPathName = pathName_;
    const ProjectFileStamp keptStamp = stamp_;
    const bool keptModified = modified_;

    DeleteContents();
    pathName_ = FullPath(path);
    stamp_ = stamp;
    EnterDirectory(GetProjectDirectory());
    std::string failure;
    if (!ReadProject(bytes, failure)) {
        error = "The project file " + path + " cannot be read: " + failure;
        root = std::move(keptRoot);
        releaseRoot = std::move(keptReleaseRoot);
        siteList = std::move(keptSiteList);
        fileTypes = keptFileTypes;
        releaseNameFile = keptReleaseNameFile;
        releaseNameTemplate = keptReleaseNameTemplate;
        pathName_ = keptPathName;
        stamp_ = keptStamp;
        modified_ = keptModified;
        EnterDirectory(GetProjectDirectory());
        SetWorkingDirectory(keptWorkingDirectory, false);
        if (root && releaseRoot)
            InsertTreesIntoView();
        return false;
    }
    storedBytes_ = std::move(bytes);
    AdoptCopiedProjectDirectory();
    ReportUnsafeReleaseNameFile();
    return true;
}

void CKestroDoc::AdoptCopiedProjectDirectory()
{
    const std::string projectDirectory = GetProjectDirectory();
    if (workingDirectory == projectDirectory || !root)
        return;
    // The stored working directory was this project's own directory when it
    // was saved if it still holds a project file of this name that is not
    // this one; a working directory chosen on purpose holds none.
    const std::string fileName = pathName_.substr(pathName_.rfind('/') + 1);
    const std::string oldProjectFile = workingDirectory + fileName;
    std::error_code error;
    if (!std::filesystem::exists(oldProjectFile, error) || std::filesystem::equivalent(oldProjectFile, pathName_, error))
        return;
    const bool filesBeside = root->children.empty()
                             || std::any_of(root->children.begin(), root->children.end(), [&](const auto& child) {
                                    std::error_code missing;
                                    return std::filesystem::exists(projectDirectory + NativePath(child->name), missing);
                                });
    if (!filesBeside)
        return;
    const std::string oldDirectory = workingDirectory;
    SetWorkingDirectory(projectDirectory, false);
    for (auto& child : root->children)
        child->UpdateStatus();
    CommandResults::instance().AppendResults("The project file was copied or moved from " + oldDirectory
                                             + ": working on the files beside it in " + projectDirectory + "\r\n");
}

bool CKestroDoc::LoadFromBytes(const std::string& bytes, std::string& error)
{
    DeleteContents();
    pathName_.clear();
    std::string failure;
    std::string read = bytes;
    if (!ReadProject(read, failure)) {
        error = "The project cannot be read: " + failure;
        return false;
    }
    ReportUnsafeReleaseNameFile();
    return true;
}

bool CKestroDoc::IsProjectFile(const std::string& bytes)
{
    // A project file starts with its layout's version as 32 bits, least
    // significant byte first. Far above any layout there will be, the first
    // bytes belong to some other kind of file.
    if (bytes.size() < 4)
        return false;
    std::uint32_t version = 0;
    for (int i = 3; i >= 0; --i)
        version = (version << 8) | static_cast<unsigned char>(bytes[static_cast<std::size_t>(i)]);
    return version <= 0xFFFF;
}

bool CKestroDoc::ReadProject(std::string& bytes, std::string& failure)
{
    Archive ar(std::move(bytes));
    try {
        Load(ar);
    } catch (const ArchiveError& error) {
        bytes = ar.takeBytes();
        DeleteContents();
        failure = error.what();
        return false;
    }
    bytes = ar.takeBytes();
    if (statusOnOpen && root) {
        for (auto& child : root->children)
            child->UpdateStatus();
    }
    return true;
}

void CKestroDoc::Load(Archive& ar)
{
    const std::uint32_t version = ar.readU32();
    if (version < 1 || version > ProjectFileVersion)
        ar.fail("unsupported project file version " + std::to_string(version));

    if (version >= 4)
        siteList = ar.readOwned<SiteList>();
    EnsureDefaultSite();

    SetWorkingDirectory(GetProjectDirectory(), false);
    if (version >= 5)
        SetWorkingDirectory(ar.readString(), false);
    else
        SetWorkingDirectory(GetProjectDirectory(), false);

    root = ar.readOwned<RCSRoot>();
    // Every command works on the paths these names give; one that leads out
    // of the working directory refuses the whole project, so that nothing is
    // ever done outside it.
    for (const auto& child : root->children) {
        if (const std::string reason = UnsafeRelativePathReason(child->name); !reason.empty())
            ar.fail("the file item \"" + child->name + "\" is refused: " + reason);
    }
    RepairFileLinks(*root);
    root->name = GetTitle();
    releaseRoot = ar.readOwned<RCSReleaseRoot>();
    releaseRoot->parent = nullptr;
    fileTypes = ar.readString();
    if (version >= 2) {
        releaseNameFile = ar.readString();
        releaseNameTemplate = ar.readString();
    }
    RCSOptions::instance().serialize(ar);
    // Projects of that version did not keep their revisions up to date. The
    // histories are read only once the whole file has proved readable.
    if (version == 2) {
        root->Synchronise(false);
        SetModifiedFlag(true);
    }
}

bool CKestroDoc::OnSaveDocument(const std::string& path, std::string& error)
{
    if (!root || !releaseRoot || !siteList) {
        error = "There is no project to save to " + path;
        return false;
    }
    const std::string fullPath = FullPath(path);
    const std::string oldProjectDirectory = GetProjectDirectory();
    const std::string oldPathName = pathName_;
    const std::string oldWorkingDirectory = workingDirectory;
    const std::string oldRootName = root->name;

    // A working directory that was the project directory moves with it.
    if (workingDirectory == oldProjectDirectory)
        SetWorkingDirectory(DirectoryOf(fullPath), false);
    pathName_ = fullPath;
    root->SetName(GetTitle());

    const auto fail = [&](const std::string& reason) {
        error = "Cannot save project file " + path + ": " + reason;
        pathName_ = oldPathName;
        workingDirectory = oldWorkingDirectory;
        root->SetName(oldRootName);
        return false;
    };
    if (fullPath == oldPathName && ChangedOnDisk())
        return fail("it has been changed by another program since it was read");

    Archive ar;
    ar.reserve(static_cast<std::size_t>(std::max<std::int64_t>(stamp_.size, 0)) + 4096);
    Store(ar);
    // A file that still is the one last read or written, holding these very
    // bytes, is left alone: writing and syncing it again would only cost time.
    if (fullPath == oldPathName && ar.bytes() == storedBytes_ && StampOfFile(fullPath) == stamp_) {
        EnterDirectory(GetProjectDirectory());
        SetModifiedFlag(false);
        return true;
    }

    // QSaveFile buffers: a write that fails only when the buffer is flushed
    // (a full disk, a file size limit) shows in flush(), and commit() would
    // still put the short file in place. So the file is committed only once
    // every byte has reached it.
    QSaveFile file(QString::fromStdString(fullPath));
    const std::string& bytes = ar.bytes();
    errno = 0;
    const bool written = file.open(QIODevice::WriteOnly)
                         && file.write(bytes.data(), static_cast<qint64>(bytes.size())) == static_cast<qint64>(bytes.size())
                         && file.flush();
    const int writeError = errno;
    if (!written || !file.commit()) {
        // A failed flush leaves Qt with no reason of its own; the system's
        // ("No space left on device", "File too large") is the one to show.
        std::string reason = file.errorString().toStdString();
        if ((reason.empty() || reason == "Unknown error") && writeError != 0)
            reason = std::strerror(writeError);
        file.cancelWriting();
        return fail(reason);
    }
    stamp_ = StampOfFile(fullPath);
    storedBytes_ = ar.takeBytes();
    EnterDirectory(GetProjectDirectory());
    SetModifiedFlag(false);
    return true;
}

bool CKestroDoc::ChangedOnDisk() const
{
    if (pathName_.empty())
        return false;
    const ProjectFileStamp now = StampOfFile(pathName_);
    return now.exists && now != stamp_;
}

void CKestroDoc::Store(Archive& ar)
{
    ar.writeU32(ProjectFileVersion);
    ar.writeObject(siteList.get());
    ar.writeString(workingDirectory);
    ar.writeObject(root.get());
    ar.writeObject(releaseRoot.get());
    ar.writeString(fileTypes);
    ar.writeString(releaseNameFile);
    ar.writeString(releaseNameTemplate);
    RCSOptions::instance().serialize(ar);
}

RCSFileItem* CKestroDoc::AddFile(const std::string& path)
{
    const std::vector<RCSFileItem*> added = AddFiles({path});
    return added.empty() ? nullptr : added.front();
}

std::vector<RCSFileItem*> CKestroDoc::AddFiles(const std::vector<std::string>& paths, bool* historiesRead)
{
    std::vector<RCSFileItem*> items;
    std::unordered_set<RCSFileItem*> listed;
    int failures = 0;
    if (historiesRead)
        *historiesRead = true;
    if (!root)
        return items;
    const std::string projectDirectory = GetProjectDirectory();
    for (const std::string& path : paths) {
        std::string fullPath, directory, fileName, extension;
        if (SplitPath(path, fullPath, directory, fileName, extension) != 1)
            continue;
        if (directory.size() < projectDirectory.size()
            || !EqualsNoCase(directory.substr(0, projectDirectory.size()), projectDirectory)) {
            CurrentUserInteraction().ShowMessage("Cannot add file " + fullPath + " \r\nas it is not in a subdirectory of "
                                                     + projectDirectory,
                                                 MessageIcon::None);
            continue;
        }
        if (fullPath.find('\\') != std::string::npos) {
            CurrentUserInteraction().ShowMessage("Cannot add file " + fullPath
                                                     + " \r\nas names holding \"\\\" cannot be kept in a project",
                                                 MessageIcon::None);
            continue;
        }
        std::string relative = directory.substr(projectDirectory.size());
        // Naming the RCS file adds its working file, as the RCS programs
        // pair them: beside the RCS directory, or beside a ",v" file.
        if (relative == "RCS/" || (relative.size() > 5 && relative.ends_with("/RCS/")))
            relative.erase(relative.size() - 4);
        if (fileName.size() > 2 && fileName.ends_with(",v"))
            fileName.erase(fileName.size() - 2);
        const std::string itemName = ModelName(relative + fileName);
        RCSFileItem* item = root->FindFile(itemName);
        if (!item) {
            auto created = std::make_unique<RCSFileItem>(itemName, root.get());
            item = created.get();
            root->AddChild(std::move(created));
        }
        if (listed.insert(item).second)
            items.push_back(item);
    }
    if (items.empty())
        return items;
    for (RCSFileItem* item : items) {
        item->ClearCovered();
        if (!item->GetRcsFileStatus())
            item->FinishSynchronise(true, false, 0, std::string());
    }
    RunRlogForFiles(items, {}, [&failures](RCSFileItem* file, int result, const std::string& output) {
        failures += file->FinishSynchronise(true, true, result, output);
    });
    AdoptUnchangedFiles(items);
    root->RefreshDisplay(false);
    SetModifiedFlag(true);
    if (historiesRead)
        *historiesRead = failures == 0;
    return items;
}

void CKestroDoc::WriteReleaseNameFile(const std::string& releaseName) const
{
    if (releaseNameFile.empty() || releaseNameTemplate.empty())
        return;
    std::string text = releaseNameTemplate;
    const std::string percentMark(1, '\xFF');
    ReplaceAll(text, "%%", percentMark);
    const auto digit = std::find_if(releaseName.begin(), releaseName.end(),
                                    [](unsigned char c) { return std::isdigit(c); });
    if (digit != releaseName.end()) {
        const auto end = std::find_if(digit, releaseName.end(),
                                      [](unsigned char c) { return !std::isdigit(c); });
        ReplaceAll(text, "%d", std::string(digit, end));
    }
    ReplaceAll(text, "%s", releaseName);
    ReplaceAll(text, percentMark, "%");
    // Failing writes are passed over; a path refused as unsafe is reported.
    std::string problem;
    if (!WriteReleaseNameText(releaseNameFile, GetProjectDirectory(), workingDirectory, text, problem)
        && !problem.empty())
        CommandResults::instance().AppendResults(problem + " - not written\r\n");
}

void CKestroDoc::ReportUnsafeReleaseNameFile() const
{
    const std::string problem = ReleaseNameFileProblem(releaseNameFile, GetProjectDirectory(), workingDirectory);
    if (problem.empty())
        return;
    CommandResults::instance().AppendResults(problem + " - it will not be written\r\n");
}

} // namespace kestro
