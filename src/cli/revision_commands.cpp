// The commands on files, revisions and releases. Each fills the command's
// settings from the options as the window's dialog would, runs the item's
// operation and marks the project modified where the window does.

#include "app/document.h"
#include "app/working_directory.h"
#include "cli/cli_session.h"
#include "cli/item_lookup.h"
#include "model/file_item.h"
#include "model/item.h"
#include "model/options.h"
#include "model/paths.h"
#include "model/release_version_item.h"
#include "model/root_item.h"
#include "model/site_list.h"
#include "model/version_item.h"
#include "ops/commands.h"

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <fstream>
#include <functional>
#include <iostream>
#include <sstream>

namespace kestro::cli {

namespace {

std::string ValueOr(const Arguments& args, const char* option, const std::string& otherwise = std::string())
{
    const std::string* value = Value(args, option);
    return value ? *value : otherwise;
}

// The items named on the command line, or the project root when none is.
bool ResolveItems(Session& session, const Arguments& args, std::vector<RCSItem*>& items)
{
    std::vector<std::string> names = args.items;
    if (names.empty())
        names.push_back(std::string());
    for (const std::string& name : names) {
        std::string error;
        RCSItem* item = FindItem(session.doc, name, error, session.callerDirectory());
        if (!item) {
            Fail(error);
            return false;
        }
        items.push_back(item);
    }
    return true;
}

// Brings the status of the files the items stand for up to date: the
// project was opened without looking at any file, so that a command on one
// file of a big project does not pay for all of them.
void UpdateStatusOf(CKestroDoc& doc, const std::vector<RCSItem*>& items)
{
    std::vector<RCSFileItem*> files;
    for (RCSItem* item : items) {
        auto* file = dynamic_cast<RCSFileItem*>(item);
        if (const auto* revision = dynamic_cast<RCSVersionItem*>(item))
            file = revision->file;
        else if (const auto* entry = dynamic_cast<RCSReleaseVersionItem*>(item))
            file = entry->revisionRef ? entry->revisionRef->file : nullptr;
        if (!file) {  // the project, the releases or a release: every file
            for (auto& child : doc.root->children)
                child->UpdateStatus();
            return;
        }
        files.push_back(file);
    }
    for (RCSFileItem* file : files)
        file->UpdateStatus();
}

// Runs one command on every item: prepare, apply the options, run.
// A command without settings passes no prepare step.
// A check may refuse the items (returning the exit status) or replace them
// before anything runs. Given runTogether, files that may run are run in
// one call, so that they can share program runs; only when every item is a
// file, since a revision's preparation picks settings of its own.
using ItemCheck = std::function<int(std::vector<RCSItem*>&)>;
using RunTogether = std::function<int(const std::vector<RCSItem*>&)>;

int RunOnItems(const Arguments& args, bool marksModified, bool (RCSItem::*prepare)(),
               const std::function<void(RCSItem*)>& applyOptions, int (*run)(RCSItem*),
               bool (RCSItem::*can)() const = nullptr, const ItemCheck& check = {},
               const RunTogether& runTogether = {})
{
    Session session;
    session.doc.statusOnOpen = false;
    if (!session.Open(args.project, marksModified))
        return 1;
    std::vector<RCSItem*> items;
    if (!ResolveItems(session, args, items))
        return 1;
    UpdateStatusOf(session.doc, items);
    if (check) {
        if (const int refused = check(items))
            return refused;
    }
    const bool together = runTogether && std::all_of(items.begin(), items.end(), [](RCSItem* item) {
        return dynamic_cast<RCSFileItem*>(item) != nullptr;
    });
    int result = 0;
    std::vector<RCSItem*> ready;
    for (RCSItem* item : items) {
        if ((can && !(item->*can)()) || (prepare && !(item->*prepare)())) {
            Fail(args.command + " does not apply to " + item->GetDescription());
            result |= 1;
            continue;
        }
        applyOptions(item);
        if (together)
            ready.push_back(item);
        else
            result |= run(item);
    }
    if (!ready.empty())
        result |= runTogether(ready);
    if (marksModified)
        session.doc.SetModifiedFlag(true);
    return session.Finish(result);
}

// One revision named as NAME@REVISION.
RCSVersionItem* OneRevision(Session& session, const Arguments& args)
{
    if (args.items.size() != 1) {
        Fail(args.command + " needs one revision as NAME@REVISION");
        return nullptr;
    }
    std::string error;
    RCSItem* item = FindItem(session.doc, args.items.front(), error, session.callerDirectory());
    auto* revision = dynamic_cast<RCSVersionItem*>(item);
    if (!revision)
        Fail(item ? args.items.front() + " is not a revision" : error);
    return revision;
}

// The files an item stands for: a revision its file, a container its files.
std::vector<RCSFileItem*> CoveredFiles(RCSItem* item)
{
    if (auto* file = dynamic_cast<RCSFileItem*>(item))
        return {file};
    if (auto* revision = dynamic_cast<RCSVersionItem*>(item))
        return revision->file ? std::vector<RCSFileItem*>{revision->file} : std::vector<RCSFileItem*>{};
    std::vector<RCSFileItem*> files;
    for (auto& child : item->children) {
        if (auto* file = dynamic_cast<RCSFileItem*>(child.get()))
            files.push_back(file);
    }
    return files;
}

// The log message from a file, or from standard input for "-".
bool ReadMessageFile(const std::string& path, std::string& message)
{
    std::ostringstream text;
    if (path == "-") {
        text << std::cin.rdbuf();
    } else {
        std::ifstream file(path, std::ios::binary);
        if (!file) {
            Fail("Cannot read message file " + path + ": " + std::strerror(errno));
            return false;
        }
        text << file.rdbuf();
    }
    message = text.str();
    // The line break that ends a file's last line is not part of the message.
    if (message.ends_with('\n'))
        message.pop_back();
    return true;
}

int InformationMode(const std::string& name)
{
    static const char* const modes[] = {"all", "name", "header", "header-text", "log", "unique"};
    for (int i = 0; i < 6; ++i) {
        if (name == modes[i])
            return i;
    }
    return -1;
}

} // namespace

int CommandCheckin(const Arguments& args)
{
    const std::string* text = Value(args, "-m");
    const std::string* messageFile = Value(args, "--message-file");
    if (text && messageFile)
        return UsageFail("checkin takes -m or --message-file, not both");
    std::string message;
    if (text)
        message = *text;
    else if (messageFile && !ReadMessageFile(*messageFile, message))
        return 1;
    const bool hasMessage = text || messageFile;

    // The message given is every file's; without one, only files new to RCS
    // may be checked in, each with its own initial message.
    const ItemCheck check = [&](std::vector<RCSItem*>& items) {
        if (hasMessage)
            return 0;
        std::vector<RCSItem*> files;
        for (RCSItem* item : items) {
            for (RCSFileItem* file : CoveredFiles(item)) {
                if (file->GetRcsFileStatus())
                    return UsageFail("checkin needs a log message (-m TEXT or --message-file FILE): " + file->name
                                     + " is already under RCS");
                files.push_back(file);
            }
        }
        items = std::move(files);
        return 0;
    };
    return RunOnItems(
        args, true, &RCSItem::PrepareCheckin,
        [&](RCSItem*) {
            CheckinSettings& settings = RCSOptions::instance().checkin;
            if (args.values.count("-r"))
                settings.revision = ValueOr(args, "-r");
            if (hasMessage)
                settings.logMessage = message;
            settings.lock = !Has(args, "--no-lock");
            settings.force = Has(args, "--force");
            settings.keepTime = Has(args, "--keep-time");
            settings.determineRevision = Has(args, "--determine-revision");
        },
        [](RCSItem* item) {
            const int result = item->Checkin(nullptr);
            // The message belongs to this run alone, never to a later one.
            RCSOptions::instance().checkin.logMessage.clear();
            return result;
        },
        &RCSItem::CanCheckin, check,
        // Files given one message share ci runs; files new to RCS without
        // one each have their own first message.
        hasMessage && args.items.size() > 1 ? RunTogether([](const std::vector<RCSItem*>& items) {
            const int result = CheckinItems(items, nullptr);
            RCSOptions::instance().checkin.logMessage.clear();
            return result;
        })
                                            : RunTogether());
}

int CommandCheckout(const Arguments& args)
{
    // Taken from the caller's directory before the project's becomes current.
    const std::string* target = Value(args, "--to");
    const std::string targetFile = target ? FullPath(*target) : std::string();
    return RunOnItems(
        args, true, &RCSItem::PrepareCheckout,
        [&](RCSItem*) {
            CheckoutSettings& settings = RCSOptions::instance().checkout;
            if (args.values.count("-r"))
                settings.revision = ValueOr(args, "-r");
            settings.lock = !Has(args, "--no-lock");
            settings.force = Has(args, "--force");
            settings.keepTime = Has(args, "--keep-time");
            settings.determineRevision = Has(args, "--determine-revision");
            settings.noKeywords = Has(args, "--no-keywords");
            settings.checkoutDate = ValueOr(args, "-d");
            // Only a file can be checked out to another file.
            settings.targetFile = settings.allowTargetFile ? targetFile : std::string();
        },
        [](RCSItem* item) { return item->Checkout(); }, &RCSItem::CanCheckout, {},
        // Files checked out alike share co runs; a copy names one file.
        !target && args.items.size() > 1 ? RunTogether(CheckoutItems) : RunTogether());
}

int CommandCompare(const Arguments& args)
{
    return RunOnItems(
        args, false, &RCSItem::PrepareCompare,
        [&](RCSItem*) {
            CompareSettings& settings = RCSOptions::instance().compare;
            if (args.values.count("-1"))
                settings.revision1 = ValueOr(args, "-1");
            settings.revision2 = ValueOr(args, "-2");
            settings.ignoreCase = Has(args, "--ignore-case");
            settings.ignoreWhiteSpace = Has(args, "--ignore-white-space");
            settings.ignoreBlankSpace = Has(args, "--ignore-blank-space");
            settings.ignoreBlankLines = Has(args, "--ignore-blank-lines");
            settings.contextDiff = Has(args, "--context");
            settings.showCFunction = Has(args, "--show-c-function");
            settings.noKeywords = Has(args, "--no-keywords");
        },
        [](RCSItem* item) { return item->Compare(); }, &RCSItem::CanCompare);
}

int CommandMerge(const Arguments& args)
{
    return RunOnItems(
        args, false, &RCSItem::PrepareMerge,
        [&](RCSItem*) {
            MergeSettings& settings = RCSOptions::instance().merge;
            if (args.values.count("-1"))
                settings.revision1 = ValueOr(args, "-1");
            settings.revision2 = ValueOr(args, "-2");
            settings.ignoreKeywords = Has(args, "--ignore-keywords");
        },
        [](RCSItem* item) {
            if (RCSOptions::instance().merge.revision1.empty()) {
                Fail("Revision 1 must be filled in");
                return 1;
            }
            return item->Merge();
        },
        &RCSItem::CanMerge);
}

int CommandReport(const Arguments& args)
{
    const int information = InformationMode(ValueOr(args, "--information", "all"));
    if (information < 0)
        return UsageFail("--information takes all, name, header, header-text, log or unique");
    return RunOnItems(
        args, true, &RCSItem::PrepareReport,
        [&](RCSItem*) {
            ReportSettings& settings = RCSOptions::instance().report;
            if (args.values.count("-r"))
                settings.revisions = ValueOr(args, "-r");
            settings.dates = ValueOr(args, "--dates");
            settings.users = ValueOr(args, "--users");
            settings.states = ValueOr(args, "--states");
            settings.lockedOnly = Has(args, "--locked-only");
            settings.symbolicNames = !Has(args, "--no-symbolic-names");
            settings.information = information;
            settings.afterRevision = Has(args, "--after-revision");
        },
        [](RCSItem* item) { return item->Report(); });
}

int CommandFreeze(const Arguments& args)
{
    Session session;
    if (!session.Open(args.project))
        return 1;
    return session.Finish(FreezeProject(session.doc, args.items.front()) ? 0 : 1);
}

int CommandDelete(const Arguments& args)
{
    Session session;
    if (!session.Open(args.project))
        return 1;
    std::string error;
    RCSItem* item = FindItem(session.doc, args.items.front(), error, session.callerDirectory());
    if (!item)
        return Fail(error);
    if (!item->CanDelete())
        return Fail(item->GetDescription() + " cannot be deleted");
    // The item always leaves the project; the options choose what else goes.
    CommandLineInteraction::instance().deleteAnswer =
        1 | (Has(args, "--from-rcs") ? 2u : 0u) | (Has(args, "--working-file") ? 4u : 0u);
    return session.Finish(DeleteItem(session.doc, item));
}

int CommandLock(const Arguments& args)
{
    Session session;
    if (!session.Open(args.project))
        return 1;
    RCSVersionItem* revision = OneRevision(session, args);
    if (!revision)
        return 1;
    const int result = revision->SetLocked(args.command == "lock");
    session.doc.SetModifiedFlag(true);
    return session.Finish(result);
}

int CommandSetDefaultBranch(const Arguments& args)
{
    Session session;
    if (!session.Open(args.project))
        return 1;
    RCSVersionItem* revision = OneRevision(session, args);
    if (!revision)
        return 1;
    const int result = revision->SetDefaultBranch();
    session.doc.SetModifiedFlag(true);
    return session.Finish(result);
}

int CommandResetDefaultBranch(const Arguments& args)
{
    return RunOnItems(
        args, true, nullptr, [](RCSItem*) {}, [](RCSItem* item) { return item->ResetDefaultBranch(); });
}

int CommandOwner(const Arguments& args)
{
    Session session;
    if (!session.Open(args.project))
        return 1;
    Arguments revisionOnly = args;
    revisionOnly.items.resize(1);
    RCSVersionItem* revision = OneRevision(session, revisionOnly);
    if (!revision)
        return 1;
    return session.Finish(ChangeOwningSite(session.doc, revision, args.items[1]) ? 0 : 1);
}

int CommandWorkdir(const Arguments& args)
{
    const std::string directory = FullPath(args.items.front());
    Session session;
    if (!session.Open(args.project))
        return 1;
    return session.Finish(ChangeWorkingDirectory(session.doc, directory) ? 0 : 1);
}

} // namespace kestro::cli
