#include "model/release_root.h"

#include "model/release_item.h"
#include "model/string_helpers.h"
#include "model/tree_traverser.h"
#include "model/version_item.h"

namespace kestro {

RCSReleaseRoot::RCSReleaseRoot()
{
    name = "Releases";
    status = ReleaseRoot;
}

RCSReleaseItem* RCSReleaseRoot::FindRelease(const std::string& releaseName)
{
    // Releases are the root's children. Their entries are named with revision
    // numbers, which never equal a release name, so a search of the children
    // alone finds what a search of the whole tree would.
    NameSearch search(releaseName, 0);
    return dynamic_cast<RCSReleaseItem*>(search.Find(this));
}

RCSReleaseItem* RCSReleaseRoot::FindOrCreateRelease(const std::string& releaseName,
                                                    const RCSVersionItem* revision)
{
    if (RCSReleaseItem* release = FindRelease(releaseName)) {
        if (revision && revision->date > release->releaseDate)
            release->releaseDate = revision->date;
        return release;
    }
    auto release = std::make_unique<RCSReleaseItem>(releaseName);
    if (revision)
        release->releaseDate = revision->date;
    RCSReleaseItem* added = release.get();
    AddChild(std::move(release));
    return added;
}

RCSReleaseItem* RCSReleaseRoot::FindLatestWithSymbol(const std::string& symbol, const RCSReleaseItem* except)
{
    for (auto it = children.rbegin(); it != children.rend(); ++it) {
        auto* release = dynamic_cast<RCSReleaseItem*>(it->get());
        if (release && release != except && MakeSymbolName(release->name) == symbol)
            return release;
    }
    return nullptr;
}

bool RCSReleaseRoot::AcceptsChild(const RCSItem& child) const
{
    return IsKindOf<RCSReleaseItem>(child);
}

} // namespace kestro
