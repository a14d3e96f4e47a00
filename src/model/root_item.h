#pragma once

#include "model/item.h"

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
};

} // namespace kestro
