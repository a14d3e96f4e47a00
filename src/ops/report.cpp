// Report: rlog's account of a file, shown whole or condensed to the log
// messages. Its output also refreshes the file's revisions and releases.

#include "model/command_results.h"
#include "model/file_item.h"
#include "model/options.h"
#include "model/string_helpers.h"
#include "rcs/command_runner.h"
#include "rcs/rlog_resolve.h"

#include <algorithm>
#include <string_view>

namespace kestro {

namespace {

constexpr std::string_view EntrySeparator = "----------------------------";
constexpr std::string_view EndSeparator = "============================";

bool AtLineStart(std::string_view text, std::size_t at)
{
    return at == 0 || text[at - 1] == '\n';
}

// rlog starts each revision entry with a line of exactly 28 hyphens; a log
// message may hold longer lines of hyphens, which must not split it.
bool IsEntrySeparator(std::string_view text, std::size_t at)
{
    if (!AtLineStart(text, at) || text.substr(at, EntrySeparator.size()) != EntrySeparator)
        return false;
    const std::size_t next = at + EntrySeparator.size();
    return next < text.size() && (text[next] == '\n' || text[next] == '\r');
}

std::size_t FindEntrySeparator(std::string_view text, std::size_t from)
{
    for (std::size_t at = text.find(EntrySeparator, from); at != std::string_view::npos;
         at = text.find(EntrySeparator, at + 1)) {
        if (IsEntrySeparator(text, at))
            return at;
    }
    return std::string_view::npos;
}

// The line of "=" that ends rlog's report of one file.
std::size_t FindEndSeparator(std::string_view text, std::size_t from)
{
    for (std::size_t at = text.find(EndSeparator, from); at != std::string_view::npos;
         at = text.find(EndSeparator, at + 1)) {
        if (AtLineStart(text, at))
            return at;
    }
    return std::string_view::npos;
}

std::size_t FindSeparator(std::string_view text, std::size_t from)
{
    const std::size_t entry = FindEntrySeparator(text, from);
    return entry != std::string_view::npos ? entry : FindEndSeparator(text, from);
}

// Removes the last revision entry. rlog lists a range newest first, so with
// "-r1.5:" that is the entry of 1.5 itself.
void DropLastEntry(std::string& text)
{
    std::size_t last = std::string::npos;
    for (std::size_t at = FindEntrySeparator(text, 0); at != std::string::npos;
         at = FindEntrySeparator(text, at + 1))
        last = at;
    if (last == std::string::npos)
        return;
    const std::size_t end = FindEndSeparator(text, last);
    text.erase(last, end == std::string::npos ? std::string::npos : end - last);
}

// Cuts rlog's header off, leaving the revision entries; skipStart also
// leaves out the revision the range starts from.
void TrimLogReport(std::string& text, bool skipStart)
{
    const std::size_t first = FindSeparator(text, 0);
    if (first == std::string::npos) {
        text.clear();
        return;
    }
    text.erase(0, first);
    if (skipStart)
        DropLastEntry(text);
}

bool DropLine(std::string_view& text)
{
    const std::size_t end = text.find('\n');
    if (end == std::string_view::npos)
        return false;
    text.remove_prefix(end + 1);
    return true;
}

// Lists each entry's log message unless an earlier file of the same command
// already listed it.
void AppendUniqueMessages(std::string_view report)
{
    while (!report.empty()) {
        // The separator, "revision" and "date:" lines.
        if (!DropLine(report) || !DropLine(report) || !DropLine(report))
            return;
        // A revision with branches lists them before its message.
        if (report.starts_with("branches: ") && !DropLine(report))
            return;
        const std::size_t end = std::min(FindSeparator(report, 0), report.size());
        const std::string_view message = report.substr(0, end);
        report.remove_prefix(end);
        if (!message.empty())
            CommandResults::instance().AppendResultsOnce(std::string(EntrySeparator) + "\r\n" + std::string(message));
    }
}

} // namespace

int RCSFileItem::Report()
{
    if (!GetRcsFileStatus()) {
        CommandResults::instance().AppendResults("Cannot report on " + name + " as it has never been checked in\r\n");
        return 1;
    }
    const ReportSettings& settings = RCSOptions::instance().report;
    std::string command = "rlog";
    if (settings.lockedOnly) {
        AppendArgument(command, "-L");
        if (!settings.users.empty())
            AppendArgument(command, "-l" + settings.users);
    } else if (!settings.users.empty()) {
        AppendArgument(command, "-w" + settings.users);
    }
    bool messagesMode = false;
    bool uniqueMode = false;
    switch (settings.information) {
    case 1: AppendArgument(command, "-R"); break;
    case 2: AppendArgument(command, "-h"); break;
    case 3: AppendArgument(command, "-t"); break;
    case 4: messagesMode = true; break;
    case 5: messagesMode = uniqueMode = true; break;
    default: break;
    }
    if (!settings.symbolicNames)
        AppendArgument(command, "-N");
    if (!settings.dates.empty())
        AppendArgument(command, "-d" + settings.dates);
    if (!settings.states.empty())
        AppendArgument(command, "-s" + settings.states);
    if (!settings.revisions.empty()) {
        std::string revisions = MakeSymbolName(settings.revisions);
        if (settings.afterRevision && revisions.find(':') == std::string::npos)
            revisions += ':';
        AppendArgument(command, "-r" + revisions);
    }
    AppendArgument(command, GetRcsPath());

    std::string output;
    const int result = RunCommand(output, command, std::string(), !messagesMode);
    if (result == 0) {
        // Output that lists only some revisions cannot tell which is the tip.
        const bool narrowed = settings.lockedOnly || !settings.revisions.empty() || !settings.dates.empty()
                              || !settings.users.empty() || !settings.states.empty();
        std::string rebuilt;
        if (const std::string* resolved = ResolveRlogOutput(*this, output, rebuilt))
            ParseRlog(*resolved, false, nullptr, !narrowed);
    }
    if (messagesMode) {
        if (result == 0)
            TrimLogReport(output, settings.afterRevision && !settings.revisions.empty());
        if (uniqueMode && result == 0)
            AppendUniqueMessages(output);
        else
            CommandResults::instance().AppendResults(name + ":\r\n" + output);
    }
    return result;
}

} // namespace kestro
