#include "gui/tree_view.h"

#include "gui/icons.h"
#include "model/file_item.h"
#include "model/paths.h"
#include "model/release_version_item.h"
#include "model/version_item.h"

#include <QElapsedTimer>
#include <QHeaderView>
#include <QStyle>
#include <QThread>
#include <QTimer>

#include <algorithm>

namespace kestro::gui {

namespace {

constexpr int NodeRole = Qt::UserRole;
// How long one slice of queued changes may hold the interface thread.
constexpr qint64 SliceMs = 12;
// The clock is read once per this many changes.
constexpr int ChangesPerClockRead = 64;

// A node's widget: its text and image are read from here when the row is
// painted, so changing them needs no signal per node; the view is repainted
// once per slice instead.
class NodeWidget : public QTreeWidgetItem {
public:
    NodeWidget(NodeId node, const QString& text, const QIcon& icon)
        : QTreeWidgetItem(UserType), node_(node), text_(text), icon_(&icon)
    {
    }
    void setContent(const QString& text, const QIcon& icon)
    {
        text_ = text;
        icon_ = &icon;
    }
    QVariant data(int column, int role) const override
    {
        if (column == 0) {
            if (role == Qt::DisplayRole)
                return text_;
            if (role == Qt::DecorationRole)
                return *icon_;
            if (role == NodeRole)
                return QVariant::fromValue<qulonglong>(node_);
        }
        return QTreeWidgetItem::data(column, role);
    }

private:
    NodeId node_;
    QString text_;
    const QIcon* icon_;
};

// Removes a node and everything below it from a table of nodes.
template <typename Nodes>
void EraseSubtree(Nodes& nodes, NodeId top)
{
    std::vector<NodeId> doomed{top};
    while (!doomed.empty()) {
        const auto found = nodes.find(doomed.back());
        doomed.pop_back();
        doomed.insert(doomed.end(), found->second.children.begin(), found->second.children.end());
        nodes.erase(found);
    }
}

// The file name a node's text starts with, or null.
const std::string* FileNameOf(const RCSItem* item)
{
    if (const auto* file = dynamic_cast<const RCSFileItem*>(item))
        return &file->name;
    if (const auto* entry = dynamic_cast<const RCSReleaseVersionItem*>(item);
        entry && entry->revisionRef && entry->revisionRef->file)
        return &entry->revisionRef->file->name;
    return nullptr;
}

// File names show with "/" between directories, as everywhere on this
// platform; the model keeps "\". Only the name that starts the text changes,
// not a backslash in a log message after it.
QString ShownText(const RCSItem* item, const std::string& text)
{
    const std::string* name = FileNameOf(item);
    if (name && text.starts_with(*name))
        return QString::fromStdString(NativePath(*name) + text.substr(name->size()));
    return QString::fromStdString(text);
}

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
    setSelectionMode(QAbstractItemView::ExtendedSelection);
    setEditTriggers(QAbstractItemView::NoEditTriggers);
    setUniformRowHeights(true);
    // Sized by noteWidth as nodes are shown: a column sized to its contents
    // would measure every row on every change.
    header()->setSectionResizeMode(0, QHeaderView::Interactive);
    header()->setStretchLastSection(false);
    for (std::size_t i = 0; i < icons_.size(); ++i)
        icons_[i] = StatusIcon(static_cast<int>(i));
    connect(this, &QTreeWidget::itemExpanded, this, [this](QTreeWidgetItem* widget) {
        showChildren(NodeOf(widget));
        finishBatch();
    });
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
        shadow_[id] = ShadowNode{parent, {}, item, text, image};
        drain = queue({Change::Insert, id, parent, position, ShownText(item, text), image});
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
        ShadowNode& shadow = it->second;
        shadow.item = item;
        // The queue ends where the shadow is: nothing to show.
        if (shadow.text == text && shadow.image == image)
            return;
        shadow.text = text;
        shadow.image = image;
        drain = queue({Change::Update, node, 0, 0, ShownText(item, text), image});
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
        EraseSubtree(shadow_, node);
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
    // One request per batch: the slices take everything queued up to then.
    if (needed)
        QMetaObject::invokeMethod(this, &CKestroView::drainSlice, Qt::QueuedConnection);
}

void CKestroView::applyPendingChanges()
{
    drain(nullptr, 0);
}

void CKestroView::drainSlice()
{
    sliceScheduled_ = false;
    QElapsedTimer clock;
    clock.start();
    if (drain(&clock, SliceMs) && !sliceScheduled_) {
        // The rest follows once the event loop has painted and taken input.
        sliceScheduled_ = true;
        QTimer::singleShot(0, this, &CKestroView::drainSlice);
    }
}

bool CKestroView::drain(const QElapsedTimer* clock, qint64 budgetMs)
{
    // Applying a change emits widget signals; a slot that changes the tree
    // again only queues, and the loop below picks that up.
    if (draining_)
        return false;
    draining_ = true;
    bool more = false;
    for (int applied = 1;; ++applied) {
        if (working_.empty()) {
            std::lock_guard lock(mutex_);
            working_.assign(std::make_move_iterator(pending_.begin()), std::make_move_iterator(pending_.end()));
            pending_.clear();
        }
        if (working_.empty())
            break;
        apply(working_.front());
        working_.pop_front();
        if (clock && applied % ChangesPerClockRead == 0 && clock->elapsed() >= budgetMs) {
            more = true;
            break;
        }
    }
    finishBatch();
    draining_ = false;
    return more;
}

void CKestroView::finishBatch()
{
    if (widestNode_ > header()->sectionSize(0))
        setColumnWidth(0, widestNode_);
    if (repaintNeeded_) {
        repaintNeeded_ = false;
        viewport()->update();
    }
}

void CKestroView::apply(const Change& change)
{
    switch (change.kind) {
    case Change::Insert:
        insertShown(change);
        break;
    case Change::Update:
        updateShown(change);
        break;
    case Change::Delete:
        deleteShown(change.node);
        break;
    case Change::Select:
        selectShown(change.node);
        break;
    }
}

void CKestroView::insertShown(const Change& change)
{
    ShownNode* parent = nullptr;
    std::vector<NodeId>* siblings = &shownTopLevel_;
    if (change.parent) {
        const auto it = shown_.find(change.parent);
        if (it == shown_.end())
            return;
        parent = &it->second;
        siblings = &parent->children;
    }
    const int position = std::clamp(change.position, 0, static_cast<int>(siblings->size()));
    siblings->insert(siblings->begin() + position, change.node);
    // Element references survive the map growing, so parent stays valid.
    ShownNode& node = shown_[change.node];
    node.parent = change.parent;
    node.text = change.text;
    node.image = change.image;
    // The project and "Releases" show their files and releases at once;
    // deeper nodes wait until they are first expanded.
    node.childrenShown = !parent;
    if (!parent) {
        node.widget = makeWidget(change.node, node);
        insertTopLevelItem(position, node.widget);
        return;
    }
    if (!parent->widget)
        return;
    if (!parent->childrenShown) {
        if (parent->children.size() == 1)
            setIndicator(*parent);
        return;
    }
    node.widget = makeWidget(change.node, node);
    parent->widget->insertChild(position, node.widget);
    // A top-level node opens when it gets its first child, so that a new
    // tree shows its files; the user's later choice to close it stays.
    if (!parent->parent && parent->children.size() == 1)
        parent->widget->setExpanded(true);
}

void CKestroView::updateShown(const Change& change)
{
    const auto it = shown_.find(change.node);
    if (it == shown_.end())
        return;
    ShownNode& node = it->second;
    if (node.text == change.text && node.image == change.image)
        return;
    node.text = change.text;
    node.image = change.image;
    if (node.widget) {
        static_cast<NodeWidget*>(node.widget)->setContent(node.text, icon(node.image));
        noteWidth(change.node, node);
        repaintNeeded_ = true;
    }
}

void CKestroView::deleteShown(NodeId id)
{
    const auto it = shown_.find(id);
    if (it == shown_.end())
        return;
    const NodeId parentId = it->second.parent;
    std::vector<NodeId>& siblings = parentId ? shown_[parentId].children : shownTopLevel_;
    siblings.erase(std::remove(siblings.begin(), siblings.end(), id), siblings.end());
    // The widget takes its children's widgets with it.
    delete it->second.widget;
    EraseSubtree(shown_, id);
    if (parentId) {
        const ShownNode& parent = shown_[parentId];
        if (parent.widget && !parent.childrenShown && parent.children.empty())
            setIndicator(parent);
    }
}

void CKestroView::selectShown(NodeId node)
{
    if (QTreeWidgetItem* widget = widgetItem(node)) {
        setCurrentItem(widget);
        scrollToItem(widget);
    }
}

QTreeWidgetItem* CKestroView::widgetItem(NodeId node)
{
    const auto it = shown_.find(node);
    if (it == shown_.end())
        return nullptr;
    if (!it->second.widget) {
        std::vector<NodeId> ancestors;
        for (NodeId up = it->second.parent; up; up = shown_.at(up).parent)
            ancestors.push_back(up);
        for (auto ancestor = ancestors.rbegin(); ancestor != ancestors.rend(); ++ancestor)
            showChildren(*ancestor);
        finishBatch();
    }
    return it->second.widget;
}

void CKestroView::showChildren(NodeId id)
{
    const auto it = shown_.find(id);
    if (it == shown_.end() || it->second.childrenShown || !it->second.widget)
        return;
    ShownNode& node = it->second;
    node.childrenShown = true;
    QList<QTreeWidgetItem*> widgets;
    widgets.reserve(static_cast<qsizetype>(node.children.size()));
    for (const NodeId child : node.children) {
        ShownNode& shown = shown_.at(child);
        shown.widget = makeWidget(child, shown);
        widgets.append(shown.widget);
    }
    node.widget->addChildren(widgets);
    setIndicator(node);
}

QTreeWidgetItem* CKestroView::makeWidget(NodeId id, const ShownNode& node)
{
    auto* widget = new NodeWidget(id, node.text, icon(node.image));
    if (!node.childrenShown && !node.children.empty())
        widget->setChildIndicatorPolicy(QTreeWidgetItem::ShowIndicator);
    noteWidth(id, node);
    return widget;
}

void CKestroView::setIndicator(const ShownNode& node)
{
    node.widget->setChildIndicatorPolicy(!node.childrenShown && !node.children.empty()
                                             ? QTreeWidgetItem::ShowIndicator
                                             : QTreeWidgetItem::DontShowIndicatorWhenChildless);
}

void CKestroView::noteWidth(NodeId id, const ShownNode& node)
{
    int depth = 1;
    for (NodeId up = node.parent; up && up != id; up = shown_.at(up).parent)
        ++depth;
    const int iconWidth = style()->pixelMetric(QStyle::PM_SmallIconSize, nullptr, this);
    const int width = depth * indentation() + iconWidth + fontMetrics().horizontalAdvance(node.text) + 16;
    widestNode_ = std::max(widestNode_, width);
}

const QIcon& CKestroView::icon(int image) const
{
    return icons_[static_cast<std::size_t>(std::clamp(image, 0, static_cast<int>(icons_.size()) - 1))];
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

std::vector<RCSItem*> CKestroView::pickedItems() const
{
    std::vector<RCSItem*> items;
    for (const QTreeWidgetItem* widget : selectedItems())
        if (RCSItem* item = itemOf(NodeOf(widget)))
            items.push_back(item);
    return items;
}

} // namespace kestro::gui
