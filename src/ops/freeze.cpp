// Freezing a release: every file's working revision gets the release's RCS
// symbol, and the release tree gets an item with one entry per file. A
// release is made for every file or not at all.

#include "app/command_results.h"
#include "app/command_runner.h"
#include "app/document.h"
#include "app/user_interaction.h"
#include "model/command_progress.h"
#include "model/file_item.h"
#include "model/root_item.h"
#include "model/string_helpers.h"
#include "model/version_item.h"
#include "ops/commands.h"
#include "ops/release_item.h"
#include "ops/release_root.h"
#include "ops/symbol_undo.h"

#include <memory>

namespace kestro {

namespace {

bool IsAsciiLetter(char c)
{
    return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z');
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
    AppendArgument(command, GetRcsPath());
    // -N moves a symbol that already names another revision, so refreezing
    // a name succeeds. A file rcs refused stays out of the release.
    std::string output;
    if (const int result = RunCommand(output, command, std::string(), true)) {
        CommandResults::instance().AppendResults(name + " : cannot freeze as " + release->name + "\r\n");
        return result;
    }
    undo.Changed(*this);
    release->AddRevision(revision);
    return 0;
}

int RCSRoot::FreezeRelease(RCSReleaseItem* release)
{
    CKestroDoc* doc = CKestroDoc::current();
    const std::string symbol = MakeSymbolName(release->name);
    // Refreezing a name moves the symbols from where the latest release of
    // that name put them; a failed freeze moves them back there.
    SymbolUndo undo(symbol, doc && doc->releaseRoot ? doc->releaseRoot->FindLatestWithSymbol(symbol, release) : nullptr);
    // Every file is tried, so that each one at fault is reported; a stop
    // leaves the release out as a failure does.
    const int result = CommandProgress::instance().ForEachChild(*this, "frozen", [&](RCSItem& child) {
        auto* file = dynamic_cast<RCSFileItem*>(&child);
        return file ? file->FreezeFile(release, undo) : 0;
    });
    if (result != 0) {
        undo.Undo();
        CommandResults::instance().AppendResults("Release " + release->name + " was not frozen\r\n");
        return result;
    }
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

RCSReleaseItem* FreezeProject(CKestroDoc& doc, const std::string& releaseName)
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
