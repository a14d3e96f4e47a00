#include "model/tree_traverser.h"

#include "model/item.h"
#include "model/string_helpers.h"

namespace kestro {

int TreeTraverser::Traverse(RCSItem* item)
{
    if (!item)
        return 0;
    const bool visitsThisLevel = depth <= 0 || (flags & VisitAllLevels);
    if (!(flags & PostOrder) && visitsThisLevel) {
        current = item;
        if (const int result = Visit())
            return result;
    }
    if (depth != 0 || (flags & Unlimited)) {
        int result = 0;
        --depth;
        // A post-order visit may remove the child it visited; the index then
        // already names the next child.
        for (std::size_t i = 0; i < item->children.size() && result == 0;) {
            RCSItem* child = item->children[i].get();
            current = child;
            result = Traverse(child);
            if (i < item->children.size() && item->children[i].get() == child)
                ++i;
        }
        ++depth;
        if (result)
            return result;
    }
    if ((flags & PostOrder) && visitsThisLevel) {
        current = item;
        return Visit();
    }
    return 0;
}

int NameSearch::Visit()
{
    return EqualsNoCase(current->name, wantedName) ? 1 : 0;
}

RCSItem* NameSearch::Find(RCSItem* start)
{
    return Traverse(start) ? current : nullptr;
}

} // namespace kestro
