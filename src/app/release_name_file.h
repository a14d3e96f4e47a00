#pragma once

// The release name file is rewritten after every freeze, receive and import.
// Its path comes from the project file, which is passed between users, and
// from the user's defaults, so it is only ever written inside the project's
// working directory.

#include <string>

namespace kestro {

// Why the release name file cannot be used, or empty when it can (an empty
// path, which turns the file off, is fine). A relative path is relative to
// the project directory; both directories are absolute and end in "/".
std::string ReleaseNameFileProblem(const std::string& file, const std::string& projectDirectory,
                                   const std::string& workingDirectory);

// Writes the text over the release name file, checked as above. The file
// itself is never a link that is followed, nor reached through a directory
// link that leads out of the working directory. False with a reason.
bool WriteReleaseNameText(const std::string& file, const std::string& projectDirectory,
                          const std::string& workingDirectory, const std::string& text, std::string& problem);

} // namespace kestro
