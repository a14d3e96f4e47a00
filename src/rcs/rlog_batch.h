#pragma once

// Runs rlog over many files at once. Starting one program per file costs far
// more than reading the files, so files are passed in a few batches, none
// longer than the command line allows, and each file's part of the output is
// handed back as if rlog had run on that file alone.

#include <functional>
#include <string>
#include <vector>

namespace kestro {

class RCSFileItem;

// What a stop (CommandProgress) does to a reading of histories. A reading
// that only looks may end there, each file left unread getting
// NotReadAfterStop without another run; histories read back after a command
// changed the RCS files are read whole, as they hold what the project must
// record of those changes.
enum class OnStop { ReadAll, StopReading };
constexpr int NotReadAfterStop = -2;

// Calls apply(file, result, output) once per file that has an RCS file, in
// order; result is rlog's exit code for that file (or -1 when it could not
// be started, NotReadAfterStop when a stop ended the reading). Options are added before the file names ("-h" for headers).
// A batch whose run fails, or whose output cannot be split with certainty,
// is run again one file at a time, so a damaged file never hides the others.
// started(commandLine), when given, hears of each run before it starts;
// missing(file), when given, of each file without an RCS file. Both, and
// apply, are called on the calling thread while the later batches' runs go
// on in a thread of their own, so apply must not change RCS files.
void RunRlogForFiles(const std::vector<RCSFileItem*>& files, const std::vector<std::string>& options,
                     const std::function<void(RCSFileItem*, int, const std::string&)>& apply,
                     const std::function<void(const std::string&)>& started = {},
                     const std::function<void(RCSFileItem*)>& missing = {}, OnStop onStop = OnStop::ReadAll);

// Splits the output of one rlog run over the given RCS paths into one part
// per path. False when the parts cannot be told apart.
bool SplitRlogOutput(const std::string& output, const std::vector<std::string>& rcsPaths,
                     std::vector<std::string>& parts);

} // namespace kestro
