#include "ops/release_item.h"

#include "model/file_item.h"
#include "model/options.h"
#include "model/string_helpers.h"
#include "model/time_format.h"
#include "model/tree_traverser.h"
#include "model/version_item.h"
#include "ops/release_version_item.h"

namespace kestro {

namespace {

class ReleaseSearcher : public TreeTraverser {
public:
    explicit ReleaseSearcher(const std::string& fileName)
        : TreeTraverser(1, 0), wantedFile(fileName) {}
    int Visit() override
    {
        auto* entry = dynamic_cast<RCSReleaseVersionItem*>(current);
        return entry && entry->revisionRef && entry->revisionRef->file
                       && EqualsNoCase(entry->revisionRef->file->name, wantedFile)
                   ? 1
                   : 0;
    }
    const std::string& wantedFile;
};

} // namespace

RCSReleaseItem::RCSReleaseItem() : releaseDate(std::time(nullptr))
{
    status = Release;
}

RCSReleaseItem::RCSReleaseItem(const std::string& releaseName) : RCSReleaseItem()
{
    name = releaseName;
}

std::string RCSReleaseItem::GetDisplayText() const
{
    return name + " " + FormatTime(releaseDate, RCSOptions::instance().timeFormat);
}

std::string RCSReleaseItem::GetDescription() const
{
    return "Release " + name;
}

RCSReleaseVersionItem* RCSReleaseItem::FindFileEntry(const std::string& fileName)
{
    ReleaseSearcher searcher(fileName);
    return searcher.Traverse(this) ? static_cast<RCSReleaseVersionItem*>(searcher.current) : nullptr;
}

RCSReleaseVersionItem* RCSReleaseItem::AddRevision(RCSVersionItem* revision)
{
    RCSReleaseVersionItem* entry = nullptr;
    if (revision->file)
        entry = FindFileEntry(revision->file->name);
    if (entry) {
        entry->revisionRef = revision;
        entry->RefreshDisplay(false);
    } else {
        auto added = std::make_unique<RCSReleaseVersionItem>(revision);
        entry = added.get();
        AddChild(std::move(added));
    }
    if (revision->date > releaseDate)
        releaseDate = revision->date;
    return entry;
}

void RCSReleaseItem::SerializeData(Archive& ar)
{
    RCSItem::SerializeData(ar);
    if (ar.isLoading())
        SetStatusCode(Release);
    ar.transferTime(releaseDate);
}

bool RCSReleaseItem::AcceptsChild(const RCSItem& child) const
{
    return dynamic_cast<const RCSReleaseVersionItem*>(&child) != nullptr;
}

} // namespace kestro
