#include "model/root_item.h"

#include "model/file_item.h"
#include "model/string_helpers.h"

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
    if (!fileIndexValid_) {
        fileIndex_.clear();
        for (auto& child : children) {
            if (auto* file = dynamic_cast<RCSFileItem*>(child.get()))
                fileIndex_.emplace(FoldCase(file->name), file);
        }
        fileIndexValid_ = true;
    }
    const auto it = fileIndex_.find(FoldCase(fileName));
    return it == fileIndex_.end() ? nullptr : it->second;
}

void RCSRoot::ChildAdded(RCSItem* child)
{
    if (!fileIndexValid_)
        return;
    if (auto* file = dynamic_cast<RCSFileItem*>(child))
        fileIndex_.emplace(FoldCase(file->name), file);
}

bool RCSRoot::AcceptsChild(const RCSItem& child) const
{
    return IsKindOf<RCSFileItem>(child);
}

} // namespace kestro
