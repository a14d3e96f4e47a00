#pragma once

// The texts that the DIFF entries of a received command file bring, worked
// out in full before the receive changes anything, so that a difference
// that does not fit its base refuses the whole receive.
//
// Both sides work on the text the RCS file holds, without keyword
// expansion: the sender compares with "rcsdiff -ko", and the base here is
// the revision an earlier entry of the same command file brings or else
// "co -ko" of it. Expanded keywords would differ from site to site (date,
// author, the log that $Log$ inserts) and so could never match. A
// difference from an older sender, made with keywords expanded, is the same
// for a text without keywords and is refused where keywords make it differ.

#include <QTemporaryDir>

#include <cstddef>
#include <string>
#include <unordered_map>
#include <vector>

namespace kestro {

struct CommandFileEntry;
class RCSRoot;
class Site;

class ReceivedDifferences {
public:
    // sources[i] is the file that entries[i] (FILE or DIFF) lies in. False,
    // with the reason in the command results, when a base revision is not
    // here, a file cannot be read or a difference does not fit its base.
    bool Prepare(RCSRoot& root, const Site& site, const std::vector<CommandFileEntry>& entries,
                 const std::vector<std::string>& sources);

    // The private file holding the text that DIFF entry i brings, named as
    // the file it is for.
    const std::string& TextFile(std::size_t entry) const { return textFiles_.at(entry); }

private:
    QTemporaryDir scratch_;
    std::unordered_map<std::size_t, std::string> textFiles_;
};

} // namespace kestro
