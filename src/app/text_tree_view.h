#pragma once

// A view that keeps the tree as text: the command line prints it, and tests
// read node order and texts from it.

#include "model/item_view.h"

#include <string>
#include <unordered_map>
#include <vector>

namespace kestro {

class TextTreeView : public ItemView {
public:
    struct Node {
        NodeId parent = 0;
        std::vector<NodeId> children;
        RCSItem* item = nullptr;
        std::string text;
        int image = 0;
    };

    NodeId insertNode(NodeId parent, int position, RCSItem* item, const std::string& text,
                      int image) override;
    void updateNode(NodeId node, RCSItem* item, const std::string& text, int image) override;
    void deleteNode(NodeId node) override;
    void selectNode(NodeId node) override { selected_ = node; }
    int childCount(NodeId parent) const override;
    RCSItem* childItem(NodeId parent, int position) const override;
    RCSItem* itemOf(NodeId node) const override;

    const Node* node(NodeId id) const;
    const std::vector<NodeId>& topLevelNodes() const { return topLevel_; }
    NodeId selected() const { return selected_; }
    // One node a line, two spaces of indent per level; with codes each line
    // starts with the node's image number in brackets.
    std::string Render(bool withCodes) const;

private:
    const std::vector<NodeId>& childrenOf(NodeId parent) const;
    void render(NodeId id, int level, bool withCodes, std::string& out) const;

    std::unordered_map<NodeId, Node> nodes_;
    std::vector<NodeId> topLevel_;
    NodeId nextId_ = 1;
    NodeId selected_ = 0;
};

} // namespace kestro
