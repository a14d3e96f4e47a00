#pragma once

#include "model/item.h"

#include <ctime>
#include <string>
#include <unordered_map>

namespace kestro {

class RCSFileItem;
class RCSReleaseVersionItem;
class RCSVersionItem;

// A frozen release: one entry per file, each naming the file's revision.
class RCSReleaseItem : public RCSItem {
public:
    RCSReleaseItem();
    explicit RCSReleaseItem(const std::string& releaseName);

    std::time_t releaseDate;

    const char* className() const override { return "RCSReleaseItem"; }

    std::string GetDisplayText() const override;
    std::string GetDescription() const override;

    bool CanCheckin() const override { return false; }
    int Synchronise(bool top) override;
    bool PrepareCheckout() override;
    bool PrepareCompare() override;
    bool PrepareMerge() override;
    bool PrepareReport() override;
    // Every entry; the release name file is written when all succeeded.
    int Checkout() override;
    unsigned ConfirmDelete() override;
    // Removes the symbol from every file, or, when one file fails, puts
    // back what was removed and returns the failure.
    int Delete(unsigned flags) override;

    // The entry whose revision belongs to the named file (ignoring case).
    RCSReleaseVersionItem* FindFileEntry(const std::string& fileName);
    // Puts the revision into the release, replacing the entry of its file.
    RCSReleaseVersionItem* AddRevision(RCSVersionItem* revision);

protected:
    void SerializeData(Archive& ar) override;
    bool AcceptsChild(const RCSItem& child) const override;
    void ChildrenChanged() override { entryIndexValid_ = false; }

private:
    RCSReleaseVersionItem* EntryOfFile(const RCSFileItem* file);

    // Entries by their file's name in lower case, so that freezing or
    // reading a release of thousands of files does not walk the entries
    // once per file. Built once a release has been searched a few times (a
    // command on one file looks up a single entry, and a walk costs less
    // than building the index), then kept or rebuilt as entries change.
    std::unordered_map<std::string, RCSReleaseVersionItem*> entryIndex_;
    bool entryIndexValid_ = false;
    int lookupsWithoutIndex_ = 0;
    std::size_t nextEntry_ = 0;  // where the entry of the next file is likely to be
};

} // namespace kestro
