// Checking a revision out with co, over the working file or into another
// file.

#include "app/command_results.h"
#include "app/command_runner.h"
#include "app/document.h"
#include "model/file_item.h"
#include "model/options.h"
#include "model/rlog_scanner.h"
#include "model/string_helpers.h"

#include <filesystem>

namespace kestro {

namespace {

// Creates the directories a file is to be written in; a directory that
// cannot be made shows up when the file cannot be written.
void MakeDirectories(const std::string& path)
{
    const std::filesystem::path parent = std::filesystem::path(path).parent_path();
    if (parent.empty())
        return;
    std::error_code ignored;
    std::filesystem::create_directories(parent, ignored);
}

// The revision co names on its line "revision 1.2 (locked)". Only a line
// start counts: co's first line echoes the file names, which may hold
// "revision " too.
std::string CheckedOutRevision(const std::string& output)
{
    std::size_t position = 0;
    return ExtractField(position, "\n" + output, "\nrevision ", ";\r\n\t ", true, false);
}

bool ProjectDirectoryIsWorkingDirectory()
{
    CKestroDoc* doc = CKestroDoc::current();
    return !doc || doc->GetWorkingDirectory() == doc->GetProjectDirectory();
}

// File times count whole seconds, so an edit made in the second of the last
// check-in or check-out leaves the time as it was recorded. In that one case
// the working file is compared with its revision (keyword values aside)
// before anything may overwrite it.
bool EditedInTheSameSecond(RCSFileItem& file)
{
    if (file.recordedTime != file.workingTime || file.workingRevision.empty())
        return false;
    // rcsdiff -kk leaves the working file's keywords as they are, so a file
    // checked out with its keywords expanded matches only a plain rcsdiff,
    // and one checked out without them only rcsdiff -kk.
    for (const bool compressKeywords : {false, true}) {
        std::string command = "rcsdiff";
        AppendArgument(command, "-q");
        if (compressKeywords)
            AppendArgument(command, "-kk");
        AppendArgument(command, "-r" + file.workingRevision);
        AppendArgument(command, file.GetWorkingPath());
        AppendArgument(command, file.GetRcsPath());
        std::string output;
        if (RunCommand(output, command, std::string(), false) == 0)
            return false;
    }
    return true;
}

} // namespace

bool RCSFileItem::PrepareCheckout()
{
    RCSItem::PrepareCheckout();
    RCSOptions::instance().checkout.allowTargetFile = true;
    return true;
}

int RCSFileItem::Checkout()
{
    const CheckoutSettings& settings = RCSOptions::instance().checkout;
    CommandResults& results = CommandResults::instance();
    if (!GetRcsFileStatus()) {
        results.AppendResults("Cannot check out " + name + " as it has never been checked in\r\n");
        return 1;
    }
    const bool toWorkingFile = settings.targetFile.empty();

    // co here cannot be asked whether to overwrite a working file, so the
    // question is settled first: a working file changed since the last
    // check-in or check-out is replaced only with Force.
    bool overwrite = settings.force;
    if (toWorkingFile && !overwrite) {
        UpdateStatus();
        if (workingTime != 0 && (recordedTime < workingTime || EditedInTheSameSecond(*this))) {
            results.AppendResults(name + " : the working file has changed since it was last checked in or out"
                                         " - check out with Force to replace it\r\n");
            return 1;
        }
        overwrite = true;
    }

    std::string command = "co";
    if (overwrite)
        AppendArgument(command, "-f");
    if (settings.keepTime)
        AppendArgument(command, "-M");
    if (settings.noKeywords)
        AppendArgument(command, "-kk");
    const std::string lockOption = settings.lock ? "-l" : "-u";
    if (settings.determineRevision)
        AppendArgument(command, lockOption + "$");
    else
        AppendArgument(command, lockOption + MakeSymbolName(settings.revision));
    if (!settings.checkoutDate.empty())
        AppendArgument(command, "-d" + settings.checkoutDate);

    std::string output;
    int result;
    if (toWorkingFile) {
        if (!ProjectDirectoryIsWorkingDirectory())
            MakeDirectories(GetWorkingPath());
        AppendArgument(command, GetWorkingPath());
        AppendArgument(command, GetRcsPath());
        result = RunCommand(output, command, std::string(), true);
    } else {
        MakeDirectories(settings.targetFile);
        AppendArgument(command, "-p");
        AppendArgument(command, GetRcsPath());
        result = RunCommand(output, command, std::string(), true, settings.targetFile);
    }
    if (result != 0)
        return result;

    // A copy in another file leaves the working file, and what is recorded
    // about it, as it was; only a lock may have changed.
    if (!toWorkingFile) {
        Synchronise(true);
        return 0;
    }
    const std::string revision = CheckedOutRevision(output);
    if (!revision.empty())
        workingRevision = revision;
    UpdateStatus();
    recordedTime = workingTime;
    Synchronise(true);
    // The text shows the revision and time even when the status stays.
    RefreshDisplay(false);
    return 0;
}

} // namespace kestro
