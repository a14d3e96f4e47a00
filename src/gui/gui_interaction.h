#pragma once

// The core's questions and messages as real message boxes and dialogs.
// A command worker may ask too: its call is carried to the interface thread
// and waits there for the answer. That wait cannot deadlock, because the
// interface thread never waits without limit for a lock that a worker holds;
// it polls, and its message boxes and the results window keep its events
// flowing.

#include "model/user_interaction.h"

#include <QObject>

class QWidget;

namespace kestro::gui {

class GuiInteraction : public QObject, public UserInteraction {
    Q_OBJECT
public:
    // window: the parent of the boxes when no modal window is open.
    explicit GuiInteraction(QWidget* window);

    void ShowMessage(const std::string& text, MessageIcon icon) override;
    unsigned ConfirmDelete(const std::string& description, unsigned availability) override;

private:
    QWidget* parentWindow() const;

    QWidget* window_;
};

// A message box with an OK button, captioned with the program's name.
void ShowMessageBox(QWidget* parent, const QString& text, MessageIcon icon);

} // namespace kestro::gui
