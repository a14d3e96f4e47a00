#pragma once

#include <string>

namespace kestro {
class CKestroDoc;
class RCSItem;
}

namespace kestro::cli {

// Finds the item a command-line argument names: a file by its name (either
// separator), a revision as NAME@REVISION, a release as release:NAME, a
// release entry as release:NAME/FILE; an empty argument names the project
// root. A file may also be named by its path from the caller's directory
// (absolute, ending in "/"), which wins when it leads to a file of the
// project. Null with a message when nothing matches.
RCSItem* FindItem(CKestroDoc& doc, const std::string& argument, std::string& error,
                  const std::string& callerDirectory = std::string());

} // namespace kestro::cli
