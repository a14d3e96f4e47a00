#pragma once

#include "model/item.h"

#include <ctime>
#include <utility>

namespace kestro {

class RCSVersionItem;

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

    // (directory part with its trailing "\", base name)
    std::pair<std::string, std::string> SplitName() const;
    // The working file: the working directory followed by the name.
    std::string GetWorkingPath() const;
    // The RCS file, relative to the project directory: the ",v" form when it
    // exists or when neither form exists, otherwise the form without suffix.
    std::string GetRcsPath() const;
    // Commands that write the RCS file make its directory first; merely
    // looking at a file's status never creates anything.
    void CreateRcsDirectory() const;
    bool GetRcsFileStatus(std::time_t* modified = nullptr) const;
    bool GetWorkingFileStatus(std::time_t* modified = nullptr) const;

protected:
    void SerializeData(Archive& ar) override;
    bool AcceptsChild(const RCSItem& child) const override;
};

} // namespace kestro
