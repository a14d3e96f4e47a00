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
    void ClearResults();
    std::string Text() const;

private:
    mutable std::mutex mutex_;
    std::string text_;
};

} // namespace kestro
