// Receiving a release that another site sent: the RCC command file is read
// and checked in full before anything is changed, then the release the
// sender took as its base is checked out, every revision the file carries is
// checked in for the sending site, and a new release records the result.

#include "model/command_results.h"
#include "model/project.h"
#include "model/file_item.h"
#include "model/options.h"
#include "model/paths.h"
#include "rcs/rlog_layout.h"
#include "model/root_item.h"
#include "model/string_helpers.h"
#include "model/tree_traverser.h"
#include "model/version_item.h"
#include "ops/commands.h"
#include "model/release_item.h"
#include "model/release_root.h"
#include "model/release_version_item.h"
#include "ops/symbol_undo.h"
#include "exchange/exchange_checks.h"
#include "exchange/rcc_reader.h"
#include "exchange/rcc_writer.h"
#include "exchange/received_differences.h"
#include "model/site_list.h"

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

// Carries the entries of the base release that the command file left alone
// into the new release, at the revision the base checkout put in place.
class ReceiveCoveredChecker : public TreeTraverser {
public:
    ReceiveCoveredChecker(RCSReleaseItem* newRelease, SymbolUndo& symbols)
        : TreeTraverser(1, 0), release(newRelease), undo(symbols)
    {
    }
    int Visit() override
    {
        auto* entry = dynamic_cast<RCSReleaseVersionItem*>(current);
        if (entry && !entry->IsCovered() && entry->revisionRef && entry->revisionRef->file)
            return entry->revisionRef->file->FreezeFile(release, undo);
        return 0;
    }
    RCSReleaseItem* release;
    SymbolUndo& undo;
};

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
        // target; the settings above then apply.
        base->PrepareCheckout();
        // The files the command file leaves alone enter the new release at
        // their working revision, which must therefore be the base's.
        if (const int result = base->Checkout()) {
            Report("Release " + baseName + " could not be checked out\r\n");
            return result;
        }
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

    int result = 0;
    for (std::size_t i = 0; i < entries.size(); ++i) {
        const CommandFileEntry& entry = entries[i];
        Report("Processing " + entry.keyword + " " + entry.base + " " + entry.revision + " " + entry.fileName
               + "\r\n");
        RCSFileItem* target = root.FindFile(entry.fileName);
        const std::string baseRevision = TranslateRevision(entry.base, Direction::SiteToLocal);
        if (entry.keyword != "DELE") {
            // A difference arrives as the text it makes, and is checked in
            // as a complete file would be.
            const std::string& source = entry.keyword == "DIFF" ? differences.TextFile(i) : sources[i];
            checkin.logMessage = entry.logMessage;
            result = ImportFile(source, entry.fileName, mergeAfterImport,
                                TranslateRevision(entry.revision, Direction::SiteToLocal));
            target = root.FindFile(entry.fileName);
            if (result == 0 && !target)
                result = 1;
            if (result != 0)
                break;
            RecordRevisionPair(entry.revision, target->workingRevision);
            result = target->FreezeFile(release, symbols);
            if (result != 0)
                break;
        }
        // A DELE entry only marks the file, which keeps it out of the new
        // release; one for a file this site does not have is passed over.
        if (target && base && baseRevision != "-") {
            if (RCSReleaseVersionItem* covered = base->FindFileEntry(target->name)) {
                covered->SetCovered(true);
                covered->RefreshDisplay(false);
            }
        }
    }
    if (result == 0 && base) {
        ReceiveCoveredChecker checker(release, symbols);
        result = checker.Traverse(base);
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
