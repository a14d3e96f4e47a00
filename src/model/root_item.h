#pragma once

#include "model/item.h"

#include <string>
#include <unordered_map>

namespace kestro {

class RCSFileItem;

// The file tree's root: the project. Its children are the project's files.
class RCSRoot : public RCSItem {
public:
    RCSRoot();

    const char* className() const override { return "RCSRoot"; }

    bool CanDelete() const override { return false; }
    bool CanMerge() const override { return false; }
    int ResetDefaultBranch() override;
    // Every file, sharing ci runs among the files that share options.
    int Checkin(Site* site) override;
    // Every file, sharing co runs among the files that share options.
    int Checkout() override;
    // Reads every file's history, with as few rlog runs as the command line
    // allows; with top, also drops the releases whose symbols are gone.
    int Synchronise(bool top) override;
    int ReadSymbolicNames(RCSReleaseItem* release) override;
    // Freezes every file into the release, then writes the release name
    // file. When any file fails, every symbol set is put back and the
    // failure returned; the caller then drops the release.
    int FreezeRelease(RCSReleaseItem* release);
    void SetOwningSite(Site* site) override;

    // The direct child of that name (ignoring case) when it is a file.
    RCSFileItem* FindFile(const std::string& fileName);

protected:
    bool AcceptsChild(const RCSItem& child) const override;
    void ChildrenChanged() override { fileIndexValid_ = false; }
    void ChildAdded(RCSItem* child) override;

private:
    // Files by their case-folded name, so that adding or receiving thousands
    // of files does not walk the children once per file. The first of two
    // names that fold alike wins, as a walk would find it. Rebuilt on demand
    // after removals, renames and loading; kept up to date by additions.
    std::unordered_map<std::string, RCSFileItem*> fileIndex_;
    bool fileIndexValid_ = false;
};

} // namespace kestro
