#pragma once

// What a check-in leaves to be read or put back: the revision ci made, and
// the working file's time after a ci that failed halfway.

#include <ctime>
#include <string>

namespace kestro {

// The revision a ci run made or kept, from its output; empty when none.
std::string NewRevisionFrom(const std::string& output);

// Sets a file's modification time back. A read-only file is made writable
// for the moment, since file systems shared with other systems refuse to
// change a read-only file's times. Errors are ignored: ci has already run.
void RestoreModificationTime(const std::string& path, std::time_t time);

} // namespace kestro
