#include "app/command_results.h"

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
}

std::string CommandResults::Text() const
{
    std::lock_guard lock(mutex_);
    return text_;
}

} // namespace kestro
