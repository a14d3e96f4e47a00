// Choosing the branch that RCS checks in and out by default.

#include "model/file_item.h"
#include "model/revision_numbers.h"
#include "model/string_helpers.h"
#include "model/version_item.h"
#include "rcs/command_runner.h"

namespace kestro {

namespace {

// Runs rcs with the -b option on the file and re-reads its history, which
// moves the tip mark, when that worked.
int RunDefaultBranchCommand(RCSFileItem& file, const std::string& option)
{
    std::string command = "rcs";
    AppendArgument(command, option);
    AppendArgument(command, file.GetRcsPath());
    std::string output;
    const int result = RunCommand(output, command, "y\n", true);
    if (result == 0)
        file.Synchronise(false);
    return result;
}

} // namespace

int RCSVersionItem::SetDefaultBranch()
{
    return file ? RunDefaultBranchCommand(*file, "-b" + BranchOf(name)) : 1;
}

int RCSFileItem::ResetDefaultBranch()
{
    return RunDefaultBranchCommand(*this, "-b");
}

} // namespace kestro
