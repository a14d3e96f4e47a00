// Finding and placing a file's revisions: by number, by lock, the tip of the
// default branch, the neighbours of a revision to check in, and the branch a
// site checks in on.

#include "model/command_results.h"
#include "model/file_item.h"
#include "model/options.h"
#include "model/revision_numbers.h"
#include "model/string_helpers.h"
#include "model/tree_traverser.h"
#include "model/version_item.h"

namespace kestro {

namespace {

// Above every field RCS produces, so that a level or branch followed by it
// lies above each of its revisions.
constexpr const char* Sentinel = ".32767";

class DefaultBranchSearcher : public TreeTraverser {
public:
    DefaultBranchSearcher() : TreeTraverser(1, Unlimited) {}
    int Visit() override
    {
        const auto code = current->StatusCode();
        return current->IsRevision() && (code == LockedTip || code == Tip) ? 1 : 0;
    }
};

class LockedSearcher : public TreeTraverser {
public:
    explicit LockedSearcher(const std::string& user) : TreeTraverser(1, Unlimited), userName(user) {}
    int Visit() override
    {
        auto* revision = dynamic_cast<RCSVersionItem*>(current);
        if (revision && revision->IsLocked() && EqualsNoCase(revision->locker, userName)) {
            if (!first || revision->StatusCode() == LockedTip)
                first = revision;
            ++count;
        }
        return 0;
    }
    const std::string& userName;
    RCSVersionItem* first = nullptr;
    int count = 0;
};

// Finds the highest revision below a target and the highest above it among
// the children of one item; a branch searcher looks at one branch only.
class CheckinSearcher : public TreeTraverser {
public:
    CheckinSearcher(std::string wanted, std::string onlyBranch)
        : TreeTraverser(1, 0), target(std::move(wanted)), branch(std::move(onlyBranch)) {}
    int Visit() override
    {
        auto* v = dynamic_cast<RCSVersionItem*>(current);
        if (!v || (!branch.empty() && BranchOf(v->name) != branch))
            return 0;
        const int r = CompareRevisions(v->name, target);
        if (r < 0) {
            if (!lower || CompareRevisions(v->name, lower->name) >= 0)
                lower = v;
        } else if (r == 0) {
            lower = v;
        } else if (!higher || CompareRevisions(v->name, higher->name) > 0) {
            higher = v;
        }
        return 0;
    }
    std::string target;
    std::string branch;
    RCSVersionItem* lower = nullptr;
    RCSVersionItem* higher = nullptr;
};

class ComboFiller : public TreeTraverser {
public:
    explicit ComboFiller(std::vector<ComboEntry>& entries) : TreeTraverser(1, Unlimited), combo(entries) {}
    int Visit() override
    {
        combo.push_back({current->name, current});
        ++count;
        return 0;
    }
    std::vector<ComboEntry>& combo;
    int count = 0;
};

} // namespace

RCSVersionItem* RCSFileItem::FindOrAddRevision(const std::string& number, const std::string& message,
                                               std::time_t date)
{
    if (number.empty() || CountRevisionFields(number) > MaxRevisionFields)
        return nullptr;
    const std::string parentNumber = BranchPointOf(number);
    RCSItem* parentItem = this;
    if (!parentNumber.empty()) {
        parentItem = FindOrAddRevision(parentNumber, std::string(), 0);
        if (!parentItem)
            return nullptr;
    }
    RCSVersionItem* revision = FindRevision(number);
    if (!revision) {
        auto created = std::make_unique<RCSVersionItem>();
        created->name = number;
        created->file = this;
        revision = created.get();
        parentItem->AddChild(std::move(created));
    } else if (revision->parent != parentItem) {
        std::unique_ptr<RCSItem> moved = revision->Detach();
        parentItem->AddChild(std::move(moved));
    }
    if (date != 0)
        revision->SetDate(date);
    if (!message.empty())
        revision->SetMessage(message);
    return revision;
}

RCSVersionItem* RCSFileItem::FindRevision(const std::string& number)
{
    NameSearch search(number, TreeTraverser::Unlimited);
    return dynamic_cast<RCSVersionItem*>(search.Find(this));
}

RCSVersionItem* RCSFileItem::FindDefaultBranchTip()
{
    DefaultBranchSearcher searcher;
    return searcher.Traverse(this) ? static_cast<RCSVersionItem*>(searcher.current) : nullptr;
}

int RCSFileItem::FindLockedByUser(RCSVersionItem*& first)
{
    LockedSearcher searcher(RCSOptions::instance().userName);
    searcher.Traverse(this);
    first = searcher.first;
    return searcher.count;
}

int RCSFileItem::ResolveCheckinRevision(std::string& requested, RCSVersionItem*& lower, RCSVersionItem*& higher)
{
    lower = nullptr;
    higher = nullptr;
    const int fields = CountRevisionFields(requested);
    if (fields == 0) {
        lower = FindDefaultBranchTip();
        requested = lower ? lower->name : "1.1";
        return 1;
    }
    const std::string passed = requested;
    const bool odd = fields % 2 == 1;
    std::string target = requested;
    if (odd)
        target += Sentinel;

    RCSItem* walkStart = this;
    RCSVersionItem* branchPoint = nullptr;
    std::string branch;
    if (fields >= 3) {
        const std::string branchPointNumber = BranchPointOf(target);
        branchPoint = FindRevision(branchPointNumber);
        if (!branchPoint) {
            CommandResults::instance().AppendResults("Revision " + branchPointNumber + " does not exist\r\n");
            return -1;
        }
        walkStart = branchPoint;
        branch = BranchOf(target);
    }
    CheckinSearcher searcher(target, branch);
    searcher.Traverse(walkStart);
    lower = searcher.lower;
    higher = searcher.higher;

    requested = passed;
    if (higher)
        return 0;
    if (odd)
        requested = lower ? NextRevision(lower->name) : requested + ".1";
    if (!lower && branchPoint)
        lower = branchPoint;
    return 1;
}

int RCSFileItem::FillCombo(std::vector<ComboEntry>& combo)
{
    ComboFiller filler(combo);
    filler.Traverse(this);
    return filler.count + RCSItem::FillCombo(combo);
}

std::string RCSVersionItem::NewBranchName(const Site* site)
{
    std::string target = name + ".1";
    for (auto& child : children) {
        auto* revision = dynamic_cast<RCSVersionItem*>(child.get());
        if (!revision)
            continue;
        const std::string branch = BranchOf(revision->name);
        if (revision->owningSite == site)
            return branch;
        if (CompareRevisions(branch, target) >= 0)
            target = NextRevision(branch);
    }
    return target;
}

} // namespace kestro
