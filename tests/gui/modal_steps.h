#pragma once

// Drives the modal windows that a command of the main window opens while
// the test's call is blocked in them, and waits for events without hanging.

#include "gui/results_dialog.h"

#include <QAbstractButton>
#include <QApplication>
#include <QLabel>
#include <QDialog>
#include <QElapsedTimer>
#include <QMessageBox>
#include <QPointer>
#include <QPushButton>
#include <QThread>
#include <QTimer>

#include <gtest/gtest.h>

#include <deque>
#include <functional>
#include <vector>

namespace kestro::gui {

// Acts on the modal windows a command opens while the test's call is blocked
// in them: each window gets the next step, which returns true once it is done
// with the window. A window with no step left is closed and recorded, and so
// is any window still open after two minutes, so no test can hang.
class ModalSteps {
public:
    using Step = std::function<bool(QWidget*)>;

    explicit ModalSteps(std::vector<Step> steps) : steps_(steps.begin(), steps.end())
    {
        QObject::connect(&timer_, &QTimer::timeout, [this] { poll(); });
        timer_.start(10);
        started_.start();
    }
    bool allTaken() const { return steps_.empty(); }
    QStringList unexpected;

private:
    void poll()
    {
        QWidget* modal = QApplication::activeModalWidget();
        if (!modal || modal == done_)
            return;
        if (steps_.empty() || started_.hasExpired(120000)) {
            const auto* box = qobject_cast<QMessageBox*>(modal);
            unexpected << modal->windowTitle() + (box ? ": " + box->text() : QString());
            if (auto* dialog = qobject_cast<QDialog*>(modal))
                dialog->reject();
            return;
        }
        if (steps_.front()(modal)) {
            done_ = modal;
            steps_.pop_front();
        }
    }

    std::deque<Step> steps_;
    QPointer<QWidget> done_;
    QTimer timer_;
    QElapsedTimer started_;
};

inline ModalSteps::Step Accept(const QString& title, std::function<void(QDialog*)> fill = {})
{
    return [=](QWidget* window) {
        const auto* box = qobject_cast<QMessageBox*>(window);
        EXPECT_EQ(window->windowTitle().toStdString(), title.toStdString()) << (box ? box->text().toStdString() : "");
        auto* dialog = qobject_cast<QDialog*>(window);
        if (fill)
            fill(dialog);
        dialog->accept();
        return true;
    };
}

// Answers the next message box with OK; a window shown before it (the
// results window of the command that asks) is left alone meanwhile.
inline ModalSteps::Step Message(const QString& containing, std::function<void()> before = {})
{
    return [=](QWidget* window) {
        auto* box = qobject_cast<QMessageBox*>(window);
        if (!box)
            return false;
        EXPECT_TRUE(box->text().contains(containing)) << box->text().toStdString();
        if (before)
            before();
        box->accept();
        return true;
    };
}

// Waits until the results window allows OK, then takes its text and closes it.
inline ModalSteps::Step Results(QString* text)
{
    return [=](QWidget* window) {
        auto* results = qobject_cast<CShowResultsDlg*>(window);
        if (!results) {
            ADD_FAILURE() << "expected the results window, got " << window->windowTitle().toStdString();
            qobject_cast<QDialog*>(window)->reject();
            return true;
        }
        auto* ok = results->findChild<QPushButton*>(QStringLiteral("ok"));
        if (!ok->isEnabled())
            return false;
        *text = results->shownText();
        ok->click();
        return true;
    };
}

// The field a label names through its buddy; null when there is no such
// label, so a wrong label or a missing buddy fails the test.
template <class Field>
Field* ByLabel(QWidget* dialog, const QString& label)
{
    for (QLabel* candidate : dialog->findChildren<QLabel*>()) {
        if (candidate->text() == label)
            return qobject_cast<Field*>(candidate->buddy());
    }
    return nullptr;
}

template <class Button = QAbstractButton>
Button* ByText(QWidget* dialog, const QString& text)
{
    for (Button* candidate : dialog->findChildren<Button*>()) {
        if (candidate->text() == text)
            return candidate;
    }
    return nullptr;
}

// Lets events flow until the condition holds; false after a minute, so that
// a fault fails the test instead of hanging it.
inline bool WaitFor(const std::function<bool()>& condition)
{
    QElapsedTimer waited;
    waited.start();
    while (!condition()) {
        if (waited.hasExpired(60000))
            return false;
        QCoreApplication::processEvents(QEventLoop::AllEvents, 10);
        QThread::msleep(5);
    }
    return true;
}

} // namespace kestro::gui
