#include "model/command_progress.h"

#include "model/command_results.h"
#include "model/item.h"

namespace kestro {

namespace {

// Enough names to act on; the rest are counted.
constexpr std::size_t NamedFailures = 10;

std::string Summary(int done, int failed, const std::vector<std::string>& failures, const char* verb)
{
    std::string text = std::to_string(done - failed) + " " + verb + ", " + std::to_string(failed) + " failed";
    for (std::size_t i = 0; i < failures.size() && i < NamedFailures; ++i)
        text += (i == 0 ? ": " : ", ") + failures[i];
    if (failures.size() > NamedFailures)
        text += " and " + std::to_string(failures.size() - NamedFailures) + " more";
    return text;
}

} // namespace

std::string ProgressText(const CommandProgress::State& state)
{
    if (state.current.empty())
        return std::to_string(state.done) + " of " + std::to_string(state.total);
    return std::to_string(state.done + 1) + " of " + std::to_string(state.total) + " - " + state.current;
}

CommandProgress& CommandProgress::instance()
{
    static CommandProgress progress;
    return progress;
}

void CommandProgress::Reset()
{
    std::lock_guard lock(mutex_);
    state_ = State();
    counting_ = false;
    stop_ = false;
}

CommandProgress::State CommandProgress::Get() const
{
    std::lock_guard lock(mutex_);
    return state_;
}

int CommandProgress::ForEachChild(RCSItem& item, const char* verb, const std::function<int(RCSItem&)>& run)
{
    std::vector<Group> groups;
    groups.reserve(item.children.size());
    for (auto& child : item.children)
        groups.push_back({child.get()});
    return ForEachGroup(verb, groups, [&](const Group& group) { return std::vector<int>{run(*group.front())}; });
}

int CommandProgress::ForEachGroup(const char* verb, const std::vector<Group>& groups,
                                  const std::function<std::vector<int>(const Group&)>& run)
{
    bool outermost;
    {
        std::lock_guard lock(mutex_);
        outermost = !counting_;
        if (outermost) {
            counting_ = true;
            state_ = State();
            state_.total = 0;
            for (const Group& group : groups)
                state_.total += static_cast<int>(group.size());
        }
    }
    int result = 0;
    int done = 0;
    int failed = 0;
    std::vector<std::string> failures;
    for (const Group& group : groups) {
        if (stop_) {
            result |= 1;
            break;
        }
        if (outermost) {
            std::lock_guard lock(mutex_);
            state_.current = group.front()->name;
        }
        const std::vector<int> results = run(group);
        for (std::size_t i = 0; i < group.size(); ++i) {
            const int memberResult = i < results.size() ? results[i] : 1;
            result |= memberResult;
            if (outermost)
                CommandResults::instance().CountOutcome(memberResult);
            ++done;
            if (memberResult != 0) {
                ++failed;
                failures.push_back(group[i]->name);
            }
        }
        if (outermost) {
            std::lock_guard lock(mutex_);
            state_.done = done;
        }
    }
    if (!outermost)
        return result;
    const std::string summary = Summary(done, failed, failures, verb) + (stop_ ? ", stopped" : "");
    {
        std::lock_guard lock(mutex_);
        counting_ = false;
        state_.current.clear();
        state_.summary = summary;
    }
    // A stop between two programs leaves no program to say so.
    if (stop_)
        CommandResults::instance().AppendResultsOnce("Stopped\r\n");
    return result;
}

} // namespace kestro
