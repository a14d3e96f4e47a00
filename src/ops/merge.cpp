// Merge: rcsmerge writes the differences between two revisions into the
// working file. The revisions in the project are not affected.

#include "app/command_results.h"
#include "app/command_runner.h"
#include "model/file_item.h"
#include "model/options.h"
#include "model/string_helpers.h"

namespace kestro {

int RCSFileItem::Merge()
{
    if (!GetRcsFileStatus()) {
        CommandResults::instance().AppendResults("Cannot merge " + name + " as it has never been checked in\r\n");
        return 1;
    }
    const MergeSettings& settings = RCSOptions::instance().merge;
    std::string command = "rcsmerge";
    if (!settings.revision1.empty())
        AppendArgument(command, "-r" + MakeSymbolName(settings.revision1));
    if (!settings.revision2.empty())
        AppendArgument(command, "-r" + MakeSymbolName(settings.revision2));
    if (settings.ignoreKeywords)
        AppendArgument(command, "-kk");
    AppendArgument(command, GetWorkingPath());
    AppendArgument(command, GetRcsPath());
    std::string output;
    return RunCommand(output, command, std::string(), true);
}

} // namespace kestro
