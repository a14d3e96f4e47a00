#pragma once

// Runs co, ci or rcs over many files at once: starting a program per file costs
// far more than the work on each file. Each file's part of the output is
// handed back as if the program had run on that file alone.

#include <cstddef>
#include <functional>
#include <string>
#include <utility>
#include <vector>

namespace kestro {

class RCSItem;

// One file in a batched run: what the command line gets for it, the line
// that starts its part of the output (CoStartLine, CiStartLine, RcsStartLine),
// and what the program reads for it on its standard input, which a run gets
// for each of its files in turn.
struct BatchFile {
    BatchFile(std::vector<std::string> fileArguments, std::string fileStartLine, std::string fileInput = {})
        : arguments(std::move(fileArguments)), startLine(std::move(fileStartLine)), input(std::move(fileInput))
    {
    }
    std::vector<std::string> arguments;
    std::string startLine;
    std::string input;
};

// A file of an rcs run, which names its RCS file alone.
BatchFile RcsBatchFile(const std::string& rcsPath);

// Runs the command followed by every file's arguments, in as few runs as the
// command line's length allows, each run echoed. done(index, result, output)
// is called once per file: 0 and the file's part for a file whose part shows
// it succeeded. A file that failed is run again alone (echoed), so that the
// program itself names it and gives its result; the files after the point
// where the output can no longer be split share a run again. After a stop
// (CommandProgress) no file runs again: each gets 1.
void RunBatched(const std::string& command, const std::vector<BatchFile>& files,
                const std::function<void(std::size_t, int, const std::string&)>& done);

// As RunBatched, for ci, which must never run twice on a file it has
// checked in (a second run would add a second revision): each file's
// arguments start with its working path, and a file is run again alone only
// when its part shows ci did not check it in. A file whose part cannot be
// told gets 1 and is named in the results.
void RunCiBatched(const std::string& command, const std::vector<BatchFile>& files,
                  const std::function<void(std::size_t, int, const std::string&)>& done);

// The files split into runs that keep the command line below the system's
// limit, as ranges [first, last).
std::vector<std::pair<std::size_t, std::size_t>> BatchRanges(const std::string& command,
                                                              const std::vector<BatchFile>& files);

// One child of a command over many: the command it shares with others, empty
// when it runs alone, and the working and RCS paths a shared run names.
struct SharingChild {
    RCSItem* item;
    std::string command;
    std::string workingPath;
    std::string rcsPath;
};

// The children in groups, one per run: children of one command together, in
// runs the command line can hold, each group where its first child stood.
std::vector<std::vector<RCSItem*>> GroupsOfRuns(const std::vector<SharingChild>& children);

} // namespace kestro
