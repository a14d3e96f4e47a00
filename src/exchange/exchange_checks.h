#pragma once

// Checks on what a receive or an import brings from another site: the
// files it reads, the working files it writes and the names it records.
// Command files and the trees they come with are untrusted, so each check
// runs before anything in the project changes.

#include <string>
#include <string_view>

namespace kestro {

// Where a receive or an import may write.
struct ProjectPlaces {
    std::string workingDirectory;  // absolute, ends in "/"
    std::string projectFile;       // absolute; empty before the first save
};

// Why a file may not be written as the working file of that name (a model
// name relative to the working directory); empty when it is an ordinary
// working file. Refused: unsafe names, RCS data, the project file and
// project files or lock files of any project, the program's scratch files,
// the RCSSites send area and names with a part beginning with ".".
std::string ForbiddenTargetReason(const ProjectPlaces& places, std::string_view name);

// Why the file at directory + relative (native, "/" separated) cannot be
// read as a source; empty when every directory on the way is a real
// directory and the file a regular file. Nothing is followed: a symbolic
// link, a FIFO or a device anywhere on the way is refused.
std::string UnreadableSourceReason(const std::string& directory, const std::string& relative);

// Why a release name from another site cannot be recorded; empty when it
// can. Beyond what a freeze refuses, the name later fills "%r" in send
// commands, so it holds no control character, quote or character a shell
// acts on.
std::string UnsafeReleaseNameReason(std::string_view name);

// Whether a send command starts a command interpreter (sh -c "..."), which
// would act on the quotes and characters of the values put into it.
bool StartsAShell(const std::string& sendCommand);

// Gives a file copied in from elsewhere the mode a file newly made by this
// program gets, so that no execute bit or other permission comes along.
void GiveNewFileMode(const std::string& path);

} // namespace kestro
