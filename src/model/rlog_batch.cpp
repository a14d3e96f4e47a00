#include "model/rlog_batch.h"

#include "app/command_runner.h"
#include "model/file_item.h"
#include "model/string_helpers.h"

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
    // Each file's part starts with the line "RCS file: " and its path, right
    // after the row of "=" that ends the previous part (the first at the very
    // start). Every such line is found in one pass; a path seen at more than
    // one of them, as when a log message copies a file's start, makes the
    // split uncertain.
    static const std::string fileLine = "RCS file: ";
    static const std::string afterEndOfFile = std::string(77, '=') + "\n\n" + fileLine;
    const std::string_view text(output);
    std::unordered_map<std::string_view, std::vector<std::size_t>> fileLines;
    const auto note = [&](std::size_t at) {
        const std::size_t pathStart = at + fileLine.size();
        const std::size_t end = text.find('\n', pathStart);
        if (end != std::string_view::npos)
            fileLines[text.substr(pathStart, end - pathStart)].push_back(at);
    };
    for (std::size_t at : {std::size_t(0), std::size_t(1)}) {
        if (text.substr(at, fileLine.size()) == fileLine)
            note(at);
    }
    for (std::size_t at = text.find(afterEndOfFile); at != std::string_view::npos;
         at = text.find(afterEndOfFile, at + 1))
        note(at + afterEndOfFile.size() - fileLine.size());

    parts.clear();
    std::vector<std::size_t> starts;
    for (std::size_t i = 0; i < rcsPaths.size(); ++i) {
        const auto found = fileLines.find(rcsPaths[i]);
        if (found == fileLines.end() || found->second.size() != 1)
            return false;
        const std::size_t line = found->second.front();
        if ((i == 0 && line > 1) || (i > 0 && (line < 2 || line - 1 <= starts.back())))
            return false;
        // A later part keeps the line break before its "RCS file: " line.
        starts.push_back(i == 0 ? line : line - 1);
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
