#pragma once

// The tree of the main window. The core draws through ItemView from any
// thread: the command worker and the status refresh change nodes while the
// interface thread runs. So the node structure is kept twice: a shadow under
// a mutex, which answers the core at once (ids, child counts, items), and the
// widget, which only the interface thread touches. Every change is applied to
// the shadow at once and queued for the widget; the queue is drained on the
// interface thread in the order the changes were made, so the widget always
// becomes what the shadow was.

#include "model/item_view.h"

#include <QIcon>
#include <QTreeWidget>

#include <array>
#include <mutex>
#include <string>
#include <unordered_map>
#include <vector>

namespace kestro::gui {

class CKestroView : public QTreeWidget, public ItemView {
    Q_OBJECT
public:
    explicit CKestroView(QWidget* parent = nullptr);

    NodeId insertNode(NodeId parent, int position, RCSItem* item, const std::string& text,
                      int image) override;
    void updateNode(NodeId node, RCSItem* item, const std::string& text, int image) override;
    void deleteNode(NodeId node) override;
    void selectNode(NodeId node) override;
    int childCount(NodeId parent) const override;
    RCSItem* childItem(NodeId parent, int position) const override;
    RCSItem* itemOf(NodeId node) const override;

    // Interface thread only. The node of the caret, 0 when there is none.
    NodeId currentNode() const;
    // The caret node's item, or null. Only valid while nothing else changes
    // the trees: the caller holds the tree lock or knows that no command runs.
    RCSItem* selectedItem() const;
    // Applies the changes queued by other threads; the interface thread
    // calls it on its own too, so a caller may rely on an up-to-date widget.
    void applyPendingChanges();
    QTreeWidgetItem* widgetItem(NodeId node) const;

private:
    struct ShadowNode {
        NodeId parent = 0;
        std::vector<NodeId> children;
        RCSItem* item = nullptr;
    };
    struct Change {
        enum Kind { Insert, Update, Delete, Select } kind;
        NodeId node;
        NodeId parent;
        int position;
        QString text;
        int image;
    };

    const std::vector<NodeId>& childrenOf(NodeId parent) const;
    // Queues the change (the caller holds mutex_); true when the queue was
    // empty, so that one drain has to be requested.
    bool queue(Change change);
    void requestDrain(bool needed);
    void apply(const Change& change);
    void forgetWidgets(QTreeWidgetItem* item);
    const QIcon& icon(int image) const;

    mutable std::mutex mutex_;
    std::unordered_map<NodeId, ShadowNode> shadow_;
    std::vector<NodeId> topLevel_;
    NodeId nextId_ = 1;
    std::vector<Change> pending_;

    // Interface thread only.
    std::unordered_map<NodeId, QTreeWidgetItem*> widgets_;
    bool draining_ = false;
    std::array<QIcon, 13> icons_;
};

} // namespace kestro::gui
