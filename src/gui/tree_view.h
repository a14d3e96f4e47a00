#pragma once

// The tree of the main window. The core draws through ItemView from any
// thread: the command worker and the status refresh change nodes while the
// interface thread runs. So the node structure is kept twice: a shadow under
// a mutex, which answers the core at once (ids, child counts, items), and the
// interface thread's own picture of it, which follows the shadow through a
// queue of changes applied in the order they were made.
//
// Big projects stay live: a change that alters neither text nor image is
// dropped before it is queued; the queue is applied in slices of a few
// milliseconds, with the event loop (and so painting and Stop) running in
// between; widgets exist only for nodes whose parent has been expanded once,
// so revisions and release entries cost nothing until they are looked at;
// and the column grows with the widest text shown instead of measuring the
// whole tree on every change.

#include "model/item_view.h"

#include <QIcon>
#include <QTreeWidget>

#include <array>
#include <deque>
#include <mutex>
#include <string>
#include <unordered_map>
#include <vector>

class QElapsedTimer;

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
    // The items of every selected node (Ctrl+click picks more than one);
    // commands act on the caret's item, Compare also looks at these. Valid
    // under the same conditions as selectedItem.
    std::vector<RCSItem*> pickedItems() const;
    // Applies every change queued so far, however long that takes, so that a
    // caller may rely on an up-to-date widget.
    void applyPendingChanges();
    // The node's widget, made (with its ancestors' children) if need be;
    // null for a node the widget does not know (yet).
    QTreeWidgetItem* widgetItem(NodeId node);

private:
    struct ShadowNode {
        NodeId parent = 0;
        std::vector<NodeId> children;
        RCSItem* item = nullptr;
        std::string text;
        int image = 0;
    };
    struct Change {
        enum Kind { Insert, Update, Delete, Select } kind;
        NodeId node;
        NodeId parent;
        int position;
        QString text;
        int image;
    };
    // The interface thread's picture of a node, as far as the queue has been
    // applied. widget stays null until the parent's children are shown.
    struct ShownNode {
        NodeId parent = 0;
        std::vector<NodeId> children;
        QString text;
        int image = 0;
        QTreeWidgetItem* widget = nullptr;
        bool childrenShown = false;
    };

    const std::vector<NodeId>& childrenOf(NodeId parent) const;
    // Queues the change (the caller holds mutex_); true when the queue was
    // empty, so that one drain has to be requested.
    bool queue(Change change);
    void requestDrain(bool needed);
    // Applies queued changes for about one frame's time, then lets the event
    // loop run and goes on later.
    void drainSlice();
    // Applies changes while the deadline allows (all when it is null).
    bool drain(const QElapsedTimer* clock, qint64 budgetMs);
    void finishBatch();
    void apply(const Change& change);
    void insertShown(const Change& change);
    void updateShown(const Change& change);
    void deleteShown(NodeId node);
    void selectShown(NodeId node);
    // Makes widgets for the node's children, once.
    void showChildren(NodeId node);
    QTreeWidgetItem* makeWidget(NodeId id, const ShownNode& node);
    void setIndicator(const ShownNode& node);
    void noteWidth(NodeId id, const ShownNode& node);
    const QIcon& icon(int image) const;

    mutable std::mutex mutex_;
    std::unordered_map<NodeId, ShadowNode> shadow_;
    std::vector<NodeId> topLevel_;
    NodeId nextId_ = 1;
    std::vector<Change> pending_;

    // Interface thread only.
    std::deque<Change> working_;  // taken from pending_, not yet applied
    std::unordered_map<NodeId, ShownNode> shown_;
    std::vector<NodeId> shownTopLevel_;
    bool draining_ = false;
    bool sliceScheduled_ = false;
    bool repaintNeeded_ = false;
    int widestNode_ = 0;
    std::array<QIcon, 13> icons_;
};

} // namespace kestro::gui
