#include "rcs/rlog_batch.h"

#include "model/file_item.h"
#include "model/string_helpers.h"
#include "rcs/command_runner.h"

#include <string_view>
#include <unordered_map>

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

using Apply = std::function<void(RCSFileItem*, int, const std::string&)>;
using Started = std::function<void(const std::string&)>;

void RunOneByOne(const std::vector<RCSFileItem*>& files, const std::vector<std::string>& paths,
                 const std::vector<std::string>& options, const Apply& apply, const Started& started)
{
    for (std::size_t i = 0; i < files.size(); ++i) {
        std::string command = RlogCommand(options);
        AppendArgument(command, paths[i]);
        if (started)
            started(command);
        std::string output;
        const int result = RunCommand(output, command, std::string(), false);
        apply(files[i], result, output);
    }
}

void RunBatch(const std::vector<RCSFileItem*>& files, const std::vector<std::string>& paths,
              const std::vector<std::string>& options, const Apply& apply, const Started& started)
{
    if (files.size() == 1) {
        RunOneByOne(files, paths, options, apply, started);
        return;
    }
    std::string command = RlogCommand(options);
    for (const std::string& path : paths)
        AppendArgument(command, path);
    if (started)
        started(command);
    std::string output;
    std::vector<std::string> parts;
    if (RunCommand(output, command, std::string(), false) != 0 || !SplitRlogOutput(output, paths, parts)) {
        RunOneByOne(files, paths, options, apply, started);
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
    // One pass finds every such line; a path whose start shows twice (a log
    // message that copies it) makes the split uncertain.
    static const std::string endOfFile = std::string(77, '=') + "\n\n";
    static const std::string prefix = "RCS file: ";
    parts.clear();
    struct Seen {
        std::size_t line = std::string::npos;  // the first start after an end
        int afterEnd = 0;                       // starts after a row of "="
        int anywhere = 0;                       // starts at any line
    };
    std::unordered_map<std::string_view, Seen> seen;
    for (std::size_t line = 0; line < output.size();) {
        const std::size_t newline = output.find('\n', line);
        if (newline == std::string::npos)
            break;
        if (output.compare(line, prefix.size(), prefix) == 0) {
            Seen& path = seen[std::string_view(output).substr(line + prefix.size(), newline - line - prefix.size())];
            ++path.anywhere;
            const bool afterEnd = line >= endOfFile.size()
                                  && output.compare(line - endOfFile.size(), endOfFile.size(), endOfFile) == 0;
            if (afterEnd && path.afterEnd++ == 0)
                path.line = line;
        }
        line = newline + 1;
    }
    std::vector<std::size_t> starts;
    for (std::size_t i = 0; i < rcsPaths.size(); ++i) {
        const auto it = seen.find(rcsPaths[i]);
        if (it == seen.end())
            return false;
        const Seen& path = it->second;
        std::size_t start;
        if (i == 0) {
            // The first file opens the output, perhaps after a blank line.
            start = output.starts_with(prefix) ? 0 : 1;
            if (path.anywhere != 1 || output.compare(start, prefix.size(), prefix) != 0
                || output.compare(start + prefix.size(), rcsPaths[0].size() + 1, rcsPaths[0] + "\n") != 0)
                return false;
        } else {
            if (path.afterEnd != 1)
                return false;
            start = path.line - 1;  // the blank line after the row of "="
        }
        if (!starts.empty() && start <= starts.back())
            return false;
        starts.push_back(start);
    }
    for (std::size_t i = 0; i < starts.size(); ++i) {
        const std::size_t end = i + 1 < starts.size() ? starts[i + 1] : output.size();
        std::string& part = parts.emplace_back();
        part.reserve(end - starts[i] + 1);
        part += '\n';
        part.append(output, starts[i], end - starts[i]);
    }
    return true;
}

void RunRlogForFiles(const std::vector<RCSFileItem*>& files, const std::vector<std::string>& options,
                     const Apply& apply, const Started& started)
{
    std::vector<RCSFileItem*> existing;
    std::vector<std::string> rcsPaths;
    for (RCSFileItem* file : files) {
        std::string path = file->ExistingRcsPath();
        if (path.empty())
            continue;
        existing.push_back(file);
        rcsPaths.push_back(std::move(path));
    }
    RunRlogForPaths(existing, rcsPaths, options, apply, started);
}

void RunRlogForPaths(const std::vector<RCSFileItem*>& files, const std::vector<std::string>& rcsPaths,
                     const std::vector<std::string>& options, const Apply& apply, const Started& started)
{
    std::vector<RCSFileItem*> batch;
    std::vector<std::string> paths;
    std::size_t length = RlogCommand(options).size();
    for (std::size_t i = 0; i < files.size(); ++i) {
        RCSFileItem* file = files[i];
        const std::string& path = rcsPaths[i];
        std::string quoted;
        AppendArgument(quoted, path);
        if (!batch.empty() && length + quoted.size() > MaxCommandLength) {
            RunBatch(batch, paths, options, apply, started);
            batch.clear();
            paths.clear();
            length = RlogCommand(options).size();
        }
        length += quoted.size();
        batch.push_back(file);
        paths.push_back(path);
    }
    if (!batch.empty())
        RunBatch(batch, paths, options, apply, started);
}

} // namespace kestro
