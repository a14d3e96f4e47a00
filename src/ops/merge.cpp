// Merge: rcsmerge writes the differences between two revisions into the
// working file. The revisions in the project are not affected.

#include "model/command_results.h"
#include "model/file_item.h"
#include "model/options.h"
#include "model/string_helpers.h"
#include "ops/commands.h"
#include "rcs/command_runner.h"

#include <fstream>

namespace kestro {

int ConflictMarkerLine(const std::string& path)
{
    std::ifstream file(path, std::ios::binary);
    std::string line;
    for (int number = 1; std::getline(file, line); ++number) {
        if (line.ends_with('\r'))
            line.pop_back();
        for (const std::string_view marker : {"<<<<<<<", ">>>>>>>"}) {
            if (line.starts_with(marker) && (line.size() == marker.size() || line[marker.size()] == ' '))
                return number;
        }
    }
    return 0;
}

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
    const int result = RunCommand(output, command, std::string(), true);
    // rcsmerge rewrote the working file, so it no longer holds the revision
    // recorded for it, even when that happened within the same second.
    if (result == 0 || result == 1)
        recordedTime = 0;
    UpdateStatus();
    RefreshDisplay(false);
    // rcsmerge: 0 merged cleanly, 1 merged with overlaps marked in the
    // file, 2 trouble.
    if (result == 1) {
        CommandResults::instance().AppendResults(name + " : merged with conflicts\r\n");
        CommandResults::instance().NoteConflicts();
    }
    return result;
}

} // namespace kestro
