#pragma once

// The project document: the file tree, the release tree, the sites and the
// project's own settings, and the project file they are kept in.

#include "model/project.h"

#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

namespace kestro {

class Archive;
class RCSFileItem;

// What tells one version of the project file on disk from another: a save
// replaces the file, so a new file, size or time means another program
// wrote it.
struct ProjectFileStamp {
    bool exists = false;
    std::uint64_t device = 0;
    std::uint64_t inode = 0;
    std::int64_t size = 0;
    std::int64_t modifiedNanoseconds = 0;
    bool operator==(const ProjectFileStamp&) const = default;
};

// The stamp of the file at path now; exists is false when there is none.
ProjectFileStamp StampOfFile(const std::string& path);

class CKestroDoc : public Project {
public:
    // The newest layout of the project file; older ones down to 1 are read.
    static constexpr std::uint32_t ProjectFileVersion = 5;

    CKestroDoc();
    ~CKestroDoc() override;

    // The one document of the process, or null.
    static CKestroDoc* current();

    std::string fileTypes;
    std::string releaseNameFile;
    std::string releaseNameTemplate;
    std::string workingDirectory;  // absolute, ends in "/"

    // Called whenever the working directory changes, for the status bar.
    std::function<void(const std::string&)> onWorkingDirectoryChanged;

    const std::string& GetPathName() const override { return pathName_; }
    // "Untitled" before the project is first saved.
    std::string GetTitle() const override;
    bool IsModified() const { return modified_; }
    void SetModifiedFlag(bool modified = true) override { modified_ = modified; }

    bool OnNewDocument();
    void DeleteContents();
    // Whether reading a project looks at every file on the disk for its
    // status. A caller that works on a few files of a big project clears it
    // and brings those files' status up to date itself; until then a file
    // shows the status it was saved with.
    bool statusOnOpen = true;
    // Reads a project file. On failure the document keeps the project it had
    // and error names the file and what is wrong with it.
    bool OnOpenDocument(const std::string& path, std::string& error);
    // Reads a project held in memory, as OnOpenDocument reads a file. The
    // document then has no file name; on failure it is left empty.
    bool LoadFromBytes(const std::string& bytes, std::string& error);
    // Writes the project file atomically: on failure (a write, the flush or
    // the rename failed) the previous file stays byte for byte. The file the
    // project was read from is not overwritten once another program has
    // changed it (see ChangedOnDisk).
    bool OnSaveDocument(const std::string& path, std::string& error);
    // True when the project file has been replaced or changed on disk since
    // this document read or last wrote it.
    bool ChangedOnDisk() const;

    // Adds a working file, or the working file of an RCS file named inside an
    // RCS subdirectory, and reads its history. A file already in the project
    // is only synchronised. Null when the path is not a file of the project.
    RCSFileItem* AddFile(const std::string& path);
    // The same for many files, reading their histories in as few rlog runs
    // as possible. Returns the items added or found, in order; historiesRead,
    // when given, tells whether every one of their histories could be read.
    std::vector<RCSFileItem*> AddFiles(const std::vector<std::string>& paths, bool* historiesRead = nullptr);

    std::string GetProjectDirectory() const override;
    std::string GetWorkingDirectory() const override { return workingDirectory; }
    bool SetWorkingDirectory(std::string directory, bool markModified);
    void WriteReleaseNameFile(const std::string& releaseName) const override;
    // Shows both trees in the view: the release tree above the file tree.
    void InsertTreesIntoView();
    // Removes the file tree from the view and shows it again, so that every
    // text and sibling order is computed anew.
    void ResetTree();

    // False for bytes that cannot start a project file of any version.
    static bool IsProjectFile(const std::string& bytes);

private:
    void EnsureDefaultSite();
    // A project file copied or moved with its files still names the old
    // directory as its working directory; it then works on its own files.
    void AdoptCopiedProjectDirectory();
    // A loaded release name file that lies outside the working directory is
    // reported; it is kept as it was stored, but never written.
    void ReportUnsafeReleaseNameFile() const;
    // Reads the project from bytes, which it hands back unchanged; on failure
    // empties the document and returns what is wrong in failure.
    bool ReadProject(std::string& bytes, std::string& failure);
    void Load(Archive& ar);
    void Store(Archive& ar);

    std::string pathName_;
    bool modified_ = false;
    ProjectFileStamp stamp_;  // of pathName_ as last read or written
    std::string storedBytes_;  // what pathName_ held then
};

} // namespace kestro
