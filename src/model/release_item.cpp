#include "model/release_item.h"

#include "model/file_item.h"
#include "model/options.h"
#include "model/release_version_item.h"
#include "model/string_helpers.h"
#include "model/time_format.h"
#include "model/version_item.h"

namespace kestro {

namespace {

const RCSFileItem* FileOf(const RCSItem* item)
{
    auto* entry = static_cast<const RCSReleaseVersionItem*>(item);
    return entry->revisionRef ? entry->revisionRef->file : nullptr;
}

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
    constexpr int LookupsBeforeIndex = 4;
    if (!entryIndexValid_ && ++lookupsWithoutIndex_ <= LookupsBeforeIndex) {
        for (auto& child : children) {
            const RCSFileItem* file = FileOf(child.get());
            if (file && EqualsNoCase(file->name, fileName))
                return static_cast<RCSReleaseVersionItem*>(child.get());
        }
        return nullptr;
    }
    if (!entryIndexValid_) {
        entryIndex_.clear();
        for (auto& child : children) {
            if (const RCSFileItem* file = FileOf(child.get()))
                entryIndex_.emplace(FoldCase(file->name), static_cast<RCSReleaseVersionItem*>(child.get()));
        }
        entryIndexValid_ = true;
    }
    const auto it = entryIndex_.find(FoldCase(fileName));
    return it == entryIndex_.end() ? nullptr : it->second;
}

RCSReleaseVersionItem* RCSReleaseItem::EntryOfFile(const RCSFileItem* file)
{
    // A synchronise or a freeze goes through the files in the order their
    // entries were added, so the entry after the last one found is looked
    // at before any name; a walk that has reached the end starts again.
    const std::size_t next = nextEntry_ < children.size() ? nextEntry_ : 0;
    if (next < children.size() && FileOf(children[next].get()) == file) {
        nextEntry_ = next + 1;
        return static_cast<RCSReleaseVersionItem*>(children[next].get());
    }
    return FindFileEntry(file->name);
}

RCSReleaseVersionItem* RCSReleaseItem::AddRevision(RCSVersionItem* revision)
{
    RCSReleaseVersionItem* entry = nullptr;
    if (revision->file)
        entry = EntryOfFile(revision->file);
    if (entry) {
        entry->revisionRef = revision;
        entry->RefreshDisplay(false);
    } else {
        auto added = std::make_unique<RCSReleaseVersionItem>(revision);
        entry = added.get();
        const bool indexWasValid = entryIndexValid_;
        AddChild(std::move(added));
        if (indexWasValid && revision->file) {
            entryIndex_.emplace(FoldCase(revision->file->name), entry);
            entryIndexValid_ = true;
        }
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
    return IsKindOf<RCSReleaseVersionItem>(child);
}

} // namespace kestro
