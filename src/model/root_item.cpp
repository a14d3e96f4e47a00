#include "model/root_item.h"

#include "model/file_item.h"
#include "model/tree_traverser.h"

namespace kestro {

RCSRoot::RCSRoot()
{
    status = RootItem;
}

int RCSRoot::ResetDefaultBranch()
{
    int result = 0;
    for (auto& child : children)
        result |= child->ResetDefaultBranch();
    return result;
}

void RCSRoot::SetOwningSite(Site* site)
{
    for (auto& child : children)
        child->SetOwningSite(site);
}

RCSFileItem* RCSRoot::FindFile(const std::string& fileName)
{
    NameSearch search(fileName, 0);
    return dynamic_cast<RCSFileItem*>(search.Find(this));
}

bool RCSRoot::AcceptsChild(const RCSItem& child) const
{
    return dynamic_cast<const RCSFileItem*>(&child) != nullptr;
}

} // namespace kestro
