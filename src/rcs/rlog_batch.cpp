#include "rcs/rlog_batch.h"

#include "model/command_progress.h"
#include "model/file_item.h"
#include "model/string_helpers.h"
#include "rcs/command_runner.h"

#include <algorithm>
#include <deque>
#include <future>
#include <string_view>
#include <thread>
#include <unordered_map>
#include <utility>

namespace kestro {

namespace {

// Well below the system's limit on the arguments of one program.
constexpr std::size_t MaxCommandLength = 100000;

// Many files are read in a few runs rather than one, so that the caller
// takes each run's output apart while rlog reads the next files. The first
// run is short, so rlog starts at once while the other files are looked up.
// Taking a history apart costs about a quarter of what rlog takes to print
// it, so each later run takes four fifths of the files left and the next
// run, a quarter of its size, still hides its parsing. Each run costs a
// program start, so up to LastRun files go in one last run: parsing them
// with nothing to hide behind costs less than another start.
constexpr std::size_t SmallestRun = 64;
constexpr std::size_t LastRun = 8 * SmallestRun;

std::size_t FirstRunSize(std::size_t files)
{
    return std::max(SmallestRun, files / 8);
}

std::size_t LaterRunSize(std::size_t left)
{
    return left <= LastRun ? left : left - left / 5;
}

std::string RlogCommand(const std::vector<std::string>& options)
{
    std::string command = "rlog";
    for (const std::string& option : options)
        AppendArgument(command, option);
    return command;
}

using Apply = std::function<void(RCSFileItem*, int, const std::string&)>;
using Started = std::function<void(const std::string&)>;
using Missing = std::function<void(RCSFileItem*)>;

// A run's output is read by the caller, while the next run goes on.
struct RunOutput {
    int result = 0;
    CommandOutput output;
};

// One run's files, its command line, and its output once it has run.
struct Batch {
    std::vector<RCSFileItem*> files;
    std::vector<std::string> paths;
    std::string command;  // empty for a single file, which RunOneByOne reads
    OnStop onStop = OnStop::ReadAll;
    std::promise<RunOutput> ran;
    std::future<RunOutput> output;
};

bool Stopped(const Batch& batch)
{
    return batch.onStop == OnStop::StopReading && CommandProgress::instance().StopRequested();
}

// After a stop that ends the reading no file is read again.
void RunOneByOne(const Batch& batch, const std::vector<std::string>& options, const Apply& apply,
                 const Started& started)
{
    for (std::size_t i = 0; i < batch.files.size(); ++i) {
        if (Stopped(batch)) {
            apply(batch.files[i], NotReadAfterStop, std::string());
            continue;
        }
        std::string command = RlogCommand(options);
        AppendArgument(command, batch.paths[i]);
        if (started)
            started(command);
        std::string output;
        const int result = RunCommand(output, command, std::string(), false);
        apply(batch.files[i], result, output);
    }
}

// The command line for a batch of several files, told to started.
void Prepare(Batch& batch, const std::vector<std::string>& options, const Started& started)
{
    if (batch.files.size() < 2)
        return;
    batch.command = RlogCommand(options);
    for (const std::string& path : batch.paths)
        AppendArgument(batch.command, path);
    batch.output = batch.ran.get_future();
    if (started)
        started(batch.command);
}

void Run(Batch& batch)
{
    if (batch.command.empty())
        return;
    try {
        RunOutput output;
        output.result = Stopped(batch) ? 1 : RunCommandKeepingOutput(output.output, batch.command);
        batch.ran.set_value(std::move(output));
    } catch (...) {
        batch.ran.set_exception(std::current_exception());
    }
}

void Finish(Batch& batch, const std::vector<std::string>& options, const Apply& apply, const Started& started)
{
    if (batch.command.empty()) {
        RunOneByOne(batch, options, apply, started);
        return;
    }
    const RunOutput ran = batch.output.get();
    std::vector<std::string> parts;
    if (ran.result != 0 || !SplitRlogOutput(ran.output.Read(), batch.paths, parts)) {
        RunOneByOne(batch, options, apply, started);
        return;
    }
    for (std::size_t i = 0; i < batch.files.size(); ++i)
        apply(batch.files[i], 0, parts[i]);
}

// Hands out the files in batches, in order, looking up each one's RCS file
// as it goes; a file without one goes to missing.
class Batcher {
public:
    Batcher(const std::vector<RCSFileItem*>& files, const std::vector<std::string>& options, const Missing& missing)
        : files_(files), commandLength_(RlogCommand(options).size()), missing_(missing)
    {
    }

    std::size_t Left() const { return files_.size() - next_; }

    // Up to wanted files that have an RCS file, fewer when the command line
    // would grow too long; none when no file left has one.
    void Next(Batch& batch, std::size_t wanted)
    {
        std::size_t length = commandLength_;
        for (; next_ < files_.size() && batch.files.size() < wanted; ++next_) {
            RCSFileItem* file = files_[next_];
            std::string path = pending_.empty() ? file->ExistingRcsPath() : std::exchange(pending_, {});
            if (path.empty()) {
                if (missing_)
                    missing_(file);
                continue;
            }
            std::string quoted;
            AppendArgument(quoted, path);
            if (!batch.files.empty() && length + quoted.size() > MaxCommandLength) {
                pending_ = std::move(path);
                break;
            }
            length += quoted.size();
            batch.files.push_back(file);
            batch.paths.push_back(std::move(path));
        }
    }

private:
    const std::vector<RCSFileItem*>& files_;
    const std::size_t commandLength_;
    const Missing& missing_;
    std::size_t next_ = 0;
    std::string pending_;  // the path of files_[next_], when already looked up
};

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
                     const Apply& apply, const Started& started, const Missing& missing, OnStop onStop)
{
    // The first batch runs as soon as its files are known; the others are
    // looked up meanwhile and then run one after another on the same
    // thread, while this one takes each output apart as it comes.
    Batcher batcher(files, options, missing);
    std::deque<Batch> batches(1);
    batches.front().onStop = onStop;
    batcher.Next(batches.front(), FirstRunSize(files.size()));
    Prepare(batches.front(), options, started);
    if (batcher.Left() == 0) {
        // One batch holds every file: nothing to read alongside its run.
        Run(batches.front());
        Finish(batches.front(), options, apply, started);
        return;
    }
    std::promise<void> allKnown;
    std::jthread runner([&batches, &first = batches.front(), known = allKnown.get_future()]() mutable {
        Run(first);
        known.wait();
        for (std::size_t i = 1; i < batches.size(); ++i)
            Run(batches[i]);
    });
    {
        // The runner waits for the rest until it is known, however this ends.
        struct Release {
            std::promise<void>& known;
            ~Release() { known.set_value(); }
        } release{allKnown};
        while (batcher.Left() > 0) {
            Batch& batch = batches.emplace_back();
            batch.onStop = onStop;
            batcher.Next(batch, LaterRunSize(batcher.Left()));
            Prepare(batch, options, started);
        }
    }
    for (Batch& batch : batches)
        Finish(batch, options, apply, started);
}

} // namespace kestro
