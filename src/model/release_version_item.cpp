#include "model/release_version_item.h"

#include "model/file_item.h"
#include "model/version_item.h"

namespace kestro {

RCSReleaseVersionItem::RCSReleaseVersionItem()
{
    status = ReleaseRevision;
}

RCSReleaseVersionItem::RCSReleaseVersionItem(RCSVersionItem* revision) : RCSReleaseVersionItem()
{
    revisionRef = revision;
    if (revision)
        name = revision->name;
}

std::string RCSReleaseVersionItem::GetDisplayText() const
{
    if (!revisionRef || !revisionRef->file)
        return {};
    return revisionRef->file->name + " " + revisionRef->GetDisplayText();
}

std::string RCSReleaseVersionItem::GetDescription() const
{
    if (revisionRef && parent)
        return parent->GetDescription() + " " + revisionRef->GetDescription();
    return name;
}

bool RCSReleaseVersionItem::IsLocked() const
{
    return revisionRef && revisionRef->IsLocked();
}

int RCSReleaseVersionItem::SortCompare(const RCSItem* other) const
{
    const auto* entry = dynamic_cast<const RCSReleaseVersionItem*>(other);
    if (!entry || !revisionRef || !revisionRef->file || !entry->revisionRef || !entry->revisionRef->file)
        return 1;
    return revisionRef->file->SortCompare(entry->revisionRef->file);
}

void RCSReleaseVersionItem::SerializeData(Archive& ar)
{
    RCSItem::SerializeData(ar);
    if (ar.isStoring()) {
        ar.writeObject(revisionRef);
        return;
    }
    SetStatusCode(ReleaseRevision);
    revisionRef = ar.readReference<RCSVersionItem>();
}

} // namespace kestro
