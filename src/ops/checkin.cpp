// Checking a working file in as a new revision with ci, on the branch that
// belongs to the site doing the check-in.

#include "model/command_results.h"
#include "model/file_item.h"
#include "model/options.h"
#include "model/project.h"
#include "model/revision_numbers.h"
#include "model/site_list.h"
#include "model/string_helpers.h"
#include "model/version_item.h"
#include "ops/checkin_output.h"
#include "ops/commands.h"
#include "rcs/command_runner.h"
#include "rcs/rlog_scanner.h"

#include <chrono>
#include <filesystem>

namespace kestro {

namespace {

// True when no later revision follows on the revision's line (the trunk
// counts as one line, as ci sees it).
bool IsBranchTip(const RCSVersionItem& revision)
{
    const bool trunk = CountRevisionFields(revision.name) == 2;
    const std::string branch = BranchOf(revision.name);
    for (const auto& sibling : revision.parent->children) {
        const auto* other = dynamic_cast<const RCSVersionItem*>(sibling.get());
        if (!other || (!trunk && BranchOf(other->name) != branch))
            continue;
        if (CompareRevisions(other->name, revision.name) > 0)
            return false;
    }
    return true;
}

// The number of a new branch from the revision, above every branch it has,
// as ci numbers one.
std::string NextFreeBranch(const RCSVersionItem& revision)
{
    std::string next = revision.name + ".1";
    for (const auto& child : revision.children) {
        const auto* other = dynamic_cast<const RCSVersionItem*>(child.get());
        if (other && CompareRevisions(BranchOf(other->name), next) >= 0)
            next = NextRevision(BranchOf(other->name));
    }
    return next;
}

// The revision the working file came from, when the user holds its lock.
RCSVersionItem* LockedWorkingRevision(RCSFileItem& file)
{
    if (file.workingRevision.empty())
        return nullptr;
    RCSVersionItem* revision = file.FindRevision(file.workingRevision);
    if (!revision || !revision->IsLocked() || !EqualsNoCase(revision->locker, RCSOptions::instance().userName))
        return nullptr;
    return revision;
}

SiteList* CurrentSiteList()
{
    Project* doc = Project::current();
    return doc ? doc->siteList.get() : nullptr;
}

} // namespace

std::string EscapeLogMessage(const std::string& text)
{
    // ci reads lines ended by "\n"; a carriage return would be stored.
    std::string message = text;
    ReplaceAll(message, "\r\n", "\n");
    ReplaceAll(message, "\r", "\n");

    // A line holding a lone "." would end the message early, so each such
    // line (the last one too) goes as " .".
    std::string escaped;
    escaped.reserve(message.size() + 8);
    std::size_t start = 0;
    for (;;) {
        const std::size_t end = message.find('\n', start);
        const std::string_view line =
            std::string_view(message).substr(start, end == std::string::npos ? std::string::npos : end - start);
        escaped += line == "." ? " ." : line;
        if (end == std::string::npos)
            break;
        escaped += '\n';
        start = end + 1;
    }
    return escaped + "\n.\n";
}

bool RCSFileItem::PrepareCheckin()
{
    RCSItem::PrepareCheckin();
    if (!GetRcsFileStatus())
        RCSOptions::instance().checkin.logMessage = name + " - Initial checkin";
    return true;
}

bool RCSFileItem::PlanCheckin(Site* site, CheckinPlan& plan)
{
    const RCSOptions& options = RCSOptions::instance();
    const CheckinSettings& settings = options.checkin;
    const std::string& user = options.userName;
    CommandResults& results = CommandResults::instance();
    SiteList* sites = CurrentSiteList();

    plan = CheckinPlan();
    if (settings.force)
        plan.options.push_back("-f");
    if (settings.determineRevision)
        plan.options.push_back("-k");
    if (settings.keepTime)
        plan.options.push_back("-M");
    const std::string lockOption = settings.lock ? "-l" : "-u";

    // Markers left by a merge would be committed as text.
    if (!settings.force) {
        if (const int line = ConflictMarkerLine(GetWorkingPath())) {
            results.AppendResults(name + " : line " + std::to_string(line)
                                  + " holds a merge conflict marker - resolve the conflict, or check in with Force\r\n");
            return false;
        }
    }

    std::string revision = settings.revision;
    plan.owner = site;
    if (!GetRcsFileStatus()) {
        plan.owner = sites ? sites->master : nullptr;
        CreateRcsDirectory();
    } else {
        Site* currentSite = site ? site : (sites ? sites->GetLocalSite() : nullptr);
        RCSVersionItem* found = nullptr;
        if (revision.empty()) {
            RCSVersionItem* preferred = nullptr;
            const int locked = FindLockedByUser(preferred);
            if (locked == 0) {
                results.AppendResults(name + " : no revisions locked by " + user + "\r\n");
                return false;
            }
            found = preferred;
            // The working file came from one of several locked revisions:
            // the new revision descends from that one, never from another
            // lock's, which would drop the changes in between.
            RCSVersionItem* base = locked > 1 ? LockedWorkingRevision(*this) : nullptr;
            if (base) {
                found = base;
                revision = IsBranchTip(*base) ? BranchOf(base->name) : NextFreeBranch(*base);
            } else if (locked > 1) {
                const auto code = preferred->StatusCode();
                if (code != LockedTip && code != Tip) {
                    results.AppendResults(name + " : multiple revisions locked by " + user
                                          + " - please specify one\r\n");
                    return false;
                }
                revision = BranchOf(preferred->name);
            }
            // With one lock there is no choice to report.
            if (locked > 1)
                results.AppendResults(name + " : checking in on top of revision " + found->name + "\r\n");
            if (!workingRevision.empty() && workingRevision != found->name)
                results.AppendResults(name + " : warning - the working file came from revision " + workingRevision
                                      + ", which is not locked by " + user + "\r\n");
        }
        if (!revision.empty()) {
            const std::string entered = revision;
            RCSVersionItem* above = nullptr;
            const int resolved = ResolveCheckinRevision(revision, found, above);
            if (resolved < 0) {
                results.AppendResults(name + " : cannot checkin " + entered + " - parent revision doesn't exist\r\n");
                return false;
            }
            if (resolved == 0) {
                results.AppendResults(name + " : cannot checkin " + revision + " - must be greater than "
                                      + above->name + "\r\n");
                return false;
            }
            if (found && found->name == revision) {
                results.AppendResults(name + " : cannot checkin " + revision + " - it already exists\r\n");
                return false;
            }
            // A release import checks in on top of the sender's revision,
            // which nobody here has locked.
            if (site && found && !found->IsLocked())
                found->SetLocked(true);
        }
        // Another site's revision is not extended directly: the new revision
        // goes on this site's branch from it.
        if (found && found->owningSite != currentSite)
            revision = found->NewBranchName(currentSite);
    }
    plan.options.push_back(lockOption + MakeSymbolName(revision));

    UpdateStatus();
    plan.workingTime = workingTime;
    return true;
}

void RCSFileItem::RecordCheckin(CheckinPlan& plan, int result, const std::string& output)
{
    // ci -M, and a ci that failed halfway, may leave the working file with
    // another time; the file keeps the time it had.
    if ((result != 0 || RCSOptions::instance().checkin.keepTime) && GetWorkingFileStatus())
        RestoreModificationTime(GetWorkingPath(), plan.workingTime);

    plan.newRevision = NewRevisionFrom(output);
    if (!plan.newRevision.empty()) {
        UpdateStatus();
        recordedTime = workingTime;
        workingRevision = plan.newRevision;
        UpdateStatus();
        RefreshDisplay(false);
    }
}

void RCSFileItem::OwnNewRevision(const CheckinPlan& plan)
{
    if (!plan.owner || plan.newRevision.empty())
        return;
    if (RCSVersionItem* created = FindRevision(plan.newRevision))
        created->SetOwningSite(plan.owner);
}

int RCSFileItem::Checkin(Site* site)
{
    CheckinPlan plan;
    if (!PlanCheckin(site, plan))
        return 1;
    std::string command = "ci";
    for (const std::string& option : plan.options)
        AppendArgument(command, option);
    AppendArgument(command, GetWorkingPath());
    AppendArgument(command, GetRcsPath());

    std::string output;
    const int result =
        RunCommand(output, command, EscapeLogMessage(RCSOptions::instance().checkin.logMessage), true);
    RecordCheckin(plan, result, output);
    if (result == 0) {
        Synchronise(true);
        OwnNewRevision(plan);
    }
    return result;
}

} // namespace kestro
