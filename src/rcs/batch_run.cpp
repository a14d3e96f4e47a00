#include "rcs/batch_run.h"

#include "model/command_progress.h"
#include "model/command_results.h"
#include "model/string_helpers.h"
#include "rcs/batch_output.h"
#include "rcs/command_runner.h"

#include <map>

namespace kestro {

namespace {

// Well below the system's limit on the arguments of one program.
constexpr std::size_t MaxCommandLength = 100000;

std::string Arguments(const std::vector<std::string>& arguments)
{
    std::string text;
    for (const std::string& argument : arguments)
        AppendArgument(text, argument);
    return text;
}

void RunAlone(const std::string& command, const BatchFile& file, std::size_t index,
              const std::function<void(std::size_t, int, const std::string&)>& done)
{
    // Once the user has stopped the command, a file that is left is not
    // started again: it failed as the run it was in did.
    if (CommandProgress::instance().StopRequested()) {
        done(index, 1, std::string());
        return;
    }
    std::string output;
    const int result = RunCommand(output, command + Arguments(file.arguments), file.input, true);
    done(index, result, output);
}

// One run over several files: its command line, what it reads, and the
// lines that start each file's part of the output.
struct SharedRun {
    std::string line;
    std::string input;
    std::vector<std::string> startLines;
};

SharedRun JoinFiles(const std::string& command, const std::vector<BatchFile>& files,
                    const std::vector<std::size_t>& indices)
{
    SharedRun run{command, {}, {}};
    for (const std::size_t i : indices) {
        run.line += Arguments(files[i].arguments);
        run.input += files[i].input;
        run.startLines.push_back(files[i].startLine);
    }
    return run;
}

} // namespace

std::vector<std::pair<std::size_t, std::size_t>> BatchRanges(const std::string& command,
                                                              const std::vector<BatchFile>& files)
{
    std::vector<std::pair<std::size_t, std::size_t>> ranges;
    std::size_t first = 0;
    std::size_t length = command.size();
    for (std::size_t i = 0; i < files.size(); ++i) {
        const std::size_t added = Arguments(files[i].arguments).size();
        if (i > first && length + added > MaxCommandLength) {
            ranges.emplace_back(first, i);
            first = i;
            length = command.size();
        }
        length += added;
    }
    if (first < files.size())
        ranges.emplace_back(first, files.size());
    return ranges;
}

BatchFile RcsBatchFile(const std::string& rcsPath)
{
    return BatchFile({rcsPath}, RcsStartLine(rcsPath));
}

void RunBatched(const std::string& command, const std::vector<BatchFile>& files,
                const std::function<void(std::size_t, int, const std::string&)>& done)
{
    for (const auto& [first, last] : BatchRanges(command, files)) {
        std::vector<std::size_t> indices;
        for (std::size_t i = first; i < last; ++i)
            indices.push_back(i);
        while (!indices.empty()) {
            if (CommandProgress::instance().StopRequested()) {
                for (const std::size_t i : indices)
                    done(i, 1, std::string());
                break;
            }
            if (indices.size() == 1) {
                RunAlone(command, files[indices.front()], indices.front(), done);
                break;
            }
            const SharedRun run = JoinFiles(command, files, indices);
            std::string output;
            const int result = RunCommand(output, run.line, run.input, true);
            // A run that could not start gives no parts at all.
            const std::vector<BatchPart> parts = result < 0 ? std::vector<BatchPart>(indices.size())
                                                            : SplitBatchOutput(output, run.startLines);
            std::vector<std::size_t> unknown;
            bool anySucceeded = false;
            for (std::size_t k = 0; k < indices.size(); ++k) {
                if (parts[k].outcome == BatchPart::Succeeded) {
                    anySucceeded = true;
                    done(indices[k], 0, parts[k].text);
                } else if (parts[k].outcome == BatchPart::Failed) {
                    RunAlone(command, files[indices[k]], indices[k], done);
                } else {
                    unknown.push_back(indices[k]);
                }
            }
            // The output lost track at the first unknown file, which runs
            // alone; the files after it share a run again, unless this run
            // got nowhere.
            if (unknown.empty())
                break;
            RunAlone(command, files[unknown.front()], unknown.front(), done);
            unknown.erase(unknown.begin());
            if (!anySucceeded) {
                for (const std::size_t i : unknown)
                    RunAlone(command, files[i], i, done);
                break;
            }
            indices = std::move(unknown);
        }
    }
}

void RunCiBatched(const std::string& command, const std::vector<BatchFile>& files,
                  const std::function<void(std::size_t, int, const std::string&)>& done)
{
    for (const auto& [first, last] : BatchRanges(command, files)) {
        if (last - first == 1) {
            RunAlone(command, files[first], first, done);
            continue;
        }
        if (CommandProgress::instance().StopRequested()) {
            for (std::size_t i = first; i < last; ++i)
                done(i, 1, std::string());
            continue;
        }
        std::vector<std::size_t> indices;
        for (std::size_t i = first; i < last; ++i)
            indices.push_back(i);
        const SharedRun run = JoinFiles(command, files, indices);
        std::string output;
        const int result = RunCommand(output, run.line, run.input, true);
        if (result < 0) {
            // Nothing ran: each file may safely run alone.
            for (std::size_t i = first; i < last; ++i)
                RunAlone(command, files[i], i, done);
            continue;
        }
        const std::vector<BatchPart> parts = SplitCiOutput(output, run.startLines);
        for (std::size_t k = 0; k < parts.size(); ++k) {
            const std::size_t i = first + k;
            if (parts[k].outcome == BatchPart::Succeeded) {
                done(i, 0, parts[k].text);
            } else if (parts[k].outcome == BatchPart::Failed) {
                RunAlone(command, files[i], i, done);
            } else {
                CommandResults::instance().AppendResults(files[i].arguments.front()
                                                         + " : ci's output does not tell whether it was checked in\r\n");
                done(i, 1, std::string());
            }
        }
    }
}

std::vector<std::vector<RCSItem*>> GroupsOfRuns(const std::vector<SharingChild>& children)
{
    std::map<std::string, std::vector<const SharingChild*>> sharing;
    std::vector<std::string> order;  // a key per group, by first member
    for (const SharingChild& child : children) {
        // A child that runs alone has a key no command can have.
        const std::string key = child.command.empty() ? "\n" + std::to_string(order.size()) : child.command;
        auto& members = sharing[key];
        if (members.empty())
            order.push_back(key);
        members.push_back(&child);
    }
    std::vector<std::vector<RCSItem*>> groups;
    for (const std::string& key : order) {
        const std::vector<const SharingChild*>& members = sharing[key];
        if (key.starts_with("\n")) {
            groups.push_back({members.front()->item});
            continue;
        }
        std::vector<BatchFile> lengths;
        for (const SharingChild* member : members)
            lengths.push_back({{member->workingPath, member->rcsPath}, {}});
        for (const auto& [first, last] : BatchRanges(key, lengths)) {
            std::vector<RCSItem*>& group = groups.emplace_back();
            for (std::size_t i = first; i < last; ++i)
                group.push_back(members[i]->item);
        }
    }
    return groups;
}

} // namespace kestro
