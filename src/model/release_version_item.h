#pragma once

#include "model/item.h"

namespace kestro {

class RCSVersionItem;

// A release's entry for one file: the revision of that file in the release.
class RCSReleaseVersionItem : public RCSItem {
public:
    RCSReleaseVersionItem();
    explicit RCSReleaseVersionItem(RCSVersionItem* revision);

    RCSVersionItem* revisionRef = nullptr;  // not owned; may be null

    const char* className() const override { return "RCSReleaseVersionItem"; }

    std::string GetDisplayText() const override;
    std::string GetDescription() const override;
    bool IsLocked() const override;
    int SortCompare(const RCSItem* other) const override;

    bool CanCheckin() const override { return false; }
    int Synchronise(bool top) override;
    bool PrepareCheckout() override;
    bool PrepareCompare() override;
    bool PrepareMerge() override;
    bool PrepareReport() override;
    int Checkout() override;
    int Compare() override;
    int Merge() override;
    int Report() override;
    unsigned ConfirmDelete() override;
    // With flags bit 2, removes the release's symbol from the file.
    int Delete(unsigned flags) override;

protected:
    void SerializeData(Archive& ar) override;
};

} // namespace kestro
