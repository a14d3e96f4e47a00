#pragma once

#include <string>

namespace kestro {

class CKestroDoc;

// Builds a small project with real RCS history in an empty (or new)
// directory, by running the RCS programs, and saves it there as "Demo.rcs":
// files in two directories, several revisions, a branch two levels deep, a
// locked revision, a default branch, two releases, one new and one modified
// working file. The directory becomes the current directory. False with a
// message when anything fails.
bool BuildDemoProject(CKestroDoc& doc, const std::string& directory, std::string& projectPath, std::string& error);

} // namespace kestro
