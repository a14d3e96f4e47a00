#include "model/item.h"

#include "model/command_progress.h"
#include "model/command_results.h"
#include "model/item_view.h"
#include "model/options.h"
#include "model/project.h"
#include "model/release_root.h"
#include "model/string_helpers.h"
#include "model/tree_traverser.h"
#include "model/user_interaction.h"

#include <algorithm>

namespace kestro {

namespace {

int ImageOf(const RCSItem& item)
{
    const std::uint32_t code = item.StatusCode();
    return code >= PlainItem ? 0 : static_cast<int>(code);
}

// Forgets the nodes of a subtree whose nodes the view has deleted.
void ForgetNodes(RCSItem& item)
{
    item.treeItem = 0;
    for (auto& child : item.children)
        ForgetNodes(*child);
}

class CoveredSetter : public TreeTraverser {
public:
    explicit CoveredSetter(bool covered) : TreeTraverser(1, Unlimited), covered_(covered) {}
    int Visit() override
    {
        current->SetCovered(covered_);
        current->UpdateStatus();
        return 0;
    }

private:
    bool covered_;
};

} // namespace

RCSItem::RCSItem() = default;
RCSItem::~RCSItem() = default;

void RCSItem::SetName(const std::string& text)
{
    if (text != name) {
        name = text;
        if (parent)
            parent->ChildrenChanged();
        RefreshDisplay(false);
    }
}

void RCSItem::AddChild(std::unique_ptr<RCSItem> item)
{
    RCSItem* added = item.get();
    added->parent = this;
    children.push_back(std::move(item));
    ChildAdded(added);
    if (CurrentItemView()) {
        InsertIntoTree(added);
        RefreshDisplay(false);
    }
}

std::unique_ptr<RCSItem> RCSItem::Detach()
{
    std::unique_ptr<RCSItem> owned;
    if (parent) {
        auto& siblings = parent->children;
        const auto it = std::find_if(siblings.begin(), siblings.end(),
                                     [this](const auto& c) { return c.get() == this; });
        if (it != siblings.end()) {
            owned = std::move(*it);
            siblings.erase(it);
            parent->ChildrenChanged();
        }
        parent = nullptr;
    }
    if (ItemView* view = CurrentItemView(); view && treeItem) {
        view->deleteNode(treeItem);
        ForgetNodes(*this);
    }
    return owned;
}

void RCSItem::RefreshDisplay(bool recursive)
{
    ItemView* view = CurrentItemView();
    if (!view)
        return;
    if (treeItem)
        view->updateNode(treeItem, this, GetDisplayText(), ImageOf(*this));
    if (recursive) {
        for (auto& child : children)
            child->RefreshDisplay(true);
    }
}

void RCSItem::ClearCovered()
{
    CoveredSetter setter(false);
    setter.Traverse(this);
}

void RCSItem::MarkCovered()
{
    CoveredSetter setter(true);
    setter.Traverse(this);
}

void RCSItem::serialize(Archive& ar)
{
    SerializeData(ar);
    if (ar.isStoring()) {
        ar.writeCount(static_cast<std::uint32_t>(children.size()));
        for (const auto& child : children)
            ar.writeObject(child.get());
        return;
    }
    const std::uint32_t count = ar.readCount(2);
    for (std::uint32_t i = 0; i < count; ++i) {
        std::unique_ptr<RCSItem> child = ar.readOwned<RCSItem>();
        if (!AcceptsChild(*child))
            ar.fail(std::string("a ") + child->className() + " cannot be stored below a " + className());
        child->parent = this;
        children.push_back(std::move(child));
    }
    ChildrenChanged();
}

void RCSItem::SerializeData(Archive& ar)
{
    ar.transfer(name);
    ar.transfer(status);
    if (ar.isStoring()) {
        ar.writeObject(parent);
        return;
    }
    parent = ar.readReference<RCSItem>();
    // Loading walks up stored parents (an old revision looks for its file);
    // every other stored parent was read earlier, so only this makes a loop.
    if (parent == this)
        ar.fail(std::string("a ") + className() + " is stored as its own parent");
}

bool RCSItem::AcceptsChild(const RCSItem&) const
{
    return false;
}

std::string RCSItem::GetDisplayText() const
{
    return name;
}

std::string RCSItem::GetDescription() const
{
    return name;
}

bool RCSItem::IsLocked() const
{
    const auto code = StatusCode();
    return code == LockedRevision || code == LockedTip;
}

int RCSItem::SortCompare(const RCSItem* other) const
{
    if (!other)
        return 1;
    return CompareNoCase(name, other->name);
}

void RCSItem::CollectFreezeProblems(std::vector<std::string>& problems, RCSItem*& first)
{
    for (auto& child : children)
        child->CollectFreezeProblems(problems, first);
}

bool RCSItem::CanFreeze()
{
    std::vector<std::string> problems;
    RCSItem* first = nullptr;
    CollectFreezeProblems(problems, first);
    if (problems.empty())
        return true;
    // All of them at once, so that one look shows what is to be done; a
    // message box holds only so many lines, the results hold every one.
    constexpr std::size_t MaxShown = 20;
    std::string message;
    for (std::size_t i = 0; i < problems.size() && i < MaxShown; ++i)
        message += (i == 0 ? "" : "\r\n") + problems[i];
    if (problems.size() > MaxShown)
        message += "\r\nand " + std::to_string(problems.size() - MaxShown)
                   + " more (see the command results)";
    CommandResults& results = CommandResults::instance();
    for (const std::string& problem : problems)
        results.AppendResults(problem + "\r\n");
    CurrentUserInteraction().ShowMessage(message, MessageIcon::Stop);
    if (ItemView* view = CurrentItemView(); view && first && first->treeItem)
        view->selectNode(first->treeItem);
    return false;
}

bool RCSItem::PrepareCheckin()
{
    auto& settings = RCSOptions::instance().checkin;
    settings.item = this;
    settings.revision.clear();
    return true;
}

bool RCSItem::PrepareCheckout()
{
    auto& settings = RCSOptions::instance().checkout;
    settings.item = this;
    settings.revision.clear();
    settings.targetFile.clear();
    settings.allowTargetFile = false;
    return true;
}

bool RCSItem::PrepareCompare()
{
    auto& settings = RCSOptions::instance().compare;
    settings.item = this;
    settings.revision1.clear();
    return true;
}

bool RCSItem::PrepareMerge()
{
    auto& settings = RCSOptions::instance().merge;
    settings.item = this;
    settings.revision1.clear();
    return true;
}

bool RCSItem::PrepareReport()
{
    auto& settings = RCSOptions::instance().report;
    settings.item = this;
    settings.revisions.clear();
    return true;
}

int RCSItem::FillCombo(std::vector<ComboEntry>& combo)
{
    Project* doc = Project::current();
    if (!doc || !doc->releaseRoot)
        return 0;
    int count = 0;
    for (auto& release : doc->releaseRoot->children) {
        combo.push_back({release->name, release.get()});
        ++count;
    }
    return count;
}

int RCSItem::Checkin(Site* site)
{
    return CommandProgress::instance().ForEachChild(*this, "checked in",
                                                    [site](RCSItem& child) { return child.Checkin(site); });
}

int RCSItem::Checkout()
{
    return CommandProgress::instance().ForEachChild(*this, "checked out",
                                                    [](RCSItem& child) { return child.Checkout(); });
}

int RCSItem::Compare()
{
    return CommandProgress::instance().ForEachChild(*this, "compared",
                                                    [](RCSItem& child) { return child.Compare(); });
}

int RCSItem::Report()
{
    return CommandProgress::instance().ForEachChild(*this, "reported",
                                                    [](RCSItem& child) { return child.Report(); });
}

int RCSItem::Synchronise(bool top)
{
    int result = 0;
    for (auto& child : children)
        result |= child->Synchronise(top);
    return result;
}

int RCSItem::ReadSymbolicNames(RCSReleaseItem* release)
{
    int result = 0;
    for (auto& child : children)
        result |= child->ReadSymbolicNames(release);
    return result;
}

void InsertIntoTree(RCSItem* item)
{
    ItemView* view = CurrentItemView();
    if (!view || !item)
        return;
    NodeId parentNode = 0;
    if (item->parent) {
        parentNode = item->parent->treeItem;
        // A parent that is not shown cannot show its children either.
        if (!parentNode)
            return;
    }
    int position = 0;
    const auto code = item->StatusCode();
    if (code == RootItem || code == Release) {
        position = view->childCount(parentNode);
    } else if (item->parent) {
        // Siblings are kept in order, so the first sibling that sorts after the
        // new item is found by bisection; equal items go after existing ones.
        int low = 0;
        int high = view->childCount(parentNode);
        while (low < high) {
            const int mid = low + (high - low) / 2;
            if (item->SortCompare(view->childItem(parentNode, mid)) < 0)
                high = mid;
            else
                low = mid + 1;
        }
        position = low;
    }
    item->treeItem = view->insertNode(parentNode, position, item, item->GetDisplayText(), ImageOf(*item));
    for (auto& child : item->children)
        InsertIntoTree(child.get());
}

RCSItem* ItemFromTreeHandle(NodeId node)
{
    ItemView* view = CurrentItemView();
    if (!view || !node)
        return nullptr;
    return view->itemOf(node);
}

} // namespace kestro
