#pragma once

// The one view that shows the item trees. The core draws through this
// interface only; the desktop program implements it with a tree widget, the
// command line and the tests with a text view. With no view set, tree
// operations change only the items.

#include <cstdint>
#include <string>

namespace kestro {

class RCSItem;

using NodeId = std::uintptr_t;  // 0 is no node; also the invisible top level

class ItemView {
public:
    virtual ~ItemView() = default;

    // Creates a node under parent (0: the top level) at the given position
    // among its children and returns its id, never 0.
    virtual NodeId insertNode(NodeId parent, int position, RCSItem* item,
                              const std::string& text, int image) = 0;
    virtual void updateNode(NodeId node, RCSItem* item, const std::string& text, int image) = 0;
    // Deletes the node and all nodes below it.
    virtual void deleteNode(NodeId node) = 0;
    virtual void selectNode(NodeId node) = 0;

    virtual int childCount(NodeId parent) const = 0;
    virtual RCSItem* childItem(NodeId parent, int position) const = 0;
    virtual RCSItem* itemOf(NodeId node) const = 0;
};

ItemView* CurrentItemView();
// Registers the view (null unregisters). The view outlives its registration.
void SetItemView(ItemView* view);

} // namespace kestro
