#pragma once

// How far the running command has got over the items it works through, and
// whether the user asked it to stop. The command worker reports, the window
// polls; a command stops after the item at hand, so every finished item
// stays recorded.

#include <atomic>
#include <functional>
#include <mutex>
#include <string>
#include <vector>

namespace kestro {

class RCSItem;

class CommandProgress {
public:
    struct State {
        int done = 0;    // items finished
        int total = 0;   // 0 while no loop over items runs
        std::string current;  // the item at hand
        std::string summary;  // the last loop's summary line, once it ended
    };

    static CommandProgress& instance();

    // At the start of each command: no count, no stop.
    void Reset();
    State Get() const;
    void RequestStop() { stop_ = true; }
    bool StopRequested() const { return stop_; }

    // Runs run on every child of item, in order, and returns the results
    // or-ed together. The outermost loop of a command counts the children
    // for the progress and the command's outcome, and leaves its summary,
    // "N <verb>, M failed" naming the files that failed; "Stopped" goes into
    // the results when the user stopped it. Loops inside it only run.
    int ForEachChild(RCSItem& item, const char* verb, const std::function<int(RCSItem&)>& run);
    // As ForEachChild, for commands that run one program over many items:
    // groups holds every item once, run gets a group and returns one result
    // per member. Progress advances and a stop is honoured between groups.
    using Group = std::vector<RCSItem*>;
    int ForEachGroup(const char* verb, const std::vector<Group>& groups,
                     const std::function<std::vector<int>(const Group&)>& run);

private:
    mutable std::mutex mutex_;
    State state_;
    bool counting_ = false;  // an outermost loop runs
    std::atomic<bool> stop_{false};
};

// "N of M - FILE" for the item at hand, or "N of M" between items.
std::string ProgressText(const CommandProgress::State& state);

} // namespace kestro
