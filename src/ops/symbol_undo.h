#pragma once

#include <string>
#include <unordered_set>
#include <vector>

namespace kestro {

class RCSFileItem;
class RCSReleaseItem;

// Remembers the files whose RCS symbol for one release a command has set,
// moved or removed, so that a release that could not be frozen, received or
// deleted in full is put back as it was rather than left with some files.
class SymbolUndo {
public:
    // `before` is the release whose entries say which revision the symbol
    // named before the command; null when the symbol was on no file.
    SymbolUndo(std::string symbol, RCSReleaseItem* before);

    // Called after the symbol in the file's RCS file, at rcsPath, was
    // changed; only the first change of a file counts, as only it knows
    // what the file had before.
    void Changed(const RCSFileItem& file, const std::string& rcsPath);
    // Puts every changed symbol back, the latest change first. Each file is
    // tried; a failure is reported and the first failing result returned.
    int Undo();

private:
    struct Change {
        std::string fileName;
        std::string rcsPath;
        std::string previousRevision;  // empty: the file had no such symbol
    };
    std::string symbol_;
    RCSReleaseItem* before_;
    std::vector<Change> changes_;
    std::unordered_set<std::string> changedPaths_;
};

} // namespace kestro
