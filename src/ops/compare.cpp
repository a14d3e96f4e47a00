// Compare: rcsdiff between two revisions, or between a revision (the head
// when none is given) and the working file. The differences are only shown;
// nothing in the project changes.

#include "model/command_results.h"
#include "model/file_item.h"
#include "model/options.h"
#include "model/string_helpers.h"
#include "ops/compare_capture.h"
#include "rcs/command_runner.h"

namespace kestro {

int RCSFileItem::Compare()
{
    if (!GetRcsFileStatus()) {
        CommandResults::instance().AppendResults("Cannot compare " + name + " as it has never been checked in\r\n");
        return 2;
    }
    const CompareSettings& settings = RCSOptions::instance().compare;
    std::string command = "rcsdiff";
    if (!settings.revision1.empty())
        AppendArgument(command, "-r" + MakeSymbolName(settings.revision1));
    if (!settings.revision2.empty())
        AppendArgument(command, "-r" + MakeSymbolName(settings.revision2));
    CompareCapture* capture = CompareCapture::Current();
    if (capture && capture->unified && !settings.contextDiff)
        AppendArgument(command, "-u");
    if (settings.noKeywords)
        AppendArgument(command, "-kk");
    if (settings.contextDiff)
        AppendArgument(command, "-c");
    if (settings.ignoreBlankLines)
        AppendArgument(command, "-B");
    if (settings.ignoreBlankSpace)
        AppendArgument(command, "-b");
    if (settings.ignoreCase)
        AppendArgument(command, "-i");
    if (settings.ignoreWhiteSpace)
        AppendArgument(command, "-w");
    if (settings.showCFunction)
        AppendArgument(command, "-p");
    AppendArgument(command, GetWorkingPath());
    AppendArgument(command, GetRcsPath());
    std::string output;
    const int result = RunCommand(output, command, std::string(), true);
    if (capture) {
        if (!capture->text.empty() && capture->text.back() != '\n')
            capture->text += '\n';
        capture->text += output;
    }
    return result;
}

} // namespace kestro
