#include "model/command_results.h"

#include "model/command_progress.h"

namespace kestro {

CommandResults& CommandResults::instance()
{
    static CommandResults results;
    return results;
}

void CommandResults::AppendResults(std::string_view text)
{
    std::lock_guard lock(mutex_);
    text_.append(text);
}

void CommandResults::AppendResultsOnce(std::string_view text)
{
    std::lock_guard lock(mutex_);
    if (text_.find(text) == std::string::npos)
        text_.append(text);
}

void CommandResults::ClearResults()
{
    std::lock_guard lock(mutex_);
    text_.clear();
    done_ = 0;
    failed_ = 0;
    counting_ = false;
    conflicts_ = false;
    lastSummary_.clear();
}

void CommandResults::CountItemOutcomes()
{
    std::lock_guard lock(mutex_);
    counting_ = true;
}

void CommandResults::CountOutcome(int result)
{
    std::lock_guard lock(mutex_);
    if (counting_)
        ++(result == 0 ? done_ : failed_);
}

void CommandResults::NoteConflicts()
{
    std::lock_guard lock(mutex_);
    conflicts_ = true;
}

std::string CommandResults::Summary(const std::string& commandName, int result) const
{
    std::lock_guard lock(mutex_);
    if (conflicts_)
        return commandName + ": merged with conflicts";
    // A command refused before or after its items ran fails though every
    // item counted as done; the counts would then hide the failure.
    if (done_ + failed_ > 1 && (result == 0) == (failed_ == 0)) {
        // The loop over the items says it with the command's own verb.
        const std::string counted = CommandProgress::instance().Get().summary;
        return commandName + ": "
               + (counted.empty() ? std::to_string(done_) + " done, " + std::to_string(failed_) + " failed"
                                  : counted);
    }
    return commandName + (result == 0 ? " complete" : " failed");
}

std::string CommandResults::Text() const
{
    std::lock_guard lock(mutex_);
    return text_;
}

void CommandResults::Finish(const std::string& commandName, int result)
{
    const std::string summary = Summary(commandName, result);
    std::lock_guard lock(mutex_);
    if (!text_.empty() && !text_.ends_with('\n'))
        text_ += "\r\n";
    text_ += summary + "\r\n";
    lastSummary_ = summary;
}

std::string CommandResults::LastSummary() const
{
    std::lock_guard lock(mutex_);
    return lastSummary_;
}

} // namespace kestro
