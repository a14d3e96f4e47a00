#pragma once

// What the details pane says about an item, taken from the item trees alone
// so that it shows at once: for a revision its date, lock holder, owning
// site, releases and branches; for a file its status, working revision, RCS
// path and default branch; for a release its files. The whole log message of
// a revision needs an rlog run, which the caller does elsewhere and merges in
// with FormatDetails. The caller holds the tree lock.

#include "model/revision_log.h"

#include <string>
#include <utility>
#include <vector>

namespace kestro {

class RCSItem;
class RCSReleaseRoot;

struct ItemDetails {
    std::string title;
    std::vector<std::pair<std::string, std::string>> fields;  // label, value
    // The first line of a revision's log message, as the tree keeps it.
    std::string firstLine;
    // For a revision: where rlog finds its whole log message; else empty.
    std::string rcsPath;
    std::string revision;
    // For a release: its entries, one a line.
    std::vector<std::string> entries;
};

ItemDetails DescribeItem(const RCSItem& item, const RCSReleaseRoot* releases);

// The pane's text; full, when read, replaces the first line of the message
// and adds the author.
std::string FormatDetails(const ItemDetails& details, const RevisionLog* full);

} // namespace kestro
