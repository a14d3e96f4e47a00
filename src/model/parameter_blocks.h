#pragma once

// The settings of each RCS command. One block of each kind lives in the
// options object; a command's dialog edits it and the command reads it, so
// the last values are kept from one use to the next and with the project.
//
// serialize() writes the newest layout of a block and reads every older one.
// Fields a layout does not hold keep their values when it is read.

#include <string>

namespace kestro {

class Archive;
class RCSItem;

struct CheckinSettings {
    RCSItem* item = nullptr;  // the item the revision list is filled from
    std::string revision;
    bool lock = true;
    bool force = false;
    bool determineRevision = false;
    bool keepTime = false;
    std::string logMessage;

    void serialize(Archive& ar);
};

struct CheckoutSettings {
    bool allowTargetFile = false;
    RCSItem* item = nullptr;
    std::string revision;
    bool lock = true;
    bool force = false;
    bool determineRevision = false;
    bool keepTime = false;
    std::string checkoutDate;
    bool noKeywords = false;
    std::string targetFile;

    void serialize(Archive& ar);
};

struct CompareSettings {
    RCSItem* item = nullptr;
    std::string revision1;
    std::string revision2;
    bool ignoreCase = false;
    bool ignoreWhiteSpace = false;
    bool ignoreBlankSpace = false;
    bool ignoreBlankLines = false;
    bool contextDiff = false;
    bool showCFunction = false;
    bool noKeywords = false;

    void serialize(Archive& ar);
};

struct MergeSettings {
    RCSItem* item = nullptr;
    std::string revision1;
    std::string revision2;
    bool ignoreKeywords = false;

    void serialize(Archive& ar);
};

struct ReportSettings {
    RCSItem* item = nullptr;
    std::string revisions;
    std::string dates;
    std::string users;
    std::string states;
    bool lockedOnly = false;
    bool symbolicNames = true;
    // 0 all, 1 name only, 2 header only, 3 header and text,
    // 4 log messages only, 5 unique log messages only.
    int information = 0;
    bool afterRevision = false;

    void serialize(Archive& ar);
};

struct SendSettings {
    std::string destinationSite;
    std::string releaseToSend;
    std::string originalRelease;
    // 0 all files, 1 complete changed files, 2 just differences.
    int sendChoice = 0;
    bool deleteTemporary = false;  // asked afresh each session, never stored

    void serialize(Archive& ar);
};

struct ImportSettings {
    std::string sourceSite;
    std::string sourceDirectory;
    std::string releaseName;
    std::string message;
    bool determineRevision = false;
    bool lock = false;
    bool force = false;
    bool keepTime = false;
    bool includeSubdirectories = false;
    bool mergeAfterImport = false;

    void serialize(Archive& ar);
};

// The receive dialog's switches; never stored.
struct ReceiveSettings {
    bool lock = false;
    bool keepTime = false;
    bool mergeAfterImport = false;
};

}  // namespace kestro
