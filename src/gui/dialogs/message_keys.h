#pragma once

#include <QObject>

class QDialog;
class QPlainTextEdit;

namespace kestro::gui {

// In a dialog's message box Enter ends the dialog with OK, as in a one-line
// field, while Ctrl+Enter starts a new line. Owned by the edit.
class MessageKeys : public QObject {
public:
    MessageKeys(QPlainTextEdit* edit, QDialog* dialog);
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    QPlainTextEdit* edit_;
    QDialog* dialog_;
};

} // namespace kestro::gui
