// Freezing a release: every file's working revision gets the release's RCS
// symbol, and the release tree gets an item with one entry per file. A
// release is made for every file or not at all.

#include "model/command_progress.h"
#include "model/command_results.h"
#include "model/file_item.h"
#include "model/project.h"
#include "model/release_item.h"
#include "model/release_root.h"
#include "model/root_item.h"
#include "model/string_helpers.h"
#include "model/user_interaction.h"
#include "model/version_item.h"
#include "ops/commands.h"
#include "ops/symbol_undo.h"
#include "rcs/batch_run.h"
#include "rcs/command_runner.h"

#include <map>
#include <memory>

namespace kestro {

namespace {

bool IsAsciiLetter(char c)
{
    return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z');
}

std::string FreezeCommand(const RCSReleaseItem& release, const std::string& revision)
{
    std::string command = "rcs";
    AppendArgument(command, "-N" + MakeSymbolName(release.name) + ":" + revision);
    return command;
}

// One rcs run sets the symbol on files whose working revisions share a
// number; what FreezeFile does for one file, for each of them. rcsPaths
// holds each file's RCS file, looked up when the runs were planned.
std::vector<int> FreezeGroup(const CommandProgress::Group& group, const std::map<RCSItem*, std::string>& rcsPaths,
                             RCSReleaseItem* release, SymbolUndo& undo)
{
    std::vector<RCSFileItem*> files;
    std::vector<RCSVersionItem*> revisions;
    std::vector<BatchFile> batch;
    for (RCSItem* member : group) {
        auto* file = static_cast<RCSFileItem*>(member);
        files.push_back(file);
        revisions.push_back(file->FindRevision(file->workingRevision));
        batch.push_back(RcsBatchFile(rcsPaths.at(member)));
    }
    std::vector<int> results(group.size(), 1);
    RunBatched(FreezeCommand(*release, revisions.front()->name), batch,
               [&](std::size_t i, int result, const std::string&) {
                   results[i] = result;
                   if (result != 0) {
                       CommandResults::instance().AppendResults(files[i]->name + " : cannot freeze as " + release->name
                                                                + "\r\n");
                       return;
                   }
                   undo.Changed(*files[i], batch[i].arguments.front());
                   release->AddRevision(revisions[i]);
               });
    return results;
}

} // namespace

bool IsValidReleaseName(const std::string& name)
{
    // RCS does not allow these characters in a symbolic name.
    if (name.find_first_of("$,.:;@") != std::string::npos) {
        CurrentUserInteraction().ShowMessage("Characters '$,.:; and @ are not allowed in a release name",
                                             MessageIcon::None);
        return false;
    }
    if (!name.empty() && IsAsciiLetter(name.front()))
        return true;
    CurrentUserInteraction().ShowMessage("Release name must start with a letter", MessageIcon::None);
    return false;
}

void RCSFileItem::CollectFreezeProblems(std::vector<std::string>& problems, RCSItem*& first)
{
    if (StatusCode() != CheckedIn || workingRevision.empty())
        problems.push_back(name + " is not checked in");
    else if (!FindRevision(workingRevision))
        problems.push_back(name + " version " + workingRevision + " has been deleted from RCS");
    else
        return;
    if (!first)
        first = this;
}

int RCSFileItem::FreezeFile(RCSReleaseItem* release, SymbolUndo& undo)
{
    RCSVersionItem* revision = FindRevision(workingRevision);
    if (!revision)
        return 0;
    std::string command = "rcs";
    AppendArgument(command, "-N" + MakeSymbolName(release->name) + ":" + revision->name);
    const std::string rcsPath = GetRcsPath();
    AppendArgument(command, rcsPath);
    // -N moves a symbol that already names another revision, so refreezing
    // a name succeeds. A file rcs refused stays out of the release.
    std::string output;
    if (const int result = RunCommand(output, command, std::string(), true)) {
        CommandResults::instance().AppendResults(name + " : cannot freeze as " + release->name + "\r\n");
        return result;
    }
    undo.Changed(*this, rcsPath);
    release->AddRevision(revision);
    return 0;
}

int FreezeFiles(const std::vector<RCSFileItem*>& files, RCSReleaseItem* release, SymbolUndo& undo)
{
    // Grouped by revision number; the release's entries are then added in
    // the files' order, as freezing them one by one would.
    std::map<std::string, std::vector<std::size_t>> byRevision;
    std::vector<std::string> order;
    std::vector<RCSVersionItem*> revisions(files.size(), nullptr);
    for (std::size_t i = 0; i < files.size(); ++i) {
        revisions[i] = files[i]->FindRevision(files[i]->workingRevision);
        if (!revisions[i])
            continue;
        auto& members = byRevision[revisions[i]->name];
        if (members.empty())
            order.push_back(revisions[i]->name);
        members.push_back(i);
    }
    std::vector<bool> frozen(files.size(), false);
    int first = 0;
    for (const std::string& revision : order) {
        const std::vector<std::size_t>& members = byRevision[revision];
        std::vector<BatchFile> batch;
        for (const std::size_t i : members)
            batch.push_back(RcsBatchFile(files[i]->GetRcsPath()));
        RunBatched(FreezeCommand(*release, revision), batch, [&](std::size_t k, int result, const std::string&) {
            RCSFileItem* file = files[members[k]];
            if (result != 0) {
                CommandResults::instance().AppendResults(file->name + " : cannot freeze as " + release->name + "\r\n");
                if (first == 0)
                    first = result;
                return;
            }
            undo.Changed(*file, batch[k].arguments.front());
            frozen[members[k]] = true;
        });
    }
    for (std::size_t i = 0; i < files.size(); ++i) {
        if (frozen[i])
            release->AddRevision(revisions[i]);
    }
    return first;
}

int RCSRoot::FreezeRelease(RCSReleaseItem* release)
{
    Project* doc = Project::current();
    const std::string symbol = MakeSymbolName(release->name);
    // Refreezing a name moves the symbols from where the latest release of
    // that name put them; a failed freeze moves them back there.
    SymbolUndo undo(symbol, doc && doc->releaseRoot ? doc->releaseRoot->FindLatestWithSymbol(symbol, release) : nullptr);
    // Files frozen at the same revision number share rcs runs. Every file
    // is tried, so that each one at fault is reported; a stop leaves the
    // release out as a failure does.
    std::map<std::string, std::vector<RCSItem*>> byRevision;
    std::vector<std::string> order;
    std::vector<CommandProgress::Group> groups;
    for (auto& child : children) {
        auto* file = dynamic_cast<RCSFileItem*>(child.get());
        RCSVersionItem* revision = file ? file->FindRevision(file->workingRevision) : nullptr;
        if (!revision) {
            groups.push_back({child.get()});  // nothing to freeze
            continue;
        }
        auto& members = byRevision[revision->name];
        if (members.empty())
            order.push_back(revision->name);
        members.push_back(child.get());
    }
    std::map<RCSItem*, std::string> rcsPaths;
    for (const std::string& revision : order) {
        const std::vector<RCSItem*>& members = byRevision[revision];
        std::vector<BatchFile> lengths;
        for (RCSItem* member : members) {
            const std::string& rcsPath = rcsPaths[member] = static_cast<RCSFileItem*>(member)->GetRcsPath();
            lengths.push_back({{rcsPath}, {}});
        }
        for (const auto& [first, last] : BatchRanges(FreezeCommand(*release, revision), lengths))
            groups.emplace_back(members.begin() + static_cast<std::ptrdiff_t>(first),
                                members.begin() + static_cast<std::ptrdiff_t>(last));
    }
    const int result = CommandProgress::instance().ForEachGroup("frozen", groups, [&](const CommandProgress::Group& group) {
        auto* file = dynamic_cast<RCSFileItem*>(group.front());
        if (!file || !file->FindRevision(file->workingRevision))
            return std::vector<int>{0};
        return FreezeGroup(group, rcsPaths, release, undo);
    });
    if (result != 0) {
        undo.Undo();
        CommandResults::instance().AppendResults("Release " + release->name + " was not frozen\r\n");
        return result;
    }
    // Every entry's symbol is in its RCS file now, which is what a
    // synchronise looks for: one right after finds nothing to change.
    release->SetCovered(true);
    release->MarkCovered();
    if (doc)
        doc->WriteReleaseNameFile(release->name);
    return 0;
}

std::string ReleaseSymbolClash(RCSReleaseRoot& releases, const std::string& releaseName)
{
    const std::string symbol = MakeSymbolName(releaseName);
    const RCSReleaseItem* owner = releases.FindLatestWithSymbol(symbol, nullptr);
    if (!owner || EqualsNoCase(owner->name, releaseName))
        return std::string();
    return "Release name " + releaseName + " would share the RCS symbol " + symbol + " with release " + owner->name;
}

RCSReleaseItem* FreezeProject(Project& doc, const std::string& releaseName)
{
    if (!doc.root || !doc.releaseRoot || !doc.root->CanFreeze() || !IsValidReleaseName(releaseName))
        return nullptr;
    if (const std::string clash = ReleaseSymbolClash(*doc.releaseRoot, releaseName); !clash.empty()) {
        CurrentUserInteraction().ShowMessage(clash, MessageIcon::Stop);
        return nullptr;
    }
    auto owned = std::make_unique<RCSReleaseItem>(releaseName);
    RCSReleaseItem* release = owned.get();
    doc.releaseRoot->AddChild(std::move(owned));
    if (doc.root->FreezeRelease(release) != 0) {
        release->Detach();
        return nullptr;
    }
    doc.releaseRoot->RefreshDisplay(false);
    doc.SetModifiedFlag(true);
    return release;
}

} // namespace kestro
