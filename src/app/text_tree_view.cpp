#include "app/text_tree_view.h"

#include <algorithm>

namespace kestro {

NodeId TextTreeView::insertNode(NodeId parent, int position, RCSItem* item, const std::string& text,
                                int image)
{
    std::vector<NodeId>* siblings = &topLevel_;
    if (parent) {
        const auto it = nodes_.find(parent);
        if (it == nodes_.end())
            return 0;
        siblings = &it->second.children;
    }
    const NodeId id = nextId_++;
    nodes_[id] = Node{parent, {}, item, text, image};
    position = std::clamp(position, 0, static_cast<int>(siblings->size()));
    siblings->insert(siblings->begin() + position, id);
    return id;
}

void TextTreeView::updateNode(NodeId node, RCSItem* item, const std::string& text, int image)
{
    const auto it = nodes_.find(node);
    if (it == nodes_.end())
        return;
    it->second.item = item;
    it->second.text = text;
    it->second.image = image;
}

void TextTreeView::deleteNode(NodeId node)
{
    const auto it = nodes_.find(node);
    if (it == nodes_.end())
        return;
    std::vector<NodeId>& siblings = it->second.parent ? nodes_[it->second.parent].children : topLevel_;
    siblings.erase(std::remove(siblings.begin(), siblings.end(), node), siblings.end());
    std::vector<NodeId> pending{node};
    while (!pending.empty()) {
        const NodeId id = pending.back();
        pending.pop_back();
        const auto found = nodes_.find(id);
        pending.insert(pending.end(), found->second.children.begin(), found->second.children.end());
        if (selected_ == id)
            selected_ = 0;
        nodes_.erase(found);
    }
}

const std::vector<NodeId>& TextTreeView::childrenOf(NodeId parent) const
{
    static const std::vector<NodeId> none;
    if (!parent)
        return topLevel_;
    const auto it = nodes_.find(parent);
    return it == nodes_.end() ? none : it->second.children;
}

int TextTreeView::childCount(NodeId parent) const
{
    return static_cast<int>(childrenOf(parent).size());
}

RCSItem* TextTreeView::childItem(NodeId parent, int position) const
{
    const auto& children = childrenOf(parent);
    if (position < 0 || position >= static_cast<int>(children.size()))
        return nullptr;
    return nodes_.at(children[position]).item;
}

RCSItem* TextTreeView::itemOf(NodeId node) const
{
    const Node* found = this->node(node);
    return found ? found->item : nullptr;
}

const TextTreeView::Node* TextTreeView::node(NodeId id) const
{
    const auto it = nodes_.find(id);
    return it == nodes_.end() ? nullptr : &it->second;
}

std::string TextTreeView::Render(bool withCodes) const
{
    std::string out;
    for (const NodeId id : topLevel_)
        render(id, 0, withCodes, out);
    return out;
}

void TextTreeView::render(NodeId id, int level, bool withCodes, std::string& out) const
{
    const Node& current = nodes_.at(id);
    out.append(static_cast<std::size_t>(level) * 2, ' ');
    if (withCodes)
        out += "[" + std::to_string(current.image) + "] ";
    out += current.text;
    out += '\n';
    for (const NodeId child : current.children)
        render(child, level + 1, withCodes, out);
}

} // namespace kestro
