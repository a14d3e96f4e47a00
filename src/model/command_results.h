#pragma once

// The command results: one growing text that the programs' echoed command
// lines and output go into while a command runs. Any thread may append; the
// window polls it and the command line prints it.

#include <mutex>
#include <string>
#include <string_view>

namespace kestro {

class CommandResults {
public:
    static CommandResults& instance();

    void AppendResults(std::string_view text);
    // Appends unless the results already hold the text anywhere.
    void AppendResultsOnce(std::string_view text);
    // Empties the text and the counts below, for a new command.
    void ClearResults();
    std::string Text() const;

    // From now until the results are cleared, CountOutcome counts: set by a
    // command on a selected item, whose files or entries are what the user
    // asked for, and not by commands that run others on the way.
    void CountItemOutcomes();
    // Counts one file or entry of a command over many as done (0) or failed.
    void CountOutcome(int result);
    // A merge left conflicts marked in a working file.
    void NoteConflicts();
    // What the command named did, from its result and the counts: "merged
    // with conflicts", "N done, M failed" for a command over several items
    // when the counts agree with the result, else " complete" or " failed".
    std::string Summary(const std::string& commandName, int result) const;
    // Ends the results with the summary of a command that has finished and
    // keeps it for LastSummary.
    void Finish(const std::string& commandName, int result);
    std::string LastSummary() const;

private:
    mutable std::mutex mutex_;
    std::string text_;
    int done_ = 0;
    int failed_ = 0;
    bool counting_ = false;
    bool conflicts_ = false;
    std::string lastSummary_;
};

} // namespace kestro
