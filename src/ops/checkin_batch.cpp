// Checking in many files at once: every file is checked as its own check-in
// checks it, then the files that share ci's options share its runs, each
// run reading the one log message once per file.

#include "model/command_progress.h"
#include "model/command_results.h"
#include "model/file_item.h"
#include "model/options.h"
#include "model/root_item.h"
#include "model/string_helpers.h"
#include "ops/commands.h"
#include "rcs/batch_output.h"
#include "rcs/batch_run.h"
#include "rcs/rlog_batch.h"

#include <map>
#include <unordered_map>

namespace kestro {

namespace {

struct Planned {
    RCSFileItem* file = nullptr;
    CheckinPlan plan;
};

std::string CiCommand(const std::vector<std::string>& options)
{
    std::string command = "ci";
    for (const std::string& option : options)
        AppendArgument(command, option);
    return command;
}

// One ci run over files that share its options; each file's result. ci
// reads a log message once per run and a description for each new file, so
// every file brings a copy of the message: whichever files read it, each
// reads the same text.
std::vector<int> CheckinGroup(const std::vector<Planned*>& members)
{
    const std::string message = EscapeLogMessage(RCSOptions::instance().checkin.logMessage);
    std::vector<BatchFile> batch;
    for (const Planned* member : members) {
        const std::string working = member->file->GetWorkingPath();
        const std::string rcs = member->file->GetRcsPath();
        batch.push_back({{working, rcs}, CiStartLine(rcs, working), message});
    }
    std::vector<int> results(members.size(), 1);
    std::vector<RCSFileItem*> checkedIn;
    std::unordered_map<RCSFileItem*, Planned*> planOf;
    RunCiBatched(CiCommand(members.front()->plan.options), batch,
               [&](std::size_t i, int result, const std::string& output) {
                   results[i] = result;
                   members[i]->file->RecordCheckin(members[i]->plan, result, output);
                   if (result == 0) {
                       checkedIn.push_back(members[i]->file);
                       planOf.emplace(members[i]->file, members[i]);
                   }
               });
    // The histories as each file's own check-in reads them, in batched runs.
    for (RCSFileItem* file : checkedIn)
        file->ClearCovered();
    RunRlogForFiles(checkedIn, {}, [&](RCSFileItem* file, int rlogResult, const std::string& output) {
        file->FinishSynchronise(true, true, rlogResult, output);
        file->OwnNewRevision(planOf.at(file)->plan);
    });
    return results;
}

} // namespace

int CheckinItems(const std::vector<RCSItem*>& items, Site* site, std::vector<int>* results)
{
    // Every file is checked first, in order, so each refusal and warning
    // names its file; the files that pass share runs by ci's options, any
    // other item is handled alone, in its place among the runs.
    std::map<RCSItem*, Planned> plans;
    std::vector<SharingChild> children;
    for (RCSItem* item : items) {
        Planned& planned = plans[item];
        auto* file = dynamic_cast<RCSFileItem*>(item);
        if (file && file->PlanCheckin(site, planned.plan)) {
            planned.file = file;
            children.push_back({item, CiCommand(planned.plan.options), file->GetWorkingPath(), file->GetRcsPath()});
        } else {
            children.push_back({item, {}, {}, {}});
        }
    }
    const std::vector<CommandProgress::Group> groups = GroupsOfRuns(children);
    std::map<RCSItem*, int> resultOf;
    const int result = CommandProgress::instance().ForEachGroup("checked in", groups, [&](const CommandProgress::Group& group) {
        Planned& first = plans[group.front()];
        std::vector<int> groupResults;
        if (!first.file) {
            // A refused file has said why; any other child checks in alone.
            const bool refusedFile = dynamic_cast<RCSFileItem*>(group.front()) != nullptr;
            groupResults = {refusedFile ? 1 : group.front()->Checkin(site)};
        } else {
            std::vector<Planned*> members;
            for (RCSItem* member : group)
                members.push_back(&plans[member]);
            groupResults = CheckinGroup(members);
        }
        for (std::size_t i = 0; i < group.size(); ++i)
            resultOf[group[i]] = groupResults[i];
        return groupResults;
    });
    if (results) {
        // An item a stop left out did not check in.
        results->clear();
        for (RCSItem* item : items)
            results->push_back(resultOf.contains(item) ? resultOf[item] : 1);
    }
    return result;
}

int RCSRoot::Checkin(Site* site)
{
    std::vector<RCSItem*> files;
    files.reserve(children.size());
    for (auto& child : children)
        files.push_back(child.get());
    return CheckinItems(files, site);
}

} // namespace kestro
