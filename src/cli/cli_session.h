#pragma once

// One command's run over a project: opens the project file, and at the end
// prints the command results and saves the project when it changed.

#include "app/document.h"
#include "app/project_lock.h"
#include "cli/cli_arguments.h"
#include "model/user_interaction.h"

#include <chrono>
#include <memory>
#include <string>

namespace kestro::cli {

// Messages go to standard error; a deletion is answered with what the
// command's options asked for.
class CommandLineInteraction : public UserInteraction {
public:
    static CommandLineInteraction& instance();
    void ShowMessage(const std::string& text, MessageIcon icon) override;
    unsigned ConfirmDelete(const std::string& description, unsigned availability) override;
    unsigned deleteAnswer = 0;
};

class Session {
public:
    // How long a command waits for another program to finish with the project.
    static inline std::chrono::seconds lockWait{60};

    // Opens the project; false (after telling why on standard error) when
    // it cannot be read. A command that may change the project first locks
    // it for the whole run, so that no other program changes it in between;
    // it refuses to run when the lock cannot be had. The path is taken
    // relative to the caller's directory, before the project's becomes
    // current.
    bool Open(const std::string& projectPath, bool changesProject = true);
    // Prints the command results, saves a modified project and returns the
    // exit status for the operation's result: 0 when it succeeded, 1 when
    // it (or the save) failed.
    int Finish(int result);

    // The directory the command was started in, ending in "/".
    const std::string& callerDirectory() const { return callerDirectory_; }

    CKestroDoc doc;

private:
    std::string path_;
    std::string callerDirectory_;
    std::unique_ptr<ProjectLock> lock_;
};

// A message on standard error; the exit status for a failed item (1) or for
// a command line that cannot be run as given (2).
int Fail(const std::string& message);
int UsageFail(const std::string& message);

// Every command: takes the parsed arguments, returns the exit status.
int CommandNew(const Arguments& args);
int CommandShow(const Arguments& args);
int CommandAdd(const Arguments& args);
int CommandSync(const Arguments& args);
int CommandDemo(const Arguments& args);
int CommandCheckin(const Arguments& args);
int CommandCheckout(const Arguments& args);
int CommandCompare(const Arguments& args);
int CommandMerge(const Arguments& args);
int CommandReport(const Arguments& args);
int CommandFreeze(const Arguments& args);
int CommandDelete(const Arguments& args);
int CommandLock(const Arguments& args);
int CommandSetDefaultBranch(const Arguments& args);
int CommandResetDefaultBranch(const Arguments& args);
int CommandOwner(const Arguments& args);
int CommandWorkdir(const Arguments& args);
int CommandSites(const Arguments& args);
int CommandSend(const Arguments& args);
int CommandReceive(const Arguments& args);
int CommandImport(const Arguments& args);
int CommandOptions(const Arguments& args);

} // namespace kestro::cli
