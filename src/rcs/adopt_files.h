#pragma once

// Files brought into a project with RCS files of their own have no record
// of when they were last checked in or out. A working file whose text is
// the revision it would come from is taken as checked in at that revision;
// rcsdiff decides, run over many files at once.

#include <string>
#include <vector>

namespace kestro {

class RCSFileItem;

// Marks as checked in each file without a record whose working file equals
// the revision locked by the user (when exactly one is) or else the tip of
// the default branch. Other files are left as they are.
void AdoptUnchangedFiles(const std::vector<RCSFileItem*>& files);

// Reads the output of one rcsdiff run over the given RCS files, all
// compared with one revision: true for each file whose part holds only
// rcsdiff's own four header lines, that is no difference and no trouble.
std::vector<bool> UnchangedInRcsdiffOutput(const std::string& output, const std::vector<std::string>& rcsPaths,
                                           const std::string& revision);

} // namespace kestro
