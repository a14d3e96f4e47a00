#pragma once

// A node of the project's two item trees: the file tree (root, files,
// revisions) and the release tree (release root, releases, release entries).
// Each item knows how to show itself, how to store itself in the project file,
// and carries one operation per command so that a command only asks the
// selected item.

#include "archive/archive.h"
#include "model/item_view.h"

#include <cstdint>
#include <memory>
#include <string>
#include <typeinfo>
#include <vector>

namespace kestro {

class Site;

// The low four bits of an item's status; also the index of its image.
enum ItemStatus : std::uint32_t {
    RootItem = 0,
    NewFile = 1,
    MissingFile = 2,
    OnlyInRcs = 3,
    Modified = 4,
    CheckedIn = 5,
    ReleaseRevision = 6,
    LockedRevision = 7,
    Revision = 8,
    LockedTip = 9,
    Tip = 10,
    Release = 11,
    ReleaseRoot = 12,
    PlainItem = 13,
};

constexpr std::uint32_t StatusCodeMask = 0x0F;
// Set on every item that the current synchronisation has confirmed.
constexpr std::uint32_t CoveredFlag = 0x10;

struct ComboEntry {
    std::string text;
    class RCSItem* item;
};

class RCSItem : public Serializable {
public:
    RCSItem();
    ~RCSItem() override;
    RCSItem(const RCSItem&) = delete;
    RCSItem& operator=(const RCSItem&) = delete;

    NodeId treeItem = 0;
    RCSItem* parent = nullptr;
    std::vector<std::unique_ptr<RCSItem>> children;
    std::string name;
    std::uint32_t status = PlainItem;

    ItemStatus StatusCode() const { return static_cast<ItemStatus>(status & StatusCodeMask); }
    // Replaces the status code, keeping the other bits.
    void SetStatusCode(std::uint32_t code) { status = (status & ~StatusCodeMask) | (code & StatusCodeMask); }
    bool IsCovered() const { return (status & CoveredFlag) != 0; }
    void SetCovered(bool covered) { status = covered ? (status | CoveredFlag) : (status & ~CoveredFlag); }

    const std::string& GetName() const { return name; }
    void SetName(const std::string& text);
    void AddChild(std::unique_ptr<RCSItem> item);
    // Takes the item out of its parent and out of the view; the caller owns it.
    std::unique_ptr<RCSItem> Detach();
    void RefreshDisplay(bool recursive);
    // Everything below this item (not) found in RCS, as a synchronise
    // marks them.
    void ClearCovered();
    void MarkCovered();

    // Stored form: SerializeData, then the children as a list of objects.
    const char* className() const override { return "RCSItem"; }
    std::uint16_t classSchema() const override { return 4; }
    void serialize(Archive& ar) final;

    virtual std::string GetDisplayText() const;
    virtual std::string GetDescription() const;
    virtual bool IsLocked() const;
    virtual void UpdateStatus() {}
    virtual int SortCompare(const RCSItem* other) const;
    virtual bool IsInRelease() const { return false; }
    virtual bool IsRevision() const { return false; }

    virtual bool CanDelete() const { return true; }
    virtual bool CanCheckin() const { return true; }
    virtual bool CanCheckout() const { return true; }
    virtual bool CanCompare() const { return true; }
    virtual bool CanMerge() const { return true; }
    virtual bool CanSynchronise() const { return true; }
    // True when every file below is checked in at a revision RCS still has;
    // otherwise one message lists every file that is not (also written to
    // the command results) and the first of them is selected.
    bool CanFreeze();
    // Adds a line for each file below that keeps a release from being made,
    // and the first such file.
    virtual void CollectFreezeProblems(std::vector<std::string>& problems, RCSItem*& first);

    virtual bool PrepareCheckin();
    virtual bool PrepareCheckout();
    virtual bool PrepareCompare();
    virtual bool PrepareMerge();
    virtual bool PrepareReport();
    // Adds the name of every release, each with the release as its item.
    virtual int FillCombo(std::vector<ComboEntry>& combo);

    virtual int Checkin(Site* site);
    virtual int Checkout();
    virtual int Compare();
    virtual int Merge() { return 0; }
    virtual int Report();
    virtual int Synchronise(bool top);
    virtual int ReadSymbolicNames(class RCSReleaseItem* release);
    virtual unsigned ConfirmDelete() { return 0; }
    virtual int Delete(unsigned /*flags*/) { return 1; }
    virtual int SetLocked(bool /*locked*/) { return 1; }
    virtual int SetDefaultBranch() { return 1; }
    virtual int ResetDefaultBranch() { return 1; }
    virtual void SetOwningSite(Site* /*site*/) {}

protected:
    // Reads or writes the class's own fields.
    virtual void SerializeData(Archive& ar);
    // Whether a stored child of this class may hang below this item.
    virtual bool AcceptsChild(const RCSItem& child) const;
    // Told whenever the children change, for items that index them.
    virtual void ChildrenChanged() {}
    // Told when one child was appended; by default as any other change.
    virtual void ChildAdded(RCSItem* /*child*/) { ChildrenChanged(); }
};

// Whether an item is of class T or of a class derived from it. The exact
// class, by far the usual case when a project is read, is told without a
// walk of the class hierarchy.
template <class T>
bool IsKindOf(const RCSItem& item)
{
    return typeid(item) == typeid(T) || dynamic_cast<const T*>(&item) != nullptr;
}

// Creates the item's node (and those of its descendants) in the view.
void InsertIntoTree(RCSItem* item);
RCSItem* ItemFromTreeHandle(NodeId node);

} // namespace kestro
