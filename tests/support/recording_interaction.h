#pragma once

#include "model/user_interaction.h"

#include <string>
#include <vector>

namespace kestro::test {

// Answers the core's questions without dialogs and keeps every message.
class RecordingInteraction : public UserInteraction {
public:
    RecordingInteraction() { SetUserInteraction(this); }
    ~RecordingInteraction() override { SetUserInteraction(nullptr); }
    void ShowMessage(const std::string& text, MessageIcon) override { messages.push_back(text); }
    unsigned ConfirmDelete(const std::string& description, unsigned availability) override
    {
        confirmations.push_back(description);
        offered.push_back(availability);
        return deleteAnswer;
    }
    std::vector<std::string> messages;
    std::vector<std::string> confirmations;
    std::vector<unsigned> offered;
    unsigned deleteAnswer = 0;  // what ConfirmDelete answers
};

} // namespace kestro::test
