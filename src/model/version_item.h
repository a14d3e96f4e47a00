#pragma once

#include "model/item.h"

#include <ctime>

namespace kestro {

class RCSFileItem;

// One revision of a file. Trunk revisions hang below the file; a branch
// revision hangs below the revision its branch sprouts from.
class RCSVersionItem : public RCSItem {
public:
    RCSVersionItem();

    std::time_t date;
    std::string message;                // first line of the log message
    RCSFileItem* file = nullptr;        // not owned
    Site* owningSite = nullptr;         // not owned
    std::string locker;                 // empty when not locked

    const char* className() const override { return "RCSVersionItem"; }

    std::string GetDisplayText() const override;
    std::string GetDescription() const override;
    int SortCompare(const RCSItem* other) const override;
    bool IsRevision() const override { return true; }

    bool PrepareCheckin() override;
    bool PrepareCheckout() override;
    bool PrepareCompare() override;
    bool PrepareMerge() override;
    bool PrepareReport() override;

    int Checkin(Site* site) override;
    int Checkout() override;
    int Compare() override;
    int Merge() override;
    int Report() override;
    int Synchronise(bool top) override;
    void SetOwningSite(Site* site) override;
    unsigned ConfirmDelete() override;
    // Outdates this revision and every revision below it, children first.
    int Delete(unsigned flags) override;
    int SetLocked(bool locked) override;
    int SetDefaultBranch() override;

    bool IsInRelease() const override;
    // The branch number for check-ins of the site that start from this
    // revision: the branch already holding one of its revisions here, else
    // the next free one.
    std::string NewBranchName(const Site* site);

    void SetDate(std::time_t newDate);
    void SetMessage(const std::string& text);

protected:
    void SerializeData(Archive& ar) override;
    bool AcceptsChild(const RCSItem& child) const override;
};

// The file that a revision belongs to: its nearest ancestor file item.
RCSFileItem* OwningFileOf(const RCSItem* item);

} // namespace kestro
