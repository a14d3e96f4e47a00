#include "ops/symbol_undo.h"

#include "model/command_results.h"
#include "model/file_item.h"
#include "model/release_item.h"
#include "model/release_version_item.h"
#include "model/string_helpers.h"
#include "model/version_item.h"
#include "rcs/command_runner.h"

namespace kestro {

SymbolUndo::SymbolUndo(std::string symbol, RCSReleaseItem* before) : symbol_(std::move(symbol)), before_(before) {}

void SymbolUndo::Changed(const RCSFileItem& file, const std::string& rcsPath)
{
    if (!changedPaths_.insert(rcsPath).second)
        return;
    std::string previous;
    if (before_) {
        if (const RCSReleaseVersionItem* entry = before_->FindFileEntry(file.name); entry && entry->revisionRef)
            previous = entry->revisionRef->name;
    }
    changes_.push_back({file.name, rcsPath, std::move(previous)});
}

int SymbolUndo::Undo()
{
    int first = 0;
    for (auto it = changes_.rbegin(); it != changes_.rend(); ++it) {
        // "-Nsym" alone removes the symbol; with a revision it moves it back.
        std::string command = "rcs";
        AppendArgument(command, "-N" + symbol_ + (it->previousRevision.empty() ? "" : ":" + it->previousRevision));
        AppendArgument(command, it->rcsPath);
        std::string output;
        if (const int result = RunCommand(output, command, std::string(), true)) {
            CommandResults::instance().AppendResults(it->fileName + " : symbol " + symbol_
                                                     + " could not be put back\r\n");
            if (first == 0)
                first = result;
        }
    }
    changes_.clear();
    changedPaths_.clear();
    return first;
}

} // namespace kestro
