#pragma once

// What the window compares for the items the user picked. The caller holds
// the tree lock.

#include <string>
#include <vector>

namespace kestro {

class RCSItem;
class RCSVersionItem;

// Presets the compare settings (as PrepareCompare does) for the current
// item: a revision against the working file, a file's working file against
// the revision it was checked out from (the head when none is known), any
// other item as PrepareCompare leaves it. Revision 2 never carries over from
// an earlier compare. When picked holds exactly two revisions of one file,
// those two are compared instead, the lower as revision 1. False when the
// item cannot be compared.
bool PrepareCompareChoice(RCSItem& current, const std::vector<RCSItem*>& picked);

// The revision this one was made from: the one before it on its branch, or
// for the first revision of a branch the revision the branch sprouts from;
// empty for the first revision of the file.
std::string PreviousRevision(const RCSVersionItem& revision);

} // namespace kestro
