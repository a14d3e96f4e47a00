#pragma once

#include "model/item.h"

namespace kestro {

class RCSReleaseItem;
class RCSVersionItem;

// "Releases": the root of the release tree, whose children are the frozen
// releases in the order they were made.
class RCSReleaseRoot : public RCSItem {
public:
    RCSReleaseRoot();

    const char* className() const override { return "RCSReleaseRoot"; }

    bool CanDelete() const override { return false; }
    bool CanCheckin() const override { return false; }
    int Synchronise(bool top) override;
    bool CanCheckout() const override { return false; }
    bool CanCompare() const override { return false; }
    bool CanMerge() const override { return false; }

    RCSReleaseItem* FindRelease(const std::string& releaseName);
    // The release of that name, created when missing; its date is raised to
    // the revision's date when that is later.
    RCSReleaseItem* FindOrCreateRelease(const std::string& releaseName, const RCSVersionItem* revision);
    // The latest release other than `except` whose name gives that RCS
    // symbol: the one whose entries say where the symbol stands.
    RCSReleaseItem* FindLatestWithSymbol(const std::string& symbol, const RCSReleaseItem* except);

protected:
    bool AcceptsChild(const RCSItem& child) const override;
};

} // namespace kestro
