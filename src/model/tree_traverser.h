#pragma once

// Walks over an item tree. `depth` counts the levels above the first level
// that is visited: depth 1 without flags visits the direct children only,
// depth 1 with Unlimited every descendant but not the start item. A Visit that
// returns non-zero ends the whole walk with `current` still naming the item
// that ended it, which is how searches return what they found.

#include <cstdint>
#include <string>

namespace kestro {

class RCSItem;

class TreeTraverser {
public:
    enum Flags : std::uint16_t {
        VisitAllLevels = 1,
        Unlimited = 2,
        PostOrder = 4,
    };

    TreeTraverser(std::int16_t startDepth, std::uint16_t walkFlags)
        : depth(startDepth), flags(walkFlags) {}
    virtual ~TreeTraverser() = default;

    virtual int Visit() = 0;
    int Traverse(RCSItem* item);

    std::int16_t depth;
    std::uint16_t flags;
    RCSItem* current = nullptr;
};

// Finds an item by name, ignoring case: depth 1 with no flags searches the
// children, with Unlimited all descendants.
class NameSearch : public TreeTraverser {
public:
    NameSearch(std::string wanted, std::uint16_t walkFlags)
        : TreeTraverser(1, walkFlags), wantedName(std::move(wanted)) {}
    int Visit() override;

    // The item found, or null.
    RCSItem* Find(RCSItem* start);

    std::string wantedName;
};

} // namespace kestro
