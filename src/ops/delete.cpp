// Deleting items: files (optionally with their RCS and working files),
// revisions (outdated in RCS together with the branches that sprout from
// them), releases and release entries (their RCS symbols).

#include "model/command_results.h"
#include "model/file_item.h"
#include "model/options.h"
#include "model/project.h"
#include "model/release_item.h"
#include "model/release_version_item.h"
#include "model/string_helpers.h"
#include "model/user_interaction.h"
#include "model/version_item.h"
#include "ops/commands.h"
#include "ops/symbol_undo.h"
#include "rcs/batch_run.h"
#include "rcs/command_runner.h"

#include <algorithm>
#include <filesystem>
#include <unistd.h>
#include <vector>

namespace kestro {

namespace {

constexpr unsigned RemoveItem = 1;
constexpr unsigned FromRcs = 2;
constexpr unsigned WorkingFile = 4;

int RunRcs(const std::string& option, const std::string& rcsPath)
{
    std::string command = "rcs";
    AppendArgument(command, option);
    AppendArgument(command, rcsPath);
    std::string output;
    return RunCommand(output, command, "y\n", true);
}

// Outdates the revision's subtree, children first, and collects what went.
int OutdateTree(RCSVersionItem& revision, const std::string& rcsPath, std::vector<RCSVersionItem*>& outdated)
{
    for (auto& child : revision.children) {
        if (auto* below = dynamic_cast<RCSVersionItem*>(child.get())) {
            if (const int result = OutdateTree(*below, rcsPath, outdated))
                return result;
        }
    }
    if (revision.IsLocked())
        revision.SetLocked(false);
    if (const int result = RunRcs("-o" + revision.name, rcsPath))
        return result;
    outdated.push_back(&revision);
    return 0;
}

// The command settings remember the item they were last prepared for; none
// may keep pointing into a subtree that is about to be destroyed. The
// remembered pointers are only compared, never followed.
void ForgetSettingsItems(const RCSItem* item)
{
    RCSOptions& options = RCSOptions::instance();
    for (RCSItem** remembered : {&options.checkin.item, &options.checkout.item, &options.compare.item,
                                 &options.merge.item, &options.report.item}) {
        if (*remembered == item)
            *remembered = nullptr;
    }
    for (const auto& child : item->children)
        ForgetSettingsItems(child.get());
}

void Destroy(RCSItem* item)
{
    ForgetSettingsItems(item);
    item->Detach();
}

} // namespace

int DeleteFile(const std::string& path)
{
    namespace fs = std::filesystem;
    std::error_code error;
    const fs::file_status status = fs::status(path, error);
    if (error || !fs::exists(status))
        return 0;
    if ((status.permissions() & fs::perms::owner_write) == fs::perms::none)
        fs::permissions(path, fs::perms::owner_write, fs::perm_options::add, error);
    CommandResults::instance().AppendResults("del " + path + "\r\n");
    // unlink never removes a directory that happens to carry the name.
    if (::unlink(path.c_str()) == 0)
        return 0;
    CommandResults::instance().AppendResults("File not found\r\n");
    return -1;
}

unsigned RCSFileItem::ConfirmDelete()
{
    const unsigned availability = (GetRcsFileStatus() ? FromRcs : 0u) | (GetWorkingFileStatus() ? WorkingFile : 0u);
    return CurrentUserInteraction().ConfirmDelete(GetDescription(), availability);
}

int RCSFileItem::Delete(unsigned flags)
{
    int result = 0;
    if (flags & FromRcs)
        result |= DeleteFile(GetRcsPath());
    if (flags & WorkingFile)
        result |= DeleteFile(GetWorkingPath());
    // A file that could not be removed keeps its item, so the failure is
    // seen; the item shows what is left on disk.
    if (result != 0)
        UpdateStatus();
    return result;
}

unsigned RCSVersionItem::ConfirmDelete()
{
    return CurrentUserInteraction().ConfirmDelete(GetDescription(), FromRcs);
}

int RCSVersionItem::Delete(unsigned flags)
{
    if (!(flags & FromRcs))
        return 0;
    if (!file)
        return 1;
    std::vector<RCSVersionItem*> outdated;
    const int result = OutdateTree(*this, file->GetRcsPath(), outdated);
    file->Synchronise(false);
    if (result != 0) {
        // This revision stays, but the branch revisions outdated before the
        // failure are gone from RCS and leave the tree too. Each is a whole
        // subtree, so only those whose parent stays are detached.
        std::vector<RCSVersionItem*> tops;
        for (RCSVersionItem* gone : outdated) {
            if (std::find(outdated.begin(), outdated.end(), gone->parent) == outdated.end())
                tops.push_back(gone);
        }
        for (RCSVersionItem* gone : tops)
            Destroy(gone);
    }
    return result;
}

unsigned RCSReleaseItem::ConfirmDelete()
{
    return CurrentUserInteraction().ConfirmDelete(GetDescription(), FromRcs);
}

int RCSReleaseItem::Delete(unsigned flags)
{
    if (!(flags & FromRcs))
        return 0;
    // One rcs run removes the symbol from many files. A release that cannot
    // leave every file stays whole: the symbols already removed go back to
    // the revisions its entries name.
    std::vector<RCSFileItem*> files;
    std::vector<BatchFile> batch;
    for (auto& child : children) {
        auto* entry = static_cast<RCSReleaseVersionItem*>(child.get());
        if (!entry->revisionRef || !entry->revisionRef->file)
            continue;
        RCSFileItem* file = entry->revisionRef->file;
        files.push_back(file);
        batch.push_back(RcsBatchFile(file->GetRcsPath()));
    }
    std::string command = "rcs";
    AppendArgument(command, "-N" + MakeSymbolName(name));
    SymbolUndo undo(MakeSymbolName(name), this);
    int failure = 0;
    RunBatched(command, batch, [&](std::size_t i, int result, const std::string&) {
        if (result == 0)
            undo.Changed(*files[i], batch[i].arguments.front());
        else if (failure == 0)
            failure = result;
    });
    if (failure != 0)
        undo.Undo();
    return failure;
}

unsigned RCSReleaseVersionItem::ConfirmDelete()
{
    if (!revisionRef || !parent)
        return 0;
    return CurrentUserInteraction().ConfirmDelete(GetDescription(), FromRcs);
}

int RCSReleaseVersionItem::Delete(unsigned flags)
{
    if (!(flags & FromRcs) || !revisionRef || !revisionRef->file || !parent)
        return 0;
    return RunRcs("-N" + MakeSymbolName(parent->name), revisionRef->file->GetRcsPath());
}

int DeleteItem(Project& doc, RCSItem* item)
{
    if (!item || !item->CanDelete())
        return 1;
    if (item->IsInRelease()) {
        CurrentUserInteraction().ShowMessage(item->GetDescription() + "\r\nis in use in one or more releases",
                                             MessageIcon::Stop);
        return 1;
    }
    const unsigned flags = item->ConfirmDelete();
    if (flags & (FromRcs | WorkingFile)) {
        CommandResults::instance().ClearResults();
        if (const int result = item->Delete(flags))
            return result;
    }
    if (flags & RemoveItem) {
        Destroy(item);
        doc.SetModifiedFlag(true);
    }
    return 0;
}

} // namespace kestro
