// Freezing a release: every file's working revision gets the release's RCS
// symbol, and the release tree gets an item with one entry per file.

#include "app/command_runner.h"
#include "app/document.h"
#include "app/user_interaction.h"
#include "model/file_item.h"
#include "model/item_view.h"
#include "model/root_item.h"
#include "model/string_helpers.h"
#include "model/version_item.h"
#include "ops/commands.h"
#include "ops/release_item.h"
#include "ops/release_root.h"

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

bool RCSFileItem::CanFreeze()
{
    std::string problem;
    if (StatusCode() != CheckedIn || workingRevision.empty())
        problem = name + " is not checked in";
    else if (!FindRevision(workingRevision))
        problem = name + " version " + workingRevision + " has been deleted from RCS";
    else
        return true;
    CurrentUserInteraction().ShowMessage(problem, MessageIcon::Stop);
    if (ItemView* v = CurrentItemView(); v && treeItem)
        v->selectNode(treeItem);
    return false;
}

void RCSFileItem::FreezeFile(RCSReleaseItem* release)
{
    RCSVersionItem* revision = FindRevision(workingRevision);
    if (!revision)
        return;
    std::string command = "rcs";
    AppendArgument(command, "-N" + MakeSymbolName(release->name) + ":" + revision->name);
    AppendArgument(command, GetRcsPath());
    release->AddRevision(revision);
    // A failure is left in the command results; -N moves a symbol that
    // already names another revision, so refreezing a name succeeds.
    std::string output;
    RunCommand(output, command, std::string(), true);
}

int RCSRoot::FreezeRelease(RCSReleaseItem* release)
{
    for (auto& child : children) {
        if (auto* file = dynamic_cast<RCSFileItem*>(child.get()))
            file->FreezeFile(release);
    }
    if (CKestroDoc* doc = CKestroDoc::current())
        doc->WriteReleaseNameFile(release->name);
    return 1;
}

RCSReleaseItem* FreezeProject(CKestroDoc& doc, const std::string& releaseName)
{
    if (!doc.root || !doc.releaseRoot || !doc.root->CanFreeze() || !IsValidReleaseName(releaseName))
        return nullptr;
    auto owned = std::make_unique<RCSReleaseItem>(releaseName);
    RCSReleaseItem* release = owned.get();
    doc.releaseRoot->AddChild(std::move(owned));
    doc.root->FreezeRelease(release);
    doc.releaseRoot->RefreshDisplay(false);
    doc.SetModifiedFlag(true);
    return release;
}

} // namespace kestro
