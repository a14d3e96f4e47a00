// Locking and unlocking a revision in RCS.

#include "model/file_item.h"
#include "model/options.h"
#include "model/string_helpers.h"
#include "model/version_item.h"
#include "rcs/command_runner.h"

namespace kestro {

int RCSVersionItem::SetLocked(bool locked)
{
    if (!file)
        return 1;
    std::string command = "rcs";
    AppendArgument(command, (locked ? "-l" : "-u") + name);
    AppendArgument(command, file->GetRcsPath());
    std::string output;
    const int result = RunCommand(output, command, "y\n", true);
    if (result != 0)
        return result;
    const bool tip = StatusCode() == Tip || StatusCode() == LockedTip;
    if (locked)
        SetStatusCode(tip ? LockedTip : LockedRevision);
    else
        SetStatusCode(tip ? Tip : Revision);
    locker = locked ? RCSOptions::instance().userName : std::string();
    RefreshDisplay(false);
    return 0;
}

} // namespace kestro
