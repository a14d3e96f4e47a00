// Moving the project's working files to another directory.

#include "app/working_directory.h"

#include "app/document.h"
#include "model/file_item.h"
#include "model/root_item.h"
#include "model/user_interaction.h"

namespace kestro {

bool ChangeWorkingDirectory(CKestroDoc& doc, const std::string& directory)
{
    const std::string previous = doc.GetWorkingDirectory();
    if (!doc.SetWorkingDirectory(directory, true)) {
        CurrentUserInteraction().ShowMessage("Cannot change directory to " + directory, MessageIcon::Warning);
        return false;
    }
    if (doc.GetWorkingDirectory() == previous || !doc.root)
        return true;
    // The recorded times belong to the files in the old directory; kept, they
    // would pass a different file there as checked in.
    for (auto& child : doc.root->children) {
        if (auto* file = dynamic_cast<RCSFileItem*>(child.get())) {
            file->recordedTime = 0;
            file->UpdateStatus();
            file->RefreshDisplay(false);
        }
    }
    return true;
}

} // namespace kestro
