#pragma once

#include "app/user_interaction.h"

#include <string>
#include <vector>

namespace kestro::test {

// Answers the core's questions without dialogs and keeps every message.
class RecordingInteraction : public UserInteraction {
public:
    RecordingInteraction() { SetUserInteraction(this); }
    ~RecordingInteraction() override { SetUserInteraction(nullptr); }
    void ShowMessage(const std::string& text, MessageIcon) override { messages.push_back(text); }
    std::vector<std::string> messages;
};

} // namespace kestro::test
