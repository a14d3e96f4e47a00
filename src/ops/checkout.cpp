// Checking a revision out with co, over the working file or into another
// file.

#include "model/command_progress.h"
#include "model/command_results.h"
#include "model/file_item.h"
#include "model/options.h"
#include "model/project.h"
#include "model/release_version_item.h"
#include "model/root_item.h"
#include "model/string_helpers.h"
#include "model/version_item.h"
#include "ops/commands.h"
#include "rcs/batch_output.h"
#include "rcs/batch_run.h"
#include "rcs/command_runner.h"
#include "rcs/rlog_batch.h"
#include "rcs/rlog_scanner.h"

#include <filesystem>
#include <map>

namespace kestro {

namespace {

// Creates the directories a file is to be written in; a directory that
// cannot be made shows up when the file cannot be written.
void MakeDirectories(const std::string& path)
{
    const std::filesystem::path parent = std::filesystem::path(path).parent_path();
    if (parent.empty())
        return;
    std::error_code ignored;
    std::filesystem::create_directories(parent, ignored);
}

// The revision co names on its line "revision 1.2 (locked)". Only a line
// start counts: co's first line echoes the file names, which may hold
// "revision " too.
std::string CheckedOutRevision(const std::string& output)
{
    std::size_t position = 0;
    return ExtractField(position, "\n" + output, "\nrevision ", ";\r\n\t ", true, false);
}

bool ProjectDirectoryIsWorkingDirectory()
{
    Project* doc = Project::current();
    return !doc || doc->GetWorkingDirectory() == doc->GetProjectDirectory();
}

// File times count whole seconds, so an edit made in the second of the last
// check-in or check-out leaves the time as it was recorded. In that one case
// the working file is compared with its revision (keyword values aside)
// before anything may overwrite it.
bool EditedInTheSameSecond(RCSFileItem& file)
{
    if (file.recordedTime != file.workingTime || file.workingRevision.empty())
        return false;
    // rcsdiff -kk leaves the working file's keywords as they are, so a file
    // checked out with its keywords expanded matches only a plain rcsdiff,
    // and one checked out without them only rcsdiff -kk.
    for (const bool compressKeywords : {false, true}) {
        std::string command = "rcsdiff";
        AppendArgument(command, "-q");
        if (compressKeywords)
            AppendArgument(command, "-kk");
        AppendArgument(command, "-r" + file.workingRevision);
        AppendArgument(command, file.GetWorkingPath());
        AppendArgument(command, file.GetRcsPath());
        std::string output;
        if (RunCommand(output, command, std::string(), false) == 0)
            return false;
    }
    return true;
}

// The file a child of the root or of a release checks out.
RCSFileItem* FileOfChild(RCSItem& child)
{
    if (auto* file = dynamic_cast<RCSFileItem*>(&child))
        return file;
    if (auto* entry = dynamic_cast<RCSReleaseVersionItem*>(&child))
        return entry->revisionRef ? entry->revisionRef->file : nullptr;
    return nullptr;
}

std::string CoCommand(const std::vector<std::string>& options)
{
    std::string command = "co";
    for (const std::string& option : options)
        AppendArgument(command, option);
    return command;
}

// What a child of a check-out over many comes to: the file co checks out,
// with the options and RCS file it was planned with, or why it may not.
struct PlannedCheckout {
    RCSFileItem* file = nullptr;
    std::vector<std::string> options;
    std::string rcsPath;
    std::string refusal;
};

// One co run over files that share its options; each file's result. The
// files checked out are added to checkedOut.
std::vector<int> CheckoutGroup(const std::vector<const PlannedCheckout*>& plans,
                               std::vector<RCSFileItem*>& checkedOut)
{
    const bool makeDirectories = !ProjectDirectoryIsWorkingDirectory();
    std::vector<BatchFile> batch;
    for (const PlannedCheckout* plan : plans) {
        const std::string working = plan->file->GetWorkingPath();
        if (makeDirectories)
            MakeDirectories(working);
        batch.push_back({{working, plan->rcsPath}, CoStartLine(plan->rcsPath, working)});
    }
    std::vector<int> results(plans.size(), 1);
    RunBatched(CoCommand(plans.front()->options), batch, [&](std::size_t i, int result, const std::string& output) {
        results[i] = result;
        if (result == 0) {
            plans[i]->file->CheckedOut(output);
            checkedOut.push_back(plans[i]->file);
        }
    });
    return results;
}

// The histories as each file's own check-out reads them: all the files of
// a command in a few rlog runs, rather than a few for each co run.
void SynchroniseCheckedOut(const std::vector<RCSFileItem*>& checkedOut)
{
    for (RCSFileItem* file : checkedOut)
        file->ClearCovered();
    RunRlogForFiles(checkedOut, {}, [](RCSFileItem* file, int rlogResult, const std::string& output) {
        file->FinishSynchronise(true, true, rlogResult, output);
        file->RefreshDisplay(false);
    });
}

} // namespace

int CheckoutChildren(RCSItem& parent, const std::function<bool(RCSItem&)>& include)
{
    // A copy into another file names one file: nothing to share.
    if (!RCSOptions::instance().checkout.targetFile.empty())
        return CommandProgress::instance().ForEachChild(parent, "checked out",
                                                        [](RCSItem& child) { return child.Checkout(); });
    std::vector<RCSItem*> items;
    for (auto& child : parent.children) {
        if (!include || include(*child))
            items.push_back(child.get());
    }
    return CheckoutItems(items);
}

int CheckoutItems(const std::vector<RCSItem*>& items)
{
    CommandProgress& progress = CommandProgress::instance();

    // Files that share co's options share its runs; any other child is
    // handled alone, in its place among the runs.
    std::map<RCSItem*, PlannedCheckout> plans;
    std::vector<SharingChild> children;
    for (RCSItem* item : items) {
        PlannedCheckout& plan = plans[item];
        plan.file = FileOfChild(*item);
        if (plan.file && plan.file->PlanCheckout(plan.options, plan.rcsPath, plan.refusal))
            children.push_back({item, CoCommand(plan.options), plan.file->GetWorkingPath(), plan.rcsPath});
        else
            children.push_back({item, {}, {}, {}});
    }
    const std::vector<CommandProgress::Group> groups = GroupsOfRuns(children);
    std::vector<RCSFileItem*> checkedOut;
    const int result = progress.ForEachGroup("checked out", groups, [&](const CommandProgress::Group& group) {
        const PlannedCheckout& first = plans[group.front()];
        if (group.size() == 1 && first.options.empty()) {
            if (!first.file)
                return std::vector<int>{group.front()->Checkout()};
            CommandResults::instance().AppendResults(first.refusal + "\r\n");
            return std::vector<int>{1};
        }
        std::vector<const PlannedCheckout*> members;
        for (RCSItem* member : group)
            members.push_back(&plans[member]);
        return CheckoutGroup(members, checkedOut);
    });
    SynchroniseCheckedOut(checkedOut);
    return result;
}

bool RCSFileItem::PrepareCheckout()
{
    RCSItem::PrepareCheckout();
    RCSOptions::instance().checkout.allowTargetFile = true;
    return true;
}

bool RCSFileItem::PlanCheckout(std::vector<std::string>& options, std::string& rcsPath, std::string& refusal)
{
    const CheckoutSettings& settings = RCSOptions::instance().checkout;
    options.clear();
    rcsPath = ExistingRcsPath();
    if (rcsPath.empty()) {
        refusal = "Cannot check out " + name + " as it has never been checked in";
        return false;
    }
    // co here cannot be asked whether to overwrite a working file, so the
    // question is settled first: a working file changed since the last
    // check-in or check-out is replaced only with Force.
    bool overwrite = settings.force;
    if (settings.targetFile.empty() && !overwrite) {
        ApplyStatus(true);
        if (workingTime != 0 && (recordedTime < workingTime || EditedInTheSameSecond(*this))) {
            refusal = name + " : the working file has changed since it was last checked in or out"
                             " - check out with Force to replace it";
            return false;
        }
        overwrite = true;
    }
    if (overwrite)
        options.push_back("-f");
    if (settings.keepTime)
        options.push_back("-M");
    if (settings.noKeywords)
        options.push_back("-kk");
    const std::string lockOption = settings.lock ? "-l" : "-u";
    options.push_back(lockOption + (settings.determineRevision ? "$" : MakeSymbolName(settings.revision)));
    if (!settings.checkoutDate.empty())
        options.push_back("-d" + settings.checkoutDate);
    return true;
}

void RCSFileItem::CheckedOut(const std::string& output)
{
    const std::string revision = CheckedOutRevision(output);
    if (!revision.empty())
        workingRevision = revision;
    // co has just read the RCS file, so only the working file is looked at.
    ApplyStatus(true);
    recordedTime = workingTime;
}

int RCSRoot::Checkout()
{
    return CheckoutChildren(*this);
}

int RCSFileItem::Checkout()
{
    const CheckoutSettings& settings = RCSOptions::instance().checkout;
    std::vector<std::string> options;
    std::string rcsPath;
    std::string refusal;
    if (!PlanCheckout(options, rcsPath, refusal)) {
        CommandResults::instance().AppendResults(refusal + "\r\n");
        return 1;
    }
    std::string command = "co";
    for (const std::string& option : options)
        AppendArgument(command, option);

    const bool toWorkingFile = settings.targetFile.empty();
    std::string output;
    int result;
    if (toWorkingFile) {
        if (!ProjectDirectoryIsWorkingDirectory())
            MakeDirectories(GetWorkingPath());
        AppendArgument(command, GetWorkingPath());
        AppendArgument(command, rcsPath);
        result = RunCommand(output, command, std::string(), true);
    } else {
        MakeDirectories(settings.targetFile);
        AppendArgument(command, "-p");
        AppendArgument(command, rcsPath);
        result = RunCommand(output, command, std::string(), true, settings.targetFile);
    }
    if (result != 0)
        return result;

    // A copy in another file leaves the working file, and what is recorded
    // about it, as it was; only a lock may have changed.
    if (toWorkingFile)
        CheckedOut(output);
    Synchronise(true);
    // The text shows the revision and time even when the status stays.
    RefreshDisplay(false);
    return 0;
}

} // namespace kestro
