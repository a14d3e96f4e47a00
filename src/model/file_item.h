#pragma once

#include "model/item.h"

#include <ctime>
#include <utility>

namespace kestro {

class RCSReleaseItem;
class RCSVersionItem;
class SymbolUndo;

// What a check-in of one file needs once its checks have passed: ci's
// options, the site the new revision belongs to, the working file's time
// before ci ran, and then the revision ci reported.
struct CheckinPlan {
    std::vector<std::string> options;
    Site* owner = nullptr;
    std::time_t workingTime = 0;
    std::string newRevision;
};

// A working file of the project and, below it, its revisions. Its name is
// the path relative to the working directory with "\" between directories.
class RCSFileItem : public RCSItem {
public:
    RCSFileItem();
    // The caller adds the item to the parent with AddChild.
    RCSFileItem(const std::string& fileName, RCSItem* parentItem);

    std::time_t workingTime = 0;   // of the working file; 0 when absent; never stored
    std::time_t recordedTime = 0;  // of the working file at the last check-in or check-out
    std::string workingRevision;   // revision last checked in or out; empty: none

    const char* className() const override { return "RCSFileItem"; }

    std::string GetDisplayText() const override;
    std::string GetDescription() const override;
    void UpdateStatus() override;
    // As UpdateStatus, when whether the RCS file exists is known already.
    void ApplyStatus(bool rcsExists);

    // (directory part with its trailing "\", base name)
    std::pair<std::string, std::string> SplitName() const;
    // The working file: the working directory followed by the name.
    std::string GetWorkingPath() const;
    // The RCS file, relative to the project directory: in the RCS directory
    // the ",v" form, else the form without suffix, else the ",v" file beside
    // the working file; the RCS directory's ",v" form when none exists.
    std::string GetRcsPath() const;
    // Commands that write the RCS file make its directory first; merely
    // looking at a file's status never creates anything.
    void CreateRcsDirectory() const;
    bool GetRcsFileStatus(std::time_t* modified = nullptr) const;
    // GetRcsPath when the RCS file exists, else empty: both in one look.
    std::string ExistingRcsPath() const;
    bool GetWorkingFileStatus(std::time_t* modified = nullptr) const;

    bool PrepareCheckin() override;
    bool PrepareCheckout() override;
    int Checkin(Site* site) override;
    int Checkout() override;
    // Checking out to the working file in two steps, so that many files can
    // share one co run: co's options and the RCS file co reads, or false
    // with the reason the file must not be checked out; then, once co has
    // checked it out, recording what it did from the file's part of co's
    // output (no synchronisation).
    bool PlanCheckout(std::vector<std::string>& options, std::string& rcsPath, std::string& refusal);
    void CheckedOut(const std::string& output);
    // Checking in, in the same two steps: ci's options, or false after the
    // results say why the file is refused; then recording what ci did from
    // the file's part of its output. Synchronising and giving the new
    // revision its owner (OwnNewRevision) follow once the history is read.
    bool PlanCheckin(Site* site, CheckinPlan& plan);
    void RecordCheckin(CheckinPlan& plan, int result, const std::string& output);
    void OwnNewRevision(const CheckinPlan& plan);
    int Compare() override;
    int Merge() override;
    int Report() override;
    void CollectFreezeProblems(std::vector<std::string>& problems, RCSItem*& first) override;
    unsigned ConfirmDelete() override;
    int Delete(unsigned flags) override;
    int ResetDefaultBranch() override;
    void SetOwningSite(Site* site) override;
    // Sets the release's symbol on the revision the working file came from
    // and records it in the release and in the undo; the rcs result, after
    // a line naming the file when it failed.
    int FreezeFile(RCSReleaseItem* release, SymbolUndo& undo);

    int Synchronise(bool top) override;
    int ReadSymbolicNames(RCSReleaseItem* release) override;
    bool IsInRelease() const override;
    int FillCombo(std::vector<ComboEntry>& combo) override;

    // The revision of that number, made (with any missing branch points)
    // when the file has none, and moved below its proper parent.
    RCSVersionItem* FindOrAddRevision(const std::string& number, const std::string& message, std::time_t date);
    RCSVersionItem* FindRevision(const std::string& number);
    RCSVersionItem* FindDefaultBranchTip();
    // Counts the revisions locked by the current user; first is the locked
    // tip of the default branch when that is one of them, else the first found.
    int FindLockedByUser(RCSVersionItem*& first);
    // Turns the revision text given for a check-in into the revision to
    // create and finds its neighbours: 1 to go on, 0 when a higher revision
    // exists, -1 when the branch point does not exist.
    int ResolveCheckinRevision(std::string& requested, RCSVersionItem*& lower, RCSVersionItem*& higher);
    // The end of a synchronisation, once rlog has run (or not, without an RCS
    // file): applies its output, removes what RCS no longer has when top, and
    // updates the status. A failed rlog changes no revision and gives 1.
    int FinishSynchronise(bool top, bool rcsFileExists, int rlogResult, const std::string& rlogOutput);
    // Applies one rlog run's output; release: only that release's symbol is read.
    // markTip false leaves the tip marks alone, for output that lists only
    // some revisions.
    void ParseRlog(const std::string& text, bool headerOnly, RCSReleaseItem* release, bool markTip = true);

protected:
    void SerializeData(Archive& ar) override;
    bool AcceptsChild(const RCSItem& child) const override;
};

} // namespace kestro
