#pragma once

// What the window tests share: a driver for the modal windows a call opens,
// finders for fields, a window opened on a fresh demo project, and the
// headers most of them need.

#include "app/command_locks.h"
#include "app/demo_project.h"
#include "gui/command_dispatch.h"
#include "gui/dialogs.h"
#include "gui/main_frame.h"
#include "gui/results_dialog.h"
#include "gui/tree_view.h"
#include "model/item_view.h"
#include "support/recording_interaction.h"
#include "support/test_project.h"

#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QLineEdit>
#include <QElapsedTimer>
#include <QLabel>
#include <QMessageBox>
#include <QPointer>
#include <QPushButton>
#include <QSettings>
#include <QTemporaryDir>
#include <QThread>
#include <QTimer>

#include <gtest/gtest.h>

#include <deque>
#include <filesystem>
#include <functional>

namespace kestro::gui {

// Each modal window opened while the test's call is blocked in it gets the
// next step, which returns true once done with it. A window with no step
// left, or open for two minutes, is closed and recorded: no test can hang.
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
        if (busy_ || !modal || !modal->isVisible() || (modal == done_ && !started_.hasExpired(120000)))
            return;
        if (steps_.empty() || started_.hasExpired(120000)) {
            const auto* box = qobject_cast<QMessageBox*>(modal);
            unexpected << modal->windowTitle() + (box ? ": " + box->text() : QString());
            if (auto* dialog = qobject_cast<QDialog*>(modal))
                dialog->reject();
            return;
        }
        busy_ = true;  // a step may open windows of its own and drive them
        const bool done = steps_.front()(modal);
        busy_ = false;
        if (done) {
            done_ = modal->isVisible() ? modal : nullptr;  // it may be shown again at once
            steps_.pop_front();
        }
    }

    std::deque<Step> steps_;
    QPointer<QWidget> done_;
    bool busy_ = false;
    QTimer timer_;
    QElapsedTimer started_;
};

// Runs the call, its modal windows taken by the steps: all used, none over.
inline void Driven(std::vector<ModalSteps::Step> steps, const std::function<void()>& call)
{
    ModalSteps driver(std::move(steps));
    call();
    EXPECT_TRUE(driver.allTaken());
    EXPECT_TRUE(driver.unexpected.isEmpty()) << driver.unexpected.join(QLatin1Char('\n')).toStdString();
}

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

// Checks the title, lets fill change the dialog, and ends it with OK.
inline ModalSteps::Step Accept(const QString& title, std::function<void(QDialog*)> fill = {})
{
    return [=](QWidget* window) {
        EXPECT_EQ(window->windowTitle().toStdString(), title.toStdString());
        auto* dialog = qobject_cast<QDialog*>(window);
        if (fill)
            fill(dialog);
        dialog->accept();
        return true;
    };
}

inline bool Reject(QWidget* window)
{
    qobject_cast<QDialog*>(window)->reject();
    return true;
}

// Answers the next message box, which must say the text, with the button
// named (OK when none is); a results window shown before it is left alone.
inline ModalSteps::Step Message(const QString& containing, const QString& answer = {})
{
    return [=](QWidget* window) {
        auto* box = qobject_cast<QMessageBox*>(window);
        if (!box)
            return false;
        EXPECT_TRUE(box->text().contains(containing)) << box->text().toStdString();
        QAbstractButton* button = answer.isEmpty() ? nullptr : ByText(box, answer);
        EXPECT_TRUE(answer.isEmpty() || button) << answer.toStdString();
        button ? button->click() : box->accept();
        return true;
    };
}

// Waits until the results window allows OK, then takes its text and closes it.
inline ModalSteps::Step Results(QString* text)
{
    return [=](QWidget* window) {
        auto* results = qobject_cast<CShowResultsDlg*>(window);
        EXPECT_TRUE(results) << "expected the results window, got " << window->windowTitle().toStdString();
        if (!results)
            return Reject(window);
        auto* ok = results->findChild<QPushButton*>(QStringLiteral("ok"));
        if (!ok->isEnabled())
            return false;
        *text = results->shownText();
        ok->click();
        return true;
    };
}

// Lets events flow until the condition holds; false after a minute.
inline bool WaitFor(const std::function<bool()>& condition)
{
    QElapsedTimer waited;
    waited.start();
    while (!condition()) {
        if (waited.hasExpired(60000))
            return false;
        QCoreApplication::processEvents(QEventLoop::AllEvents, 10);
        QThread::msleep(2);
    }
    return true;
}

inline bool CommandEnded()
{
    return WaitFor([] { return !CommandLocks::instance().IsCommandRunning(); });
}

class DemoWindowTest : public testing::Test {
protected:
    void SetUp() override
    {
        previous_ = std::filesystem::current_path();
        QSettings(QStringLiteral("Fenwycliff"), QStringLiteral("Kestro")).clear();
        test::ResetOptions();
        RCSOptions::instance().userName = test::LoginName();
        SetItemView(nullptr);
        {
            CKestroDoc builder;
            std::string error;
            ASSERT_TRUE(BuildDemoProject(builder, directory_.path().toStdString(), projectPath_, error)) << error;
        }
        frame_ = std::make_unique<CMainFrame>();
        ASSERT_TRUE(frame_->OpenProject(QString::fromStdString(projectPath_)));
        // The refresh pass after the open holds the tree now and then.
        ASSERT_TRUE(WaitFor([] { return !CommandLocks::instance().IsRefreshPending(); }));
    }

    void TearDown() override
    {
        frame_.reset();
        std::filesystem::current_path(previous_);
    }

    void Run(Command command, std::vector<ModalSteps::Step> steps)
    {
        Driven(std::move(steps), [&] { frame_->action(command)->trigger(); });
        frame_->view().applyPendingChanges();
    }

    // The first node below the given one whose text starts with prefix,
    // deeper down too when asked; nodes are opened, as the view makes
    // their children then.
    QTreeWidgetItem* Node(const QString& prefix, QTreeWidgetItem* below, bool deep = false)
    {
        below->setExpanded(true);
        frame_->view().applyPendingChanges();
        for (int i = 0; i < below->childCount(); ++i) {
            if (below->child(i)->text(0).startsWith(prefix))
                return below->child(i);
        }
        for (int i = 0; deep && i < below->childCount(); ++i) {
            if (QTreeWidgetItem* found = Node(prefix, below->child(i), true))
                return found;
        }
        return nullptr;
    }

    QTreeWidgetItem* File(const QString& name) { return Node(name + " ", frame_->view().topLevelItem(1)); }

    QTreeWidgetItem* Revision(const QString& file, const QString& number)
    {
        QTreeWidgetItem* node = File(file);
        return node ? Node(number + " ", node, true) : nullptr;
    }

    void Select(QTreeWidgetItem* node)
    {
        ASSERT_NE(node, nullptr);
        frame_->view().setCurrentItem(node);
        frame_->UpdateCommandUI();
    }

    bool Enabled(Command command) { return frame_->action(command)->isEnabled(); }

    std::filesystem::path previous_;
    QTemporaryDir directory_;
    std::string projectPath_;
    std::unique_ptr<CMainFrame> frame_;
};

} // namespace kestro::gui
