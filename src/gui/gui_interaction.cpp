#include "gui/gui_interaction.h"

#include "gui/dialogs.h"

#include <QApplication>
#include <QMessageBox>
#include <QThread>
#include <QWidget>

namespace kestro::gui {

namespace {

QMessageBox::Icon BoxIcon(MessageIcon icon)
{
    switch (icon) {
    case MessageIcon::Information:
        return QMessageBox::Information;
    case MessageIcon::Warning:
        return QMessageBox::Warning;
    case MessageIcon::Stop:
        return QMessageBox::Critical;
    case MessageIcon::None:
        break;
    }
    return QMessageBox::NoIcon;
}

// Runs f on the object's thread and returns its result; from any other
// thread the caller waits until the interface thread has run it.
template <typename F>
auto OnThreadOf(QObject* object, F f)
{
    if (QThread::currentThread() == object->thread())
        return f();
    decltype(f()) result{};
    QMetaObject::invokeMethod(object, f, Qt::BlockingQueuedConnection, &result);
    return result;
}

} // namespace

void ShowMessageBox(QWidget* parent, const QString& text, MessageIcon icon)
{
    QMessageBox box(BoxIcon(icon), QStringLiteral("Kestro"), QString(text).replace(QStringLiteral("\r\n"), QStringLiteral("\n")),
                    QMessageBox::Ok, parent);
    box.exec();
}

GuiInteraction::GuiInteraction(QWidget* window) : window_(window) {}

QWidget* GuiInteraction::parentWindow() const
{
    // Over the results window when a command shows it, so the box is seen.
    if (QWidget* modal = QApplication::activeModalWidget())
        return modal;
    return window_;
}

void GuiInteraction::ShowMessage(const std::string& text, MessageIcon icon)
{
    OnThreadOf(this, [&] {
        ShowMessageBox(parentWindow(), QString::fromStdString(text), icon);
        return true;
    });
}

unsigned GuiInteraction::ConfirmDelete(const std::string& description, unsigned availability)
{
    return OnThreadOf(this, [&]() -> unsigned {
        ConfirmDeleteDialog dialog(QString::fromStdString(description), availability, parentWindow());
        return dialog.exec() == QDialog::Accepted ? dialog.flags() : 0u;
    });
}

} // namespace kestro::gui
