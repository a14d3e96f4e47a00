#pragma once

// Checking in the revisions a receive brings in shared program runs: a ci
// per file, with an rlog and often an rcs -l around it, cost far more than
// the check-ins themselves on a release of thousands of files.

#include <cstddef>
#include <functional>
#include <string>
#include <vector>

namespace kestro {

class Site;

struct ReceivedRevision {
    std::string source;      // the file holding the revision's text
    std::string fileName;    // the model name it is received as
    std::string revision;    // the local revision number asked for
    std::string logMessage;
};

// Imports each revision as Site::ImportFile does, each file at most once:
// the locks ci needs are taken in rcs runs shared by revision number, the
// check-ins in ci runs shared by files with the same options and message,
// and the histories are read back in batched rlog runs. A file that fails
// in a shared run is run again alone, so that ci names it; the others keep
// their check-ins. One result per revision, as ImportFile's.
std::vector<int> ImportRevisions(Site& site, const std::vector<ReceivedRevision>& revisions, bool mergeAfterImport);

// The ci runs over files that share the command: each file gets
// {working path, RCS path} appended; done(index, result, output) is called
// once per file with its part of the output. Unlike RunBatched, a file is
// only run again when its part shows ci did not check it in: a second ci
// would add a second revision.
struct CheckinBatchFile {
    std::string workingPath;
    std::string rcsPath;
};
void RunCheckinBatches(const std::string& command, const std::vector<CheckinBatchFile>& files,
                       const std::function<void(std::size_t, int, const std::string&)>& done);

} // namespace kestro
