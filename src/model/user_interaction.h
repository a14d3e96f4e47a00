#pragma once

// How the core asks the user something. The desktop program answers with
// real dialogs; the command line and the tests answer without them.

#include <string>

namespace kestro {

enum class MessageIcon { None, Information, Warning, Stop };

class UserInteraction {
public:
    virtual ~UserInteraction() = default;
    // A message box with an OK button.
    virtual void ShowMessage(const std::string& text, MessageIcon icon) = 0;
    // Asks to confirm a deletion. availability: bit 2 allows deleting from
    // RCS, bit 4 deleting the working file. Returns 0 when cancelled, else
    // 1 + 2 (delete from RCS) + 4 (delete the working file).
    virtual unsigned ConfirmDelete(const std::string& description, unsigned availability) = 0;
};

// The interaction in force: the one set last, or one that writes messages to
// standard error when none is set.
UserInteraction& CurrentUserInteraction();
void SetUserInteraction(UserInteraction* interaction);

} // namespace kestro
