#pragma once

// Splitting the output of one co, ci or rcs run over many files into one
// part per file. Each program writes, per file, a first line naming it (co
// "RCS/a.c,v  -->  a.c", ci "RCS/a.c,v  <--  a.c", rcs "RCS file: RCS/a.c,v")
// and a last line "done"; a file they cannot handle gets error lines
// instead, without that first line. Pure functions of the text, so tests feed them captured output.

#include <string>
#include <vector>

namespace kestro {

struct BatchPart {
    enum Outcome { Succeeded, Failed, Unknown };
    Outcome outcome = Unknown;
    std::string text;
};

// The first line co writes for a file it checks out to a working path.
std::string CoStartLine(const std::string& rcsPath, const std::string& workingPath);
// The first line ci writes for a file it checks in from a working path.
std::string CiStartLine(const std::string& rcsPath, const std::string& workingPath);
// The first line rcs writes for a file whose symbols it changes.
std::string RcsStartLine(const std::string& rcsPath);

// One part per file, in order: Succeeded when the file's first line is
// followed by "done"; Failed for the text between the previous file's part
// and the next file's first line; Unknown for every file whose part cannot
// be told with certainty (two files failing in a row, a first line that
// occurs twice), which the caller runs again alone.
std::vector<BatchPart> SplitBatchOutput(const std::string& output, const std::vector<std::string>& startLines);

// One part per file of a ci run over many files. Unlike co and rcs, ci must
// never run twice on a file it has checked in, so a file is Failed only when
// its part shows it was not: either ci wrote no first line for it (the error
// lines up to the next first line are its text, shared by files failing in
// a row) or its first line is followed by no "done" before the next file's.
// Every file is Unknown when first lines occur twice or out of order.
std::vector<BatchPart> SplitCiOutput(const std::string& output, const std::vector<std::string>& startLines);

} // namespace kestro
