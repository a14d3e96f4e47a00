#include "rcs/rlog_resolve.h"

#include "model/command_results.h"
#include "model/file_item.h"
#include "model/string_helpers.h"
#include "rcs/command_runner.h"
#include "rcs/rlog_layout.h"

#include <algorithm>
#include <string_view>
#include <vector>

namespace kestro {

namespace {

int RunRlog(const RCSFileItem& file, const std::string& option, std::string& output)
{
    std::string command = "rlog";
    AppendArgument(command, option);
    AppendArgument(command, file.GetRcsPath());
    return RunCommand(output, command, std::string(), false);
}

void ReportUnreadable(const RCSFileItem& file)
{
    CommandResults::instance().AppendResults(
        file.name + " : its log messages hold lines that rlog prints between revisions, and its history could not be "
                    "read one revision at a time; its revisions are left as they were\r\n");
}

} // namespace

const std::string* ResolveRlogOutput(const RCSFileItem& file, const std::string& output, std::string& rebuilt)
{
    const RlogLayout layout = ScanRlogLayout(output);
    if (IsUnambiguous(layout))
        return &output;
    // Every real block is among the candidates; the text of a message can
    // only add blocks that look real.
    std::vector<std::string> candidates;
    for (const RlogBlock& block : layout.blocks) {
        if (IsRevisionNumber(block.number)
            && std::find(candidates.begin(), candidates.end(), block.number) == candidates.end())
            candidates.push_back(block.number);
    }
    SortAsRlogLists(candidates);

    std::string withDescription, description;
    const std::size_t descriptionLine = output.find("\ndescription:\n");
    if (descriptionLine == std::string::npos || RunRlog(file, "-t", withDescription) != 0
        || !DescriptionOf(withDescription, description)) {
        ReportUnreadable(file);
        return nullptr;
    }
    rebuilt = output.substr(0, descriptionLine + 1) + "description:\n";
    for (const std::string& number : candidates) {
        std::string single, block;
        if (RunRlog(file, "-r" + number, single) != 0) {
            ReportUnreadable(file);
            return nullptr;
        }
        if (SingleRevisionBlock(single, description, number, block))
            rebuilt += block;
    }
    rebuilt += std::string(77, '=') + "\n";
    if (!IsUnambiguous(ScanRlogLayout(rebuilt))) {
        ReportUnreadable(file);
        return nullptr;
    }
    CommandResults::instance().AppendResults(file.name
                                             + " : its log messages hold lines that rlog prints between revisions; "
                                               "its revisions were read one at a time\r\n");
    return &rebuilt;
}

} // namespace kestro
