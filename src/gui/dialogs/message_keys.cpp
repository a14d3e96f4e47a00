#include "gui/dialogs/message_keys.h"

#include <QDialog>
#include <QKeyEvent>
#include <QPlainTextEdit>

namespace kestro::gui {

MessageKeys::MessageKeys(QPlainTextEdit* edit, QDialog* dialog) : QObject(edit), edit_(edit), dialog_(dialog)
{
    edit->installEventFilter(this);
}

bool MessageKeys::eventFilter(QObject* watched, QEvent* event)
{
    if (watched != edit_ || event->type() != QEvent::KeyPress)
        return false;
    const auto* key = static_cast<QKeyEvent*>(event);
    if (key->key() != Qt::Key_Return && key->key() != Qt::Key_Enter)
        return false;
    if (key->modifiers() & Qt::ControlModifier)
        edit_->insertPlainText(QStringLiteral("\n"));
    else
        dialog_->accept();
    return true;
}

} // namespace kestro::gui
