// Keeping the items in step with the RCS files. Before a full
// synchronisation every item below the start loses its covered flag; reading
// rlog sets it on every revision, release and release entry that RCS still
// has; afterwards whatever is still uncovered is removed (or, for a revision
// that a release needs, marked as missing).

#include "model/command_results.h"
#include "model/file_item.h"
#include "model/project.h"
#include "model/release_item.h"
#include "model/release_root.h"
#include "model/release_version_item.h"
#include "model/root_item.h"
#include "model/string_helpers.h"
#include "model/tree_traverser.h"
#include "model/version_item.h"
#include "rcs/command_runner.h"
#include "rcs/rlog_batch.h"
#include "rcs/rlog_resolve.h"

namespace kestro {

namespace {

constexpr const char* MissingMessage = "** Missing from RCS **";

RCSReleaseRoot* CurrentReleaseRoot()
{
    Project* doc = Project::current();
    return doc ? doc->releaseRoot.get() : nullptr;
}

RCSRoot* CurrentFileRoot()
{
    Project* doc = Project::current();
    return doc ? doc->root.get() : nullptr;
}

// Children before parents, so a revision that a release needs keeps the
// revisions above it too.
class CoveredChecker : public TreeTraverser {
public:
    CoveredChecker() : TreeTraverser(1, Unlimited | PostOrder) {}
    int Visit() override
    {
        auto* revision = dynamic_cast<RCSVersionItem*>(current);
        if (!revision || revision->IsCovered())
            return 0;
        if (revision->IsInRelease())
            revision->SetMessage(MissingMessage);
        else
            revision->Detach();
        return 0;
    }
};

class ReleaseCoveredChecker : public TreeTraverser {
public:
    ReleaseCoveredChecker() : TreeTraverser(1, Unlimited | PostOrder) {}
    int Visit() override
    {
        if (!current->IsCovered())
            current->Detach();
        return 0;
    }
};

// Stops at the first release entry whose revision is the wanted one or lies
// below it in the file's tree.
class ReleaseChecker : public TreeTraverser {
public:
    explicit ReleaseChecker(const RCSVersionItem* wanted) : TreeTraverser(2, Unlimited), revision(wanted) {}
    int Visit() override
    {
        auto* entry = dynamic_cast<RCSReleaseVersionItem*>(current);
        if (!entry)
            return 0;
        for (const RCSItem* up = entry->revisionRef; up && up->IsRevision(); up = up->parent) {
            if (up == revision)
                return 1;
        }
        return 0;
    }
    const RCSVersionItem* revision;
};

std::vector<RCSFileItem*> FilesOf(RCSRoot& root)
{
    std::vector<RCSFileItem*> files;
    files.reserve(root.children.size());
    for (auto& child : root.children)
        files.push_back(static_cast<RCSFileItem*>(child.get()));
    return files;
}

void ReportRlogFailure(const RCSFileItem& file, int result)
{
    CommandResults::instance().AppendResults(file.name + " : the history could not be read from RCS (rlog gave "
                                             + std::to_string(result) + "); its revisions are left as they were\r\n");
}

// One line for the files a stop left unread, rather than one each.
void ReportUnreadAfterStop(int unread)
{
    if (unread > 0)
        CommandResults::instance().AppendResults("Stopped before " + std::to_string(unread)
                                                 + " files were read; their revisions are left as they were\r\n");
}

} // namespace

int RCSFileItem::Synchronise(bool top)
{
    if (top)
        ClearCovered();
    const bool rcsFileExists = GetRcsFileStatus();
    std::string output;
    int result = 0;
    if (rcsFileExists) {
        std::string command = "rlog";
        AppendArgument(command, GetRcsPath());
        result = RunCommand(output, command, std::string(), false);
    }
    return FinishSynchronise(top, rcsFileExists, result, output);
}

int RCSFileItem::FinishSynchronise(bool top, bool rcsFileExists, int rlogResult, const std::string& rlogOutput)
{
    // A history that cannot be read says nothing about what RCS holds, so
    // nothing is removed: the revisions may carry owners and release entries
    // that only the project file records.
    if (rcsFileExists && rlogResult != 0) {
        ReportRlogFailure(*this, rlogResult);
        UpdateStatus();
        return 1;
    }
    if (rcsFileExists) {
        std::string rebuilt;
        const std::string* resolved = ResolveRlogOutput(*this, rlogOutput, rebuilt);
        if (!resolved) {
            UpdateStatus();
            return 1;
        }
        ParseRlog(*resolved, false, nullptr);
    }
    if (top) {
        CoveredChecker checker;
        checker.Traverse(this);
    }
    ApplyStatus(rcsFileExists);
    return 0;
}

int RCSFileItem::ReadSymbolicNames(RCSReleaseItem* release)
{
    if (!GetRcsFileStatus())
        return 0;
    std::string command = "rlog";
    AppendArgument(command, "-h");
    AppendArgument(command, GetRcsPath());
    std::string output;
    const int result = RunCommand(output, command, std::string(), false);
    if (result == 0)
        ParseRlog(output, true, release);
    return result;
}

bool RCSFileItem::IsInRelease() const
{
    RCSReleaseRoot* releases = CurrentReleaseRoot();
    if (!releases)
        return false;
    for (auto& release : releases->children) {
        for (auto& entry : release->children) {
            auto* releaseEntry = static_cast<RCSReleaseVersionItem*>(entry.get());
            if (releaseEntry->revisionRef && releaseEntry->revisionRef->file == this)
                return true;
        }
    }
    return false;
}

bool RCSVersionItem::IsInRelease() const
{
    RCSReleaseRoot* releases = CurrentReleaseRoot();
    if (!releases)
        return false;
    ReleaseChecker checker(this);
    return checker.Traverse(releases) != 0;
}

int RCSRoot::Synchronise(bool top)
{
    RCSReleaseRoot* releases = CurrentReleaseRoot();
    if (top && releases)
        releases->ClearCovered();
    int result = 0;
    std::vector<RCSFileItem*> files = FilesOf(*this);
    if (top) {
        for (RCSFileItem* file : files)
            file->ClearCovered();
    }
    // Files with an RCS file get their history from the batched runs; the
    // others are finished as they are found.
    int unread = 0;
    RunRlogForFiles(
        files, {},
        [&](RCSFileItem* file, int rlogResult, const std::string& output) {
            if (rlogResult == NotReadAfterStop) {
                ++unread;
                result |= 1;
                return;
            }
            result |= file->FinishSynchronise(top, true, rlogResult, output);
        },
        {}, [&](RCSFileItem* file) { result |= file->FinishSynchronise(top, false, 0, std::string()); },
        OnStop::StopReading);
    ReportUnreadAfterStop(unread);
    // A release is known only from the symbols in the RCS files, so one file
    // that could not be read is enough to keep every release.
    if (top && releases && result == 0) {
        ReleaseCoveredChecker checker;
        checker.Traverse(releases);
    }
    return result;
}

int RCSRoot::ReadSymbolicNames(RCSReleaseItem* release)
{
    int result = 0;
    int unread = 0;
    RunRlogForFiles(
        FilesOf(*this), {"-h"},
        [&](RCSFileItem* file, int rlogResult, const std::string& output) {
            if (rlogResult == 0)
                file->ParseRlog(output, true, release);
            else if (rlogResult == NotReadAfterStop)
                ++unread;
            else
                ReportRlogFailure(*file, rlogResult);
            result |= rlogResult == NotReadAfterStop ? 1 : rlogResult;
        },
        {}, {}, OnStop::StopReading);
    ReportUnreadAfterStop(unread);
    return result;
}

int RCSReleaseRoot::Synchronise(bool top)
{
    RCSRoot* files = CurrentFileRoot();
    if (top)
        ClearCovered();
    const int result = files ? files->ReadSymbolicNames(nullptr) : 0;
    if (top && result == 0) {
        ReleaseCoveredChecker checker;
        checker.Traverse(this);
    }
    return result;
}

int RCSReleaseItem::Synchronise(bool top)
{
    RCSRoot* files = CurrentFileRoot();
    if (top)
        ClearCovered();
    const int result = files ? files->ReadSymbolicNames(this) : 0;
    if (top && result == 0) {
        ReleaseCoveredChecker checker;
        checker.Traverse(this);
    }
    return result;
}

int RCSReleaseVersionItem::Synchronise(bool)
{
    if (!revisionRef || !revisionRef->file)
        return 0;
    return revisionRef->file->ReadSymbolicNames(dynamic_cast<RCSReleaseItem*>(parent));
}

} // namespace kestro
