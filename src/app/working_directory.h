#pragma once

#include <string>

namespace kestro {

class CKestroDoc;

// Sets a new working directory; false (after the message "Cannot change
// directory to " + directory) when it does not exist.
bool ChangeWorkingDirectory(CKestroDoc& doc, const std::string& directory);

} // namespace kestro
