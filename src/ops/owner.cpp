// Changing the site that owns a revision. Ownership is Kestro's own record;
// RCS knows nothing of it.

#include "model/file_item.h"
#include "model/project.h"
#include "model/site.h"
#include "model/site_list.h"
#include "model/version_item.h"
#include "ops/commands.h"

namespace kestro {

void RCSFileItem::SetOwningSite(Site* site)
{
    for (auto& child : children)
        child->SetOwningSite(site);
}

bool ChangeOwningSite(Project& doc, RCSVersionItem* revision, const std::string& ownerName)
{
    if (!revision || !doc.siteList)
        return false;
    const std::string current = revision->owningSite ? revision->owningSite->name : std::string();
    if (ownerName == current)
        return true;
    Site* site = doc.siteList->FindOrCreate(ownerName);
    if (!site)
        return false;
    revision->SetOwningSite(site);
    doc.SetModifiedFlag(true);
    return true;
}

} // namespace kestro
