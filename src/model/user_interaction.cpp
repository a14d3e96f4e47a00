#include "model/user_interaction.h"

#include <atomic>
#include <cstdio>

namespace kestro {

namespace {

class StandardErrorInteraction : public UserInteraction {
public:
    void ShowMessage(const std::string& text, MessageIcon) override
    {
        std::fprintf(stderr, "%s\n", text.c_str());
    }
    // Without anyone to ask, nothing is ever deleted.
    unsigned ConfirmDelete(const std::string&, unsigned) override { return 0; }
};

std::atomic<UserInteraction*> installed{nullptr};

} // namespace

UserInteraction& CurrentUserInteraction()
{
    static StandardErrorInteraction fallback;
    UserInteraction* interaction = installed.load();
    return interaction ? *interaction : fallback;
}

void SetUserInteraction(UserInteraction* interaction)
{
    installed.store(interaction);
}

} // namespace kestro
