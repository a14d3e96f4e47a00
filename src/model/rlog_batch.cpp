#include "model/rlog_batch.h"

#include "app/command_runner.h"
#include "model/file_item.h"
#include "model/string_helpers.h"

namespace kestro {

namespace {

// Well below the system's limit on the arguments of one program.
constexpr std::size_t MaxCommandLength = 100000;

std::string RlogCommand(const std::vector<std::string>& options)
{
    std::string command = "rlog";
    for (const std::string& option : options)
        AppendArgument(command, option);
    return command;
}

void RunOneByOne(const std::vector<RCSFileItem*>& files, const std::vector<std::string>& paths,
                 const std::vector<std::string>& options,
                 const std::function<void(RCSFileItem*, int, const std::string&)>& apply)
{
    for (std::size_t i = 0; i < files.size(); ++i) {
        std::string command = RlogCommand(options);
        AppendArgument(command, paths[i]);
        std::string output;
        const int result = RunCommand(output, command, std::string(), false);
        apply(files[i], result, output);
    }
}

void RunBatch(const std::vector<RCSFileItem*>& files, const std::vector<std::string>& paths,
              const std::vector<std::string>& options,
              const std::function<void(RCSFileItem*, int, const std::string&)>& apply)
{
    if (files.size() == 1) {
        RunOneByOne(files, paths, options, apply);
        return;
    }
    std::string command = RlogCommand(options);
    for (const std::string& path : paths)
        AppendArgument(command, path);
    std::string output;
    std::vector<std::string> parts;
    if (RunCommand(output, command, std::string(), false) != 0 || !SplitRlogOutput(output, paths, parts)) {
        RunOneByOne(files, paths, options, apply);
        return;
    }
    for (std::size_t i = 0; i < files.size(); ++i)
        apply(files[i], 0, parts[i]);
}

} // namespace

bool SplitRlogOutput(const std::string& output, const std::vector<std::string>& rcsPaths,
                     std::vector<std::string>& parts)
{
    // Each file's part starts with the line "RCS file: " and its path; a part
    // is taken only when the next file's start follows the row of "=" that
    // ends the previous part, so log text cannot be mistaken for a start.
    static const std::string endOfFile(77, '=');
    parts.clear();
    std::vector<std::size_t> starts;
    std::size_t from = 0;
    for (std::size_t i = 0; i < rcsPaths.size(); ++i) {
        const std::string marker = (i == 0 ? "RCS file: " : endOfFile + "\n\nRCS file: ") + rcsPaths[i] + "\n";
        const std::size_t found = output.find(marker, from);
        // A log message that copies a file's start makes the split uncertain.
        if (found == std::string::npos || (i == 0 && found > 1) || output.find(marker, found + 1) != std::string::npos)
            return false;
        const std::size_t start = i == 0 ? found : found + endOfFile.size() + 1;
        starts.push_back(start);
        from = start + 1;
    }
    for (std::size_t i = 0; i < starts.size(); ++i) {
        const std::size_t end = i + 1 < starts.size() ? starts[i + 1] : output.size();
        parts.push_back("\n" + output.substr(starts[i], end - starts[i]));
    }
    return true;
}

void RunRlogForFiles(const std::vector<RCSFileItem*>& files, const std::vector<std::string>& options,
                     const std::function<void(RCSFileItem*, int, const std::string&)>& apply)
{
    std::vector<RCSFileItem*> batch;
    std::vector<std::string> paths;
    std::size_t length = RlogCommand(options).size();
    for (RCSFileItem* file : files) {
        if (!file->GetRcsFileStatus())
            continue;
        std::string path = file->GetRcsPath();
        std::string quoted;
        AppendArgument(quoted, path);
        if (!batch.empty() && length + quoted.size() > MaxCommandLength) {
            RunBatch(batch, paths, options, apply);
            batch.clear();
            paths.clear();
            length = RlogCommand(options).size();
        }
        length += quoted.size();
        batch.push_back(file);
        paths.push_back(std::move(path));
    }
    if (!batch.empty())
        RunBatch(batch, paths, options, apply);
}

} // namespace kestro
