// Receiving a release that another site sent: the RCC command file is read
// and checked in full before anything is changed, then the release the
// sender took as its base is checked out, every revision the file carries is
// checked in for the sending site, and a new release records the result.

#include "exchange/exchange_checks.h"
#include "exchange/rcc_reader.h"
#include "exchange/rcc_writer.h"
#include "exchange/received_checkins.h"
#include "exchange/received_differences.h"
#include "model/command_results.h"
#include "model/file_item.h"
#include "model/options.h"
#include "model/paths.h"
#include "model/project.h"
#include "model/release_item.h"
#include "model/release_root.h"
#include "model/release_version_item.h"
#include "model/root_item.h"
#include "model/site_list.h"
#include "model/string_helpers.h"
#include "model/version_item.h"
#include "ops/commands.h"
#include "ops/symbol_undo.h"
#include "rcs/rlog_layout.h"

#include <algorithm>
#include <cerrno>
#include <fstream>
#include <memory>
#include <unordered_map>
#include <unordered_set>

namespace kestro {

namespace {

void Report(const std::string& text)
{
    CommandResults::instance().AppendResults(text);
}

// The SITE line names both sites; the sender's e-mail address is taken when
// the sender is this site. Names and address will reach directory names and
// send commands, so what could not safely do so is refused.
bool AcceptSiteLine(Site& site, const std::string& sender, const std::string& email, const std::string& destination)
{
    for (const std::string* name : {&sender, &destination}) {
        if (!IsValidSiteName(*name)) {
            Report("Import file names a site that cannot be used: " + *name + "\r\n");
            return false;
        }
    }
    if (sender != site.name)
        return true;
    const std::string address = email == "-" ? std::string() : email;
    if (!IsAcceptableEmailAddress(address)) {
        Report("Import file - e-mail address refused: " + address + "\r\n");
        return false;
    }
    site.emailAddress = address;
    return true;
}

// Checks every entry, the file it brings and the working file it writes
// before anything is changed, so that a command file that cannot be applied
// in full changes nothing. The n-th revision of one file in the command file
// lies in the n-th revision subdirectory beside it; sources receives that
// path for every FILE and DIFF entry.
bool CheckEntries(const Project& doc, const std::string& directory, std::vector<CommandFileEntry>& entries,
                  std::vector<std::string>& sources)
{
    RCSRoot& root = *doc.root;
    const ProjectPlaces places{doc.GetWorkingDirectory(), doc.GetPathName()};
    std::unordered_set<std::string> added;  // files that earlier FILE entries bring
    std::unordered_map<std::string, int> entriesOfFile;
    sources.assign(entries.size(), std::string());
    for (std::size_t i = 0; i < entries.size(); ++i) {
        CommandFileEntry& entry = entries[i];
        entry.fileName = ModelName(entry.fileName);
        const std::string reason = ForbiddenTargetReason(places, entry.fileName);
        if (!reason.empty()) {
            Report("Import file - file name refused: " + entry.fileName + " (" + reason + ")\r\n");
            return false;
        }
        const bool known = root.FindFile(entry.fileName) || added.count(FoldCase(entry.fileName));
        if (!known && (entry.keyword == "DIFF" || (entry.keyword == "FILE" && entry.base != "-"))) {
            Report("Import:" + entry.fileName + " doesn't exist\r\n");
            return false;
        }
        if (entry.keyword == "DELE")
            continue;
        // The base of a difference is checked out by its number.
        if (entry.keyword == "DIFF" && !IsRevisionNumber(entry.base)) {
            Report("Import file - the differences for " + entry.fileName + " name no base revision: " + entry.base
                   + "\r\n");
            return false;
        }
        const std::string source = RevisionSubdirectory(entry.fileName, entriesOfFile[FoldCase(entry.fileName)]++);
        if (const std::string unreadable = UnreadableSourceReason(directory, NativePath(source)); !unreadable.empty()) {
            Report("Import file - " + entry.fileName + " cannot be read from " + source + ": " + unreadable + "\r\n");
            return false;
        }
        sources[i] = directory + NativePath(source);
        added.insert(FoldCase(entry.fileName));
    }
    return true;
}

} // namespace

int SiteList::ReceiveRelease(const std::string& path)
{
    std::string fullPath, directory, fileName, extension;
    if (SplitPath(path, fullPath, directory, fileName, extension) != 1)
        return 0;
    if (!EqualsNoCase(extension, "RCC")) {
        Report(path + " is not a .RCC file\r\n");
        return 1;
    }
    // The receive forces check-outs over the working files, so, as for a
    // freeze, every file must be checked in first.
    Project* doc = Project::current();
    if (!doc || !doc->root || !doc->root->CanFreeze())
        return 1;
    Site* site = FindOrCreate(fileName.substr(0, fileName.size() - 4));
    if (!site)
        return 1;
    RCSOptions& options = RCSOptions::instance();
    const KeptCommandSettings userSettings;
    CheckinSettings& checkin = options.checkin;
    checkin.force = true;
    checkin.determineRevision = false;
    checkin.lock = options.receive.lock;
    checkin.keepTime = options.receive.keepTime;
    return site->ReadCommandFile(fullPath, options.receive.mergeAfterImport);
}

int Site::ReadCommandFile(const std::string& path, bool mergeAfterImport)
{
    Project* doc = Project::current();
    if (!doc || !doc->root || !doc->releaseRoot)
        return 1;
    RCSRoot& root = *doc->root;
    RCSOptions& options = RCSOptions::instance();
    const std::string directory = path.substr(0, path.rfind('/') + 1);

    std::ifstream file(path, std::ios::binary);
    Report("Reading import file\r\n");
    if (!file) {
        Report(FileErrorMessage(errno, path));
        return 1;
    }
    std::string keyword, baseName, releaseName, projectName;
    int read = ReadCommandLine(file, keyword, baseName, releaseName, projectName);
    if (read == 0)
        return 1;
    if (read < 0 || keyword != "RCS1") {
        Report("Import file missing RCS1 command\r\n");
        return 1;
    }
    if (!EqualsNoCase(projectName, root.name)) {
        Report("Import file is for RCS project " + projectName + "\r\n");
        return 1;
    }
    std::string sender, email, destination;
    read = ReadCommandLine(file, keyword, sender, email, destination);
    if (read == 0)
        return 1;
    if (read < 0 || keyword != "SITE") {
        Report("Import file missing SITE command\r\n");
        return 1;
    }
    if (!AcceptSiteLine(*this, sender, email, destination))
        return 1;
    std::vector<CommandFileEntry> entries;
    std::vector<std::string> sources;
    if (!ReadCommandEntries(file, entries) || !CheckEntries(*doc, directory, entries, sources))
        return 1;
    file.close();
    // The new release's symbols are removed again should the receive fail,
    // which must never touch the symbols of a release this site has.
    if (doc->releaseRoot->FindRelease(releaseName)) {
        Report("Release already exists:" + releaseName + "\r\n");
        return 1;
    }
    if (const std::string reason = UnsafeReleaseNameReason(releaseName); !reason.empty()) {
        Report("Import file names a release that cannot be used: " + releaseName + " (" + reason + ")\r\n");
        return 1;
    }
    if (const std::string clash = ReleaseSymbolClash(*doc->releaseRoot, releaseName); !clash.empty()) {
        Report(clash + "\r\n");
        return 1;
    }

    // Every difference is applied now, while nothing has changed yet.
    ReceivedDifferences differences;
    if (!differences.Prepare(root, *this, entries, sources))
        return 1;

    CheckoutSettings& checkout = options.checkout;
    checkout.lock = true;
    checkout.force = true;
    checkout.determineRevision = false;
    checkout.keepTime = false;
    checkout.checkoutDate.clear();
    checkout.noKeywords = false;

    Report("Finding release " + baseName + "\r\n");
    RCSReleaseItem* base = nullptr;
    if (baseName != "-") {
        base = doc->releaseRoot->FindRelease(baseName);
        if (!base) {
            Report("Release " + baseName + " does not exist\r\n");
            return 1;
        }
        Report("Checking it out\r\n");
        // Names the release as the revision and the working files as the
        // target; the settings above then apply. The files the command file
        // leaves alone enter the new release at their working revision,
        // which must therefore be the base's; a file already there is left
        // as it is.
        base->PrepareCheckout();
        const auto awayFromBase = [](RCSItem& child) {
            const auto* entry = dynamic_cast<RCSReleaseVersionItem*>(&child);
            return !entry || !entry->revisionRef || !entry->revisionRef->file
                   || entry->revisionRef->file->workingRevision != entry->revisionRef->name
                   || !entry->revisionRef->file->GetWorkingFileStatus();
        };
        bool anyAway = false;
        for (const auto& child : base->children)
            anyAway = anyAway || awayFromBase(*child);
        if (const int result = anyAway ? CheckoutChildren(*base, awayFromBase) : 0) {
            Report("Release " + baseName + " could not be checked out\r\n");
            return result;
        }
        doc->WriteReleaseNameFile(base->name);
        base->ClearCovered();
    }

    CheckinSettings& checkin = options.checkin;
    checkin.lock = true;
    checkin.force = true;
    checkin.determineRevision = false;
    checkin.keepTime = false;

    auto owned = std::make_unique<RCSReleaseItem>(releaseName);
    RCSReleaseItem* release = owned.get();
    doc->releaseRoot->AddChild(std::move(owned));
    // No release has the new symbol, so undoing removes it where it was set.
    SymbolUndo symbols(MakeSymbolName(releaseName), nullptr);

    // The n-th revision of each file is checked in in the n-th round; within
    // a round the files share ci runs. A round with a failure is the last;
    // the first failing entry gives the result.
    std::vector<std::size_t> roundOf(entries.size(), 0);
    std::size_t rounds = 0;
    {
        std::unordered_map<std::string, std::size_t> seen;
        for (std::size_t i = 0; i < entries.size(); ++i) {
            std::size_t& n = seen[FoldCase(entries[i].fileName)];
            roundOf[i] = n;
            if (entries[i].keyword != "DELE")
                ++n;
            rounds = std::max(rounds, roundOf[i] + 1);
        }
    }
    int result = 0;
    std::vector<RCSFileItem*> received;
    std::unordered_set<RCSFileItem*> inRelease;
    for (std::size_t round = 0; round < rounds && result == 0; ++round) {
        std::vector<std::size_t> members;
        std::vector<ReceivedRevision> revisions;
        for (std::size_t i = 0; i < entries.size(); ++i) {
            if (roundOf[i] != round)
                continue;
            const CommandFileEntry& entry = entries[i];
            Report("Processing " + entry.keyword + " " + entry.base + " " + entry.revision + " " + entry.fileName
                   + "\r\n");
            members.push_back(i);
            // A difference arrives as the text it makes, and is checked in
            // as a complete file would be.
            if (entry.keyword != "DELE")
                revisions.push_back({entry.keyword == "DIFF" ? differences.TextFile(i) : sources[i], entry.fileName,
                                     TranslateRevision(entry.revision, Direction::SiteToLocal), entry.logMessage});
        }
        const std::vector<int> results = ImportRevisions(*this, revisions, mergeAfterImport);
        std::size_t next = 0;
        for (const std::size_t i : members) {
            const CommandFileEntry& entry = entries[i];
            RCSFileItem* target = root.FindFile(entry.fileName);
            if (entry.keyword != "DELE") {
                const int entryResult = results[next++];
                const int failed = entryResult != 0 ? entryResult : (target ? 0 : 1);
                if (failed != 0) {
                    if (result == 0)
                        result = failed;
                    continue;
                }
                RecordRevisionPair(entry.revision, target->workingRevision);
                if (inRelease.insert(target).second)
                    received.push_back(target);
            }
            // A DELE entry only marks the file, which keeps it out of the new
            // release; one for a file this site does not have is passed over.
            const std::string baseRevision = TranslateRevision(entry.base, Direction::SiteToLocal);
            if (target && base && baseRevision != "-") {
                if (RCSReleaseVersionItem* covered = base->FindFileEntry(target->name)) {
                    covered->SetCovered(true);
                    covered->RefreshDisplay(false);
                }
            }
        }
    }
    // The new release: the received revisions, then the files of the base
    // release that the command file left alone, at their working revision;
    // files at the same revision share rcs runs.
    if (result == 0) {
        if (base) {
            for (const auto& child : base->children) {
                auto* entry = dynamic_cast<RCSReleaseVersionItem*>(child.get());
                if (entry && !entry->IsCovered() && entry->revisionRef && entry->revisionRef->file
                    && inRelease.insert(entry->revisionRef->file).second)
                    received.push_back(entry->revisionRef->file);
            }
        }
        result = FreezeFiles(received, release, symbols);
    }

    if (result != 0) {
        symbols.Undo();
        release->Detach();
        return result;
    }
    doc->releaseRoot->RefreshDisplay(false);
    doc->WriteReleaseNameFile(release->name);
    lastRelease = release->name;
    return 0;
}

} // namespace kestro
