#pragma once

// Reads a file's history once more, one revision at a time, when its rlog
// output cannot be split with certainty (see rlog_layout.h): a log message
// or the description holds rows and lines that look like rlog's own.

#include <string>

namespace kestro {

class RCSFileItem;

// The output itself when its blocks are the revisions rlog selected.
// Otherwise, built in rebuilt, its header followed by one block per
// revision, each taken from rlog's output for that revision alone and cut to
// what the parser reads, which the text of no message can change. Null,
// reported in the command results, when even that does not give the
// revisions rlog selected.
const std::string* ResolveRlogOutput(const RCSFileItem& file, const std::string& output, std::string& rebuilt);

} // namespace kestro
