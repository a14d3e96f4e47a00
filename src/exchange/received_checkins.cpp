#include "exchange/received_checkins.h"

#include "model/command_progress.h"
#include "model/command_results.h"
#include "model/file_item.h"
#include "model/options.h"
#include "model/project.h"
#include "model/site.h"
#include "model/site_list.h"
#include "model/string_helpers.h"
#include "model/version_item.h"
#include "ops/checkin_output.h"
#include "ops/commands.h"
#include "rcs/batch_output.h"
#include "rcs/batch_run.h"
#include "rcs/command_runner.h"
#include "rcs/rlog_batch.h"
#include "rcs/rlog_scanner.h"

#include <chrono>
#include <filesystem>
#include <map>

namespace kestro {

namespace {

// A message longer than this goes to ci on its standard input, in a run of
// its own: one program argument may not exceed 128 KiB.
constexpr std::size_t MaxMessageArgument = 32768;

void Report(const std::string& text)
{
    CommandResults::instance().AppendResults(text);
}

// A revision is marked locked by the user as RCSVersionItem::SetLocked does.
void MarkLocked(RCSVersionItem& revision)
{
    const bool tip = revision.StatusCode() == Tip || revision.StatusCode() == LockedTip;
    revision.SetStatusCode(tip ? LockedTip : LockedRevision);
    revision.locker = RCSOptions::instance().userName;
    revision.RefreshDisplay(false);
}

// One planned check-in: ci's options as RCSFileItem::Checkin would choose
// them for a receive (force, lock, a revision number given), or a refusal.
struct Planned {
    std::string command;  // empty: checked in alone through Checkin
    Site* owner = nullptr;
    std::time_t savedTime = 0;
};

int PlanCheckin(Site& site, RCSFileItem& file, std::string revision, const std::string& message, Planned& plan)
{
    const std::string escaped = [&] {
        // Without the "\n.\n" that ends it on standard input, and without
        // the line ends before it, which ci drops as it drops all trailing
        // white space.
        std::string text = EscapeLogMessage(message);
        text.resize(text.size() - 3);
        while (!text.empty() && text.back() == '\n')
            text.pop_back();
        return text;
    }();
    if (revision.empty() || escaped.size() > MaxMessageArgument)
        return 0;  // plan.command stays empty
    Project* doc = Project::current();
    SiteList* sites = doc ? doc->siteList.get() : nullptr;
    plan.owner = &site;
    const bool newFile = !file.GetRcsFileStatus();
    if (newFile) {
        plan.owner = sites ? sites->master : nullptr;
        file.CreateRcsDirectory();
    } else {
        const std::string entered = revision;
        RCSVersionItem* found = nullptr;
        RCSVersionItem* above = nullptr;
        const int resolved = file.ResolveCheckinRevision(revision, found, above);
        if (resolved < 0) {
            Report(file.name + " : cannot checkin " + entered + " - parent revision doesn't exist\r\n");
            return 1;
        }
        if (resolved == 0) {
            Report(file.name + " : cannot checkin " + revision + " - must be greater than " + above->name + "\r\n");
            return 1;
        }
        if (found && found->name == revision) {
            Report(file.name + " : cannot checkin " + revision + " - it already exists\r\n");
            return 1;
        }
        if (found && !found->IsLocked())
            found->SetLocked(true);
        if (found && found->owningSite != &site)
            revision = found->NewBranchName(&site);
    }
    // ci reads a new file's description, not its log message, from its
    // standard input, and reads that input for the first file only, so the
    // text goes on the command line: -t- for a new file as the description,
    // -m otherwise. What RCS stores is the same either way.
    plan.command = "ci";
    AppendArgument(plan.command, "-f");
    AppendArgument(plan.command, "-l" + MakeSymbolName(revision));
    AppendArgument(plan.command, (newFile ? "-t-" : "-m") + escaped);
    file.ApplyStatus(!newFile);
    plan.savedTime = file.workingTime;
    return 0;
}

} // namespace

void TakeCheckinLocks(const std::vector<ImportStep*>& steps)
{
    std::map<std::string, std::vector<ImportStep*>> locks;
    for (ImportStep* step : steps) {
        if (step->toLock)
            locks[step->toLock->name].push_back(step);
    }
    for (const auto& [revision, members] : locks) {
        std::string command = "rcs";
        AppendArgument(command, "-l" + revision);
        std::vector<BatchFile> batch;
        for (const ImportStep* step : members)
            batch.push_back(RcsBatchFile(step->file->GetRcsPath()));
        RunBatched(command, batch, [&](std::size_t k, int result, const std::string&) {
            if (result == 0)
                MarkLocked(*members[k]->toLock);
        });
    }
}

std::vector<int> ImportRevisions(Site& site, const std::vector<ReceivedRevision>& revisions, bool mergeAfterImport)
{
    const std::size_t count = revisions.size();
    std::vector<int> results(count, 0);
    std::vector<ImportStep> steps(count);
    for (std::size_t i = 0; i < count; ++i)
        results[i] = site.PrepareImportFile(revisions[i].source, revisions[i].fileName, revisions[i].revision, steps[i]);
    const auto checksIn = [&](std::size_t i) { return results[i] == 0 && steps[i].checkin; };

    std::vector<ImportStep*> toCheckin;
    for (std::size_t i = 0; i < count; ++i) {
        if (checksIn(i))
            toCheckin.push_back(&steps[i]);
    }
    TakeCheckinLocks(toCheckin);

    // The check-ins, grouped by their whole command (options and message).
    std::vector<Planned> plans(count);
    std::map<std::string, std::vector<std::size_t>> groups;
    std::vector<std::string> order;
    for (std::size_t i = 0; i < count; ++i) {
        if (!checksIn(i))
            continue;
        results[i] = PlanCheckin(site, *steps[i].file, steps[i].revision, revisions[i].logMessage, plans[i]);
        if (results[i] != 0)
            continue;
        if (plans[i].command.empty()) {
            CheckinSettings& checkin = RCSOptions::instance().checkin;
            checkin.revision = steps[i].revision;
            checkin.logMessage = revisions[i].logMessage;
            results[i] = steps[i].file->Checkin(&site);
            continue;
        }
        auto& members = groups[plans[i].command];
        if (members.empty())
            order.push_back(plans[i].command);
        members.push_back(i);
    }
    std::vector<std::size_t> checkedIn;
    std::vector<std::string> newRevisions(count);
    for (const std::string& command : order) {
        const std::vector<std::size_t>& members = groups[command];
        std::vector<BatchFile> batch;
        for (const std::size_t i : members) {
            const std::string working = steps[i].file->GetWorkingPath();
            const std::string rcs = steps[i].file->GetRcsPath();
            batch.push_back({{working, rcs}, CiStartLine(rcs, working)});
        }
        RunCiBatched(command, batch, [&](std::size_t k, int result, const std::string& output) {
            const std::size_t i = members[k];
            RCSFileItem& file = *steps[i].file;
            results[i] = result;
            if (result != 0 && file.GetWorkingFileStatus())
                RestoreModificationTime(file.GetWorkingPath(), plans[i].savedTime);
            newRevisions[i] = NewRevisionFrom(output);
            if (!newRevisions[i].empty()) {
                // ci has just written the RCS file: only the working file
                // is looked at.
                file.ApplyStatus(true);
                file.recordedTime = file.workingTime;
                file.workingRevision = newRevisions[i];
                file.ApplyStatus(true);
                file.RefreshDisplay(false);
            }
            if (result == 0)
                checkedIn.push_back(i);
        });
    }

    // The histories as each check-in reads them, in batched runs.
    std::vector<RCSFileItem*> files;
    for (const std::size_t i : checkedIn) {
        steps[i].file->ClearCovered();
        files.push_back(steps[i].file);
    }
    RunRlogForFiles(files, {}, [](RCSFileItem* file, int rlogResult, const std::string& output) {
        file->FinishSynchronise(true, true, rlogResult, output);
    });
    for (const std::size_t i : checkedIn) {
        if (plans[i].owner && !newRevisions[i].empty()) {
            if (RCSVersionItem* created = steps[i].file->FindRevision(newRevisions[i]))
                created->SetOwningSite(plans[i].owner);
        }
    }
    for (std::size_t i = 0; i < count; ++i) {
        if (steps[i].checkin && steps[i].file)
            site.FinishImportFile(steps[i], results[i], mergeAfterImport);
    }
    return results;
}

} // namespace kestro
