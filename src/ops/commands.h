#pragma once

// The commands that act on the selected item as a whole, shared by the
// window and the command line: each checks what the command requires, asks
// the user through the core's interaction interface, and changes the project.

#include <functional>
#include <string>
#include <vector>

namespace kestro {

class Project;
class RCSFileItem;
class RCSItem;
class RCSReleaseItem;
class RCSReleaseRoot;
class RCSVersionItem;
class Site;
class SymbolUndo;

// "Characters '$,.:; and @ are not allowed in a release name" or "Release
// name must start with a letter" as a message; true when the name may be used.
bool IsValidReleaseName(const std::string& name);

// The refusal of a release name whose RCS symbol a release of another name
// already uses ("R x" after "R_x"), as freezing would move that release's
// symbols; empty when the name may be used.
std::string ReleaseSymbolClash(RCSReleaseRoot& releases, const std::string& releaseName);

// Freezes the project as a new release of that name: refused (with the
// offending file selected) unless every file is checked in at a revision RCS
// still has. Null when refused, when the name is invalid or its symbol
// taken, or when a file could not be frozen (nothing is then left changed).
RCSReleaseItem* FreezeProject(Project& doc, const std::string& releaseName);

// Checks out every child of the root or of a release: files that share co's
// options in as few co runs as possible, each file's result, messages and
// recorded state as its own check-out gives them.
// Only the children for which include holds, when it is given.
int CheckoutChildren(RCSItem& parent, const std::function<bool(RCSItem&)>& include = {});
// The same for the items given (files, release entries or others), never
// into another file.
int CheckoutItems(const std::vector<RCSItem*>& items);

// Sets the release's symbol on the working revision of each file, as
// FreezeFile does, with files at the same revision sharing rcs runs; every
// file is tried. The first failing result, 0 when all succeeded.
int FreezeFiles(const std::vector<RCSFileItem*>& files, RCSReleaseItem* release, SymbolUndo& undo);

// Checks in the items with the one log message: files that share ci's
// options in as few ci runs as possible, each file's checks, messages,
// result and recorded state as its own check-in gives them; any other item
// checks in on its own. Each item's result goes to results when given.
int CheckinItems(const std::vector<RCSItem*>& items, Site* site, std::vector<int>* results = nullptr);

// Deletes an item after asking for confirmation: refused when a release uses
// it; the item leaves the project once confirmed and its deletion succeeded.
// Returns 0 on success (or when cancelled), else the failing result.
int DeleteItem(Project& doc, RCSItem* item);

// Makes the named site (found ignoring case, or created) the revision's
// owner. False when the name cannot name a site.
bool ChangeOwningSite(Project& doc, RCSVersionItem* revision, const std::string& ownerName);


// Removes a file, making it writable first; 0 when removed or absent, -1
// (after "File not found") when it could not be removed.
int DeleteFile(const std::string& path);

// The number of the first line of the file that rcsmerge writes to mark a
// conflict ("<<<<<<< " or ">>>>>>> " at its start); 0 when there is none
// or the file cannot be read.
int ConflictMarkerLine(const std::string& path);

// A log message as ci reads it from standard input: a line holding a lone
// "." is sent as " .", and a final "." line ends the message.
std::string EscapeLogMessage(const std::string& text);

} // namespace kestro
