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
struct ImportStep;

struct ReceivedRevision {
    std::string source;      // the file holding the revision's text
    std::string fileName;    // the model name it is received as
    std::string revision;    // the local revision number asked for
    std::string logMessage;
};

// Imports each revision as Site::ImportFiles imports a file, each file at
// most once, at the revision number asked for:
// the locks ci needs are taken in rcs runs shared by revision number, the
// check-ins in ci runs shared by files with the same options and message,
// and the histories are read back in batched rlog runs. A file that fails
// in a shared run is run again alone, so that ci names it; the others keep
// their check-ins. One result per revision.
std::vector<int> ImportRevisions(Site& site, const std::vector<ReceivedRevision>& revisions, bool mergeAfterImport);

// ci extends only a revision locked by the user: takes the locks the
// steps' check-ins need, in rcs runs shared by revision number. A lock that
// fails makes that file's ci fail.
void TakeCheckinLocks(const std::vector<ImportStep*>& steps);

} // namespace kestro
