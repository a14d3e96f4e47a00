#include "rcs/adopt_files.h"

#include "model/file_item.h"
#include "model/options.h"
#include "model/string_helpers.h"
#include "model/version_item.h"
#include "rcs/command_runner.h"

#include <map>

namespace kestro {

namespace {

// Well below the system's limit on the arguments of one program.
constexpr std::size_t MaxCommandLength = 100000;

// The revision the working file is expected to hold: the only one the user
// has locked, else the tip of the default branch.
RCSVersionItem* ExpectedRevision(RCSFileItem& file)
{
    RCSVersionItem* locked = nullptr;
    const int count = file.FindLockedByUser(locked);
    if (count == 1)
        return locked;
    if (count > 1)
        return nullptr;
    return file.FindDefaultBranchTip();
}

void CompareBatch(const std::string& revision, const std::vector<RCSFileItem*>& files,
                  const std::vector<std::string>& rcsPaths)
{
    std::string command = "rcsdiff";
    AppendArgument(command, "-r" + revision);
    for (std::size_t i = 0; i < files.size(); ++i) {
        AppendArgument(command, files[i]->GetWorkingPath());
        AppendArgument(command, rcsPaths[i]);
    }
    std::string output;
    // rcsdiff's exit code covers all files at once; each file's part of the
    // output tells its own outcome.
    if (RunCommand(output, command, std::string(), false) < 0)
        return;
    const std::vector<bool> unchanged = UnchangedInRcsdiffOutput(output, rcsPaths, revision);
    for (std::size_t i = 0; i < files.size(); ++i) {
        if (!unchanged[i])
            continue;
        RCSFileItem& file = *files[i];
        file.UpdateStatus();
        file.recordedTime = file.workingTime;
        file.workingRevision = revision;
        file.UpdateStatus();
        file.RefreshDisplay(false);
    }
}

} // namespace

std::vector<bool> UnchangedInRcsdiffOutput(const std::string& output, const std::vector<std::string>& rcsPaths,
                                           const std::string& revision)
{
    // Each file's part: a row of "=", "RCS file: PATH", "retrieving revision
    // REV", "diff -rREV WORKINGFILE", then diff's lines, which never start
    // with "=" or "RCS file: ". A file rcsdiff could not read has no part and
    // its message ends the part before, so that file does not count as
    // unchanged either.
    static const std::string rule(67, '=');
    std::string text = output;
    ReplaceAll(text, "\r\n", "\n");
    std::vector<bool> unchanged(rcsPaths.size(), false);
    std::vector<std::size_t> starts(rcsPaths.size(), std::string::npos);
    std::size_t from = 0;
    for (std::size_t i = 0; i < rcsPaths.size(); ++i) {
        const std::size_t found = text.find(rule + "\nRCS file: " + rcsPaths[i] + "\n", from);
        if (found == std::string::npos || (found != 0 && text[found - 1] != '\n'))
            continue;
        starts[i] = found;
        from = found + 1;
    }
    for (std::size_t i = 0; i < rcsPaths.size(); ++i) {
        if (starts[i] == std::string::npos)
            continue;
        std::size_t end = text.size();
        for (std::size_t j = i + 1; j < rcsPaths.size(); ++j) {
            if (starts[j] != std::string::npos) {
                end = starts[j];
                break;
            }
        }
        const std::string part = text.substr(starts[i], end - starts[i]);
        const std::string header = rule + "\nRCS file: " + rcsPaths[i] + "\nretrieving revision " + revision
                                   + "\ndiff -r" + revision + " ";
        // The header and one more line (the diff line's file name), nothing after.
        unchanged[i] = part.starts_with(header) && part.find('\n', header.size()) == part.size() - 1;
    }
    return unchanged;
}

void AdoptUnchangedFiles(const std::vector<RCSFileItem*>& files)
{
    // Files grouped by the revision they are compared with; in a tree that
    // RCS alone kept that is nearly always the same few numbers.
    std::map<std::string, std::vector<RCSFileItem*>> byRevision;
    for (RCSFileItem* file : files) {
        if (file->recordedTime != 0 || !file->workingRevision.empty() || file->StatusCode() != Modified)
            continue;
        if (RCSVersionItem* expected = ExpectedRevision(*file))
            byRevision[expected->name].push_back(file);
    }
    for (const auto& [revision, group] : byRevision) {
        std::vector<RCSFileItem*> batch;
        std::vector<std::string> paths;
        std::size_t length = 0;
        for (RCSFileItem* file : group) {
            std::string path = file->GetRcsPath();
            std::string arguments;
            AppendArgument(arguments, file->GetWorkingPath());
            AppendArgument(arguments, path);
            if (!batch.empty() && length + arguments.size() > MaxCommandLength) {
                CompareBatch(revision, batch, paths);
                batch.clear();
                paths.clear();
                length = 0;
            }
            length += arguments.size();
            batch.push_back(file);
            paths.push_back(std::move(path));
        }
        if (!batch.empty())
            CompareBatch(revision, batch, paths);
    }
}

} // namespace kestro
