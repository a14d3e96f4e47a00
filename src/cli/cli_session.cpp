#include "cli/cli_session.h"

#include "cli/prepared_heap.h"
#include "model/command_results.h"
#include "model/paths.h"

#include <iostream>

namespace kestro::cli {

CommandLineInteraction& CommandLineInteraction::instance()
{
    static CommandLineInteraction interaction;
    return interaction;
}

void CommandLineInteraction::ShowMessage(const std::string& text, MessageIcon)
{
    std::string shown = text;
    // Message boxes break lines with CR LF; a terminal wants LF alone.
    for (std::size_t at = shown.find("\r\n"); at != std::string::npos; at = shown.find("\r\n", at))
        shown.erase(at, 1);
    std::cerr << shown << "\n";
}

unsigned CommandLineInteraction::ConfirmDelete(const std::string&, unsigned availability)
{
    if (!(deleteAnswer & 1))
        return 0;
    return 1 | (deleteAnswer & availability & 6u);
}

int Fail(const std::string& message)
{
    std::cerr << "kestro-cli: " << message << "\n";
    return 1;
}

int UsageFail(const std::string& message)
{
    Fail(message);
    return 2;
}

bool Session::Open(const std::string& projectPath, bool changesProject)
{
    callerDirectory_ = CurrentDirectory();
    path_ = FullPath(projectPath);
    std::string error;
    if (changesProject) {
        lock_ = std::make_unique<ProjectLock>(path_);
        if (lock_->Acquire(lockWait, error) != ProjectLock::Result::Locked) {
            Fail(error);
            return false;
        }
    }
    CommandResults::instance().ClearResults();
    PrepareHeapForProject(path_);
    if (!doc.OnOpenDocument(path_, error)) {
        Fail(error);
        return false;
    }
    return true;
}

int Session::Finish(int result)
{
    const std::string results = CommandResults::instance().Text();
    std::cout << results;
    if (doc.IsModified()) {
        std::string error;
        if (!doc.OnSaveDocument(path_, error))
            return Fail(error);
    }
    return result == 0 ? 0 : 1;
}

} // namespace kestro::cli
