#pragma once

#include "archive/archive.h"

#include <string>
#include <string_view>
#include <unordered_map>
#include <utility>
#include <vector>

namespace kestro {

class RCSFileItem;
class RCSReleaseItem;
class RCSVersionItem;

// The import of one file in two halves around its check-in, so that many
// files can be checked in in shared ci runs (exchange/received_checkins.cpp).
struct ImportStep {
    RCSFileItem* file = nullptr;
    std::string revision;        // for the check-in settings
    std::string previous;        // the working revision before the import
    RCSVersionItem* toLock = nullptr;  // to be locked for the check-in
    std::string lockedHere;      // its number, to give the lock back after
    bool checkin = false;        // false: nothing is to be checked in
};

// A file to import: where it is, and its name in the project (relative to
// the working directory).
struct ImportSource {
    std::string path;
    std::string name;
};

// Pairs of revision numbers, kept in the order they were first recorded so
// that a project file read and written again keeps its bytes.
class RevisionMap {
public:
    void Set(const std::string& key, const std::string& value);
    const std::string* Find(const std::string& key) const;
    std::size_t size() const { return entries_.size(); }
    const std::vector<std::pair<std::string, std::string>>& entries() const { return entries_; }
    void clear();

private:
    std::vector<std::pair<std::string, std::string>> entries_;
    std::unordered_map<std::string, std::size_t> index_;
};

// One installation of the project. Its send directory lies below the
// project directory: "RCSSites/<project title>/<site name>/".
class Site : public Serializable {
public:
    enum class Direction { SiteToLocal, LocalToSite };

    Site();
    Site(const std::string& siteName, const std::string& email);

    std::string name;
    std::string emailAddress;
    std::string sendCommand;
    std::string lastRelease;
    RevisionMap localToSite;  // our revision number -> that site's
    RevisionMap siteToLocal;  // the same pairs the other way round; never stored

    const char* className() const override { return "Site"; }
    std::uint16_t classSchema() const override { return 3; }
    void serialize(Archive& ar) override;

    // Maps a revision number through the pairs recorded for this site,
    // using the longest recorded leading part of it.
    std::string TranslateRevision(const std::string& revision, Direction direction) const;
    void RecordRevisionPair(std::string siteRevision, std::string localRevision);

    // Empty when the site's name could not safely name a directory.
    std::string SendDirectory() const;
    // Deletes everything below the send directory (names beginning with "."
    // are kept), never anything outside the project's "RCSSites" area.
    void ClearSendDirectory();

    // Sending a release to this site (sites/send_release.cpp). Without an
    // original release the site's lastRelease is the one it is known to
    // hold; 0 on success.
    enum SendMode { JustDifferences = 0, CompleteChangedFiles = 1, AllFiles = 2 };
    int SendReleaseToSite(RCSReleaseItem* release, int mode, RCSReleaseItem* original);

    // Receiving and importing a release from this site
    // (exchange/receive_release.cpp, exchange/import_release.cpp).
    int ReadCommandFile(const std::string& path, bool mergeAfterImport);
    int ImportDirectory(const std::string& directory, const std::string& releaseName, bool includeSubdirectories,
                        bool mergeAfterImport);
    int ImportFiles(const std::vector<ImportSource>& sources, bool mergeAfterImport);
    // Everything the import of one file does before its check-in (the
    // checks, the copy, the revision to check in) but the lock: a result
    // other than 0, or 0 with step.checkin false, ends the import of that
    // file.
    int PrepareImportFile(const std::string& sourcePath, const std::string& targetName,
                          const std::string& revision, ImportStep& step);
    // What the import of one file does after its check-in gave the result.
    void FinishImportFile(const ImportStep& step, int result, bool mergeAfterImport);
};

// Whether a name may be given to a site. Its send directory is later
// cleared recursively, so the name must stay one path component.
bool IsValidSiteName(std::string_view siteName);

} // namespace kestro
