#include "gui/tree_view.h"

#include "gui/icons.h"

#include <QHeaderView>
#include <QThread>

#include <algorithm>

namespace kestro::gui {

namespace {

constexpr int NodeRole = Qt::UserRole;

NodeId NodeOf(const QTreeWidgetItem* item)
{
    return item ? static_cast<NodeId>(item->data(0, NodeRole).toULongLong()) : 0;
}

} // namespace

CKestroView::CKestroView(QWidget* parent) : QTreeWidget(parent)
{
    setHeaderHidden(true);
    setColumnCount(1);
    setRootIsDecorated(true);
    setSelectionMode(QAbstractItemView::SingleSelection);
    setEditTriggers(QAbstractItemView::NoEditTriggers);
    setUniformRowHeights(true);
    header()->setSectionResizeMode(0, QHeaderView::ResizeToContents);
    header()->setStretchLastSection(false);
    for (std::size_t i = 0; i < icons_.size(); ++i)
        icons_[i] = StatusIcon(static_cast<int>(i));
}

const std::vector<NodeId>& CKestroView::childrenOf(NodeId parent) const
{
    static const std::vector<NodeId> none;
    if (!parent)
        return topLevel_;
    const auto it = shadow_.find(parent);
    return it == shadow_.end() ? none : it->second.children;
}

NodeId CKestroView::insertNode(NodeId parent, int position, RCSItem* item, const std::string& text, int image)
{
    bool drain;
    NodeId id;
    {
        std::lock_guard lock(mutex_);
        std::vector<NodeId>* siblings = &topLevel_;
        if (parent) {
            const auto it = shadow_.find(parent);
            if (it == shadow_.end())
                return 0;
            siblings = &it->second.children;
        }
        id = nextId_++;
        position = std::clamp(position, 0, static_cast<int>(siblings->size()));
        siblings->insert(siblings->begin() + position, id);
        shadow_[id] = ShadowNode{parent, {}, item};
        drain = queue({Change::Insert, id, parent, position, QString::fromStdString(text), image});
    }
    requestDrain(drain);
    return id;
}

void CKestroView::updateNode(NodeId node, RCSItem* item, const std::string& text, int image)
{
    bool drain;
    {
        std::lock_guard lock(mutex_);
        const auto it = shadow_.find(node);
        if (it == shadow_.end())
            return;
        it->second.item = item;
        drain = queue({Change::Update, node, 0, 0, QString::fromStdString(text), image});
    }
    requestDrain(drain);
}

void CKestroView::deleteNode(NodeId node)
{
    bool drain;
    {
        std::lock_guard lock(mutex_);
        const auto it = shadow_.find(node);
        if (it == shadow_.end())
            return;
        std::vector<NodeId>& siblings = it->second.parent ? shadow_[it->second.parent].children : topLevel_;
        siblings.erase(std::remove(siblings.begin(), siblings.end(), node), siblings.end());
        std::vector<NodeId> doomed{node};
        while (!doomed.empty()) {
            const auto found = shadow_.find(doomed.back());
            doomed.pop_back();
            doomed.insert(doomed.end(), found->second.children.begin(), found->second.children.end());
            shadow_.erase(found);
        }
        drain = queue({Change::Delete, node, 0, 0, QString(), 0});
    }
    requestDrain(drain);
}

void CKestroView::selectNode(NodeId node)
{
    bool drain;
    {
        std::lock_guard lock(mutex_);
        if (!shadow_.count(node))
            return;
        drain = queue({Change::Select, node, 0, 0, QString(), 0});
    }
    requestDrain(drain);
}

int CKestroView::childCount(NodeId parent) const
{
    std::lock_guard lock(mutex_);
    return static_cast<int>(childrenOf(parent).size());
}

RCSItem* CKestroView::childItem(NodeId parent, int position) const
{
    std::lock_guard lock(mutex_);
    const auto& children = childrenOf(parent);
    if (position < 0 || position >= static_cast<int>(children.size()))
        return nullptr;
    return shadow_.at(children[static_cast<std::size_t>(position)]).item;
}

RCSItem* CKestroView::itemOf(NodeId node) const
{
    std::lock_guard lock(mutex_);
    const auto it = shadow_.find(node);
    return it == shadow_.end() ? nullptr : it->second.item;
}

bool CKestroView::queue(Change change)
{
    pending_.push_back(std::move(change));
    return pending_.size() == 1;
}

void CKestroView::requestDrain(bool needed)
{
    if (QThread::currentThread() == thread()) {
        applyPendingChanges();
        return;
    }
    // One drain per batch: the drain takes everything queued up to then.
    if (needed)
        QMetaObject::invokeMethod(this, &CKestroView::applyPendingChanges, Qt::QueuedConnection);
}

void CKestroView::applyPendingChanges()
{
    // Applying a change emits widget signals; a slot that changes the tree
    // again only queues, and this loop picks that up.
    if (draining_)
        return;
    draining_ = true;
    for (;;) {
        std::vector<Change> batch;
        {
            std::lock_guard lock(mutex_);
            batch.swap(pending_);
        }
        if (batch.empty())
            break;
        for (const Change& change : batch)
            apply(change);
    }
    draining_ = false;
}

void CKestroView::apply(const Change& change)
{
    switch (change.kind) {
    case Change::Insert: {
        auto* item = new QTreeWidgetItem;
        item->setData(0, NodeRole, QVariant::fromValue<qulonglong>(change.node));
        item->setText(0, change.text);
        item->setIcon(0, icon(change.image));
        if (change.parent) {
            const auto parent = widgets_.find(change.parent);
            if (parent == widgets_.end()) {
                delete item;
                return;
            }
            parent->second->insertChild(change.position, item);
        } else {
            insertTopLevelItem(change.position, item);
        }
        widgets_[change.node] = item;
        // A top-level node (the project, "Releases") opens when it gets its
        // first child, so that a new tree shows its files; the user's later
        // choice to close it is left alone.
        if (QTreeWidgetItem* parent = item->parent(); parent && !parent->parent() && parent->childCount() == 1)
            parent->setExpanded(true);
        break;
    }
    case Change::Update:
        if (QTreeWidgetItem* item = widgetItem(change.node)) {
            item->setText(0, change.text);
            item->setIcon(0, icon(change.image));
        }
        break;
    case Change::Delete:
        if (QTreeWidgetItem* item = widgetItem(change.node)) {
            forgetWidgets(item);
            delete item;
        }
        break;
    case Change::Select:
        if (QTreeWidgetItem* item = widgetItem(change.node)) {
            setCurrentItem(item);
            scrollToItem(item);
        }
        break;
    }
}

void CKestroView::forgetWidgets(QTreeWidgetItem* item)
{
    widgets_.erase(NodeOf(item));
    for (int i = 0; i < item->childCount(); ++i)
        forgetWidgets(item->child(i));
}

const QIcon& CKestroView::icon(int image) const
{
    return icons_[static_cast<std::size_t>(std::clamp(image, 0, static_cast<int>(icons_.size()) - 1))];
}

QTreeWidgetItem* CKestroView::widgetItem(NodeId node) const
{
    const auto it = widgets_.find(node);
    return it == widgets_.end() ? nullptr : it->second;
}

NodeId CKestroView::currentNode() const
{
    return NodeOf(currentItem());
}

RCSItem* CKestroView::selectedItem() const
{
    const NodeId node = currentNode();
    return node ? itemOf(node) : nullptr;
}

} // namespace kestro::gui
