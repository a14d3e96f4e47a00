// The main window over the demo project: the tree, the commands through
// their dialogs and the results window, enabling while a command runs, and
// the routing of files handed to the program.

#include "app/command_locks.h"
#include "app/demo_project.h"
#include "app/document.h"
#include "demo_window.h"
#include "gui/application.h"
#include "gui/command_dispatch.h"
#include "gui/icons.h"
#include "gui/main_frame.h"
#include "gui/results_dialog.h"
#include "gui/tree_view.h"
#include "modal_steps.h"
#include "model/command_results.h"
#include "model/options.h"
#include "model/root_item.h"
#include "model/site_list.h"
#include "model/user_interaction.h"
#include "rcs/command_runner.h"
#include "support/test_project.h"

#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QDropEvent>
#include <QElapsedTimer>
#include <QFile>
#include <QLineEdit>
#include <QMessageBox>
#include <QMimeData>
#include <QPointer>
#include <QProcess>
#include <QPushButton>
#include <QSettings>
#include <QTemporaryDir>
#include <QThread>
#include <QTimer>

#include <gtest/gtest.h>

#include <deque>
#include <filesystem>
#include <fstream>
#include <functional>
#include <future>

namespace kestro::gui {
namespace {

class MainWindow : public DemoWindowTest {
protected:
    QTreeWidgetItem* Node(const QString& prefix, QTreeWidgetItem* below = nullptr)
    {
        CKestroView& view = frame_->view();
        view.applyPendingChanges();
        const int count = below ? Open(below)->childCount() : view.topLevelItemCount();
        for (int i = 0; i < count; ++i) {
            QTreeWidgetItem* item = below ? below->child(i) : view.topLevelItem(i);
            if (item->text(0).startsWith(prefix))
                return item;
            if (QTreeWidgetItem* found = Node(prefix, Open(item)))
                return found;
        }
        return nullptr;
    }

    // The view makes a node's children when it is first opened, as a user
    // opens it.
    static QTreeWidgetItem* Open(QTreeWidgetItem* item)
    {
        if (item)
            item->setExpanded(true);
        return item;
    }

    using DemoWindowTest::Select;
    void Select(const QString& prefix) { Select(Node(prefix)); }

    bool Enabled(Command command) { return frame_->action(command)->isEnabled(); }
};

TEST_F(MainWindow, ShowsTheDemoProjectWithTheReleasesAboveTheFiles)
{
    CKestroView& view = frame_->view();
    ASSERT_EQ(view.topLevelItemCount(), 2);
    EXPECT_EQ(view.topLevelItem(0)->text(0), "Releases");
    EXPECT_EQ(view.topLevelItem(1)->text(0), "Demo");

    QStringList releases;
    for (int i = 0; i < view.topLevelItem(0)->childCount(); ++i)
        releases << view.topLevelItem(0)->child(i)->text(0).section(QLatin1Char(' '), 0, 1);
    EXPECT_EQ(releases, QStringList({"Beta 2", "Release 1"}));

    QTreeWidgetItem* project = view.topLevelItem(1);
    ASSERT_EQ(project->childCount(), 4);
    EXPECT_TRUE(project->child(0)->text(0).startsWith("doc/readme.txt Modified"));
    EXPECT_EQ(project->child(1)->text(0), "src/lexer.c New file");
    EXPECT_TRUE(project->child(2)->text(0).startsWith("src/main.c Checked in Version 1.3"));
    EXPECT_TRUE(project->child(3)->text(0).startsWith("src/parser.c Checked in Version 1.2.1.1"));

    // A branch hangs below the revision it sprouts from.
    QTreeWidgetItem* parser = Open(project->child(3));
    ASSERT_EQ(parser->childCount(), 2);
    EXPECT_TRUE(parser->child(0)->text(0).startsWith("1.2 12 Jan 26 09:45:00"));
    EXPECT_TRUE(parser->child(1)->text(0).startsWith("1.1 "));
    ASSERT_EQ(Open(parser->child(0))->childCount(), 1);
    EXPECT_TRUE(parser->child(0)->child(0)->text(0).startsWith("1.2.1.1 20 Jan 26 11:00:00 Patch for the Paris site"));

    EXPECT_EQ(frame_->windowTitle(), "Demo - Kestro");
    EXPECT_EQ(frame_->WorkingDirectoryText().toStdString(), directory_.path().toStdString() + "/");
    EXPECT_EQ(frame_->RecentFiles().value(0).toStdString(), projectPath_);
}

TEST(StatusImages, AreDistinctFromOneAnother)
{
    std::vector<QImage> images;
    for (int code = 0; code < 13; ++code)
        images.push_back(StatusIcon(code).pixmap(16, 16).toImage());
    for (std::size_t a = 0; a < images.size(); ++a) {
        EXPECT_FALSE(images[a].isNull());
        for (std::size_t b = a + 1; b < images.size(); ++b)
            EXPECT_NE(images[a], images[b]) << "images " << a << " and " << b;
    }
}

TEST_F(MainWindow, ChecksInANewFileAndChecksOutTheDefaultBranch)
{
    Select(File("src/lexer.c"));
    ASSERT_TRUE(Enabled(Command::Checkin));
    QString output;
    Run(Command::Checkin, {Accept("Check in"), Results(&output)});
    EXPECT_TRUE(output.contains("ci ")) << output.toStdString();
    QTreeWidgetItem* lexer = File("src/lexer.c");
    ASSERT_NE(lexer, nullptr);
    EXPECT_TRUE(lexer->text(0).startsWith("src/lexer.c Checked in Version 1.1")) << lexer->text(0).toStdString();
    ASSERT_EQ(Open(lexer)->childCount(), 1);
    EXPECT_TRUE(lexer->child(0)->text(0).startsWith("1.1 "));
    EXPECT_TRUE(frame_->document().IsModified());
    frame_->UpdateCommandUI();
    EXPECT_EQ(frame_->StatusText(), "checkin complete");

    Select(File("src/parser.c"));
    Run(Command::Checkout, {Accept("Check out"), Results(&output)});
    EXPECT_TRUE(output.contains("co ")) << output.toStdString();
    QTreeWidgetItem* tip = Node("1.2.1.1 ", File("src/parser.c"));
    ASSERT_NE(tip, nullptr);
    EXPECT_TRUE(tip->text(0).contains(QString::fromStdString("(" + test::LoginName() + ")"))) << tip->text(0).toStdString();
}

TEST_F(MainWindow, CompareAndReportShowTheirOutputInTheResultsWindow)
{
    Select(File("doc/readme.txt"));
    QString output;
    // A context diff changes the output form, so it shows as plain results.
    Run(Command::Compare, {Accept("Compare Revisions",
                                  [](QDialog* dialog) {
                                      for (auto* box : dialog->findChildren<QCheckBox*>())
                                          if (box->text() == "&Context diff")
                                              box->setChecked(true);
                                  }),
                           Results(&output)});
    EXPECT_TRUE(output.contains("rcsdiff")) << output.toStdString();
    EXPECT_TRUE(output.contains(" -c ")) << output.toStdString();
    EXPECT_FALSE(frame_->document().IsModified()) << "comparing changes nothing";

    Select(File("src/main.c"));
    Run(Command::Report, {Accept("Report"), Results(&output)});
    EXPECT_TRUE(output.contains("rlog")) << output.toStdString();
    EXPECT_TRUE(output.contains("Report errors with line numbers")) << output.toStdString();

    // Save As writes the whole text, line ends and all.
    const QString saved = directory_.filePath("results.txt");
    ASSERT_TRUE(CShowResultsDlg::SaveResults(saved));
    QFile file(saved);
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    EXPECT_EQ(file.readAll().toStdString(), CommandResults::instance().Text());

    // Viewed again later, the window allows OK at once.
    QString viewed;
    Run(Command::Output, {Results(&viewed)});
    EXPECT_EQ(viewed, output);
}

TEST_F(MainWindow, CommandsWaitWhileACommandRunsEvenAfterItsWindowIsClosed)
{
    Select(File("src/main.c"));
    ASSERT_TRUE(Enabled(Command::Checkin));
    std::promise<void> release;
    std::shared_future<void> released = release.get_future().share();
    bool checked = false;
    ModalSteps driver({[&](QWidget* window) {
        auto* results = qobject_cast<CShowResultsDlg*>(window);
        EXPECT_NE(results, nullptr);
        frame_->UpdateCommandUI();
        for (Command idleOnly : {Command::Checkin, Command::New, Command::Open, Command::Save, Command::Insert,
                                 Command::Freeze, Command::Options, Command::ChangeWorkingDirectory, Command::Send,
                                 Command::Receive, Command::Import, Command::EditSites})
            EXPECT_FALSE(Enabled(idleOnly)) << static_cast<int>(idleOnly);
        EXPECT_TRUE(Enabled(Command::Output));
        EXPECT_TRUE(Enabled(Command::About));
        EXPECT_FALSE(results->findChild<QPushButton*>(QStringLiteral("ok"))->isEnabled());
        checked = true;
        results->reject();  // closed early; the command goes on
        return true;
    }});
    frame_->dispatch().StartCommand("hold", [released] {
        released.wait();
        return 0;
    });
    EXPECT_TRUE(checked);
    frame_->UpdateCommandUI();
    EXPECT_FALSE(Enabled(Command::Checkin));
    EXPECT_EQ(frame_->StatusText(), "Running hold");

    release.set_value();
    ASSERT_TRUE(WaitFor([] { return !CommandLocks::instance().IsCommandRunning(); }));
    frame_->UpdateCommandUI();
    EXPECT_EQ(frame_->StatusText(), "hold complete");
    EXPECT_TRUE(Enabled(Command::Checkin));
    EXPECT_TRUE(Enabled(Command::Options));
}

TEST_F(MainWindow, AProjectOpenedWhileACommandRunsWaitsForIt)
{
    std::ofstream(directory_.filePath("src/extra.c").toStdString()) << "int extra;\n";
    ASSERT_NE(OpenDocumentFile(*frame_, directory_.filePath("src/extra.c")), nullptr);
    ASSERT_NE(File("src/extra.c"), nullptr);

    std::promise<void> release;
    std::shared_future<void> released = release.get_future().share();
    {
        ModalSteps closeEarly({[](QWidget* window) {
            qobject_cast<QDialog*>(window)->reject();
            return true;
        }});
        frame_->dispatch().StartCommand("hold", [released] {
            released.wait();
            return 0;
        });
    }
    // The worker ends only once the window has said what it waits for.
    ModalSteps driver({[](QWidget* window) {
                           auto* box = qobject_cast<QMessageBox*>(window);
                           EXPECT_TRUE(box && box->text() == "Save changes to Demo?");
                           box->button(QMessageBox::No)->click();
                           return true;
                       },
                       Message("Waiting for hold thread to finish\nPress OK to retry", [&] { release.set_value(); })});
    EXPECT_NE(OpenDocumentFile(*frame_, QString::fromStdString(projectPath_)), nullptr);
    EXPECT_TRUE(driver.allTaken());
    // On a slow machine the worker may take more than one wait to end.
    for (const QString& extra : driver.unexpected)
        EXPECT_TRUE(extra.startsWith("Kestro: Waiting for hold thread")) << extra.toStdString();
    EXPECT_EQ(File("src/extra.c"), nullptr) << "the project was read again";
    EXPECT_NE(File("src/main.c"), nullptr);
}

TEST_F(MainWindow, AProjectChangedByAnotherProgramIsNeverOverwrittenSilently)
{
    // The command line adds a site while the window has the project open.
    QProcess cli;
    cli.start(KESTRO_CLI, {"sites", QString::fromStdString(projectPath_), "add", "Paris"});
    ASSERT_TRUE(cli.waitForFinished(60000));
    ASSERT_EQ(cli.exitCode(), 0) << cli.readAllStandardError().toStdString();
    const std::string onDisk = test::ReadFile(projectPath_);
    frame_->document().SetModifiedFlag(true);

    const auto answer = [](QMessageBox::StandardButton button) {
        return [button](QWidget* window) {
            auto* box = qobject_cast<QMessageBox*>(window);
            EXPECT_TRUE(box && box->text().contains("has been changed by another program"));
            if (box)
                box->button(button)->click();
            return true;
        };
    };
    {
        // Coming back to the window offers a reload, once for each version.
        ModalSteps declined({answer(QMessageBox::No)});
        frame_->CheckProjectOnDisk();
        frame_->CheckProjectOnDisk();
        EXPECT_TRUE(declined.allTaken());
        EXPECT_TRUE(declined.unexpected.isEmpty());
    }
    {
        // Saving offers a reload or another name; Cancel writes nothing.
        ModalSteps cancelled({answer(QMessageBox::Cancel)});
        EXPECT_FALSE(frame_->SaveDocument());
        EXPECT_TRUE(cancelled.allTaken());
        EXPECT_EQ(test::ReadFile(projectPath_), onDisk);
        EXPECT_TRUE(frame_->document().IsModified());
    }
    ModalSteps reloaded({[](QWidget* window) {
        auto* box = qobject_cast<QMessageBox*>(window);
        for (QAbstractButton* button : box->buttons()) {
            if (button->text() == "&Reload")
                button->click();
        }
        return true;
    }});
    EXPECT_FALSE(frame_->SaveDocument());
    EXPECT_TRUE(reloaded.allTaken());
    EXPECT_NE(frame_->document().siteList->Find("Paris"), nullptr);
    EXPECT_FALSE(frame_->document().IsModified());
    EXPECT_EQ(test::ReadFile(projectPath_), onDisk);
}

TEST_F(MainWindow, AWorkerAsksThroughAMessageBoxAndGoesOn)
{
    QString output;
    ModalSteps driver({Message("asked by the worker"), Results(&output)});
    frame_->dispatch().StartCommand("ask", [] {
        CurrentUserInteraction().ShowMessage("asked by the worker", MessageIcon::Information);
        CommandResults::instance().AppendResults("went on\r\n");
        return 0;
    });
    EXPECT_TRUE(driver.allTaken());
    EXPECT_EQ(output, "went on\nask complete\n");
}

TEST_F(MainWindow, StopEndsAProgramThatHangs)
{
    QString output;
    int ticks = 0;
    // Stop is pressed every few ticks until the program has gone, since a
    // press before the program has started has nothing to stop.
    ModalSteps driver({[&](QWidget* window) {
        auto* ok = window->findChild<QPushButton*>(QStringLiteral("ok"));
        if (ok->isEnabled()) {
            output = qobject_cast<CShowResultsDlg*>(window)->shownText();
            ok->click();
            return true;
        }
        if (++ticks % 10 == 0)
            window->findChild<QPushButton*>(QStringLiteral("stop"))->click();
        return false;
    }});
    int result = 0;
    frame_->dispatch().StartCommand("hang", [&result] {
        std::string programOutput;
        result = RunCommand(programOutput, "sleep 600", std::string(), true);
        return result;
    });
    EXPECT_TRUE(driver.allTaken());
    EXPECT_TRUE(output.startsWith("sleep 600")) << output.toStdString();
    EXPECT_TRUE(output.contains("\nStopped\n")) << output.toStdString();
    EXPECT_TRUE(output.endsWith("hang failed\n")) << output.toStdString();
    EXPECT_NE(result, 0);
    frame_->UpdateCommandUI();
    EXPECT_EQ(frame_->StatusText(), "hang failed");
}

TEST_F(MainWindow, ClosingWhileACommandRunsOffersToStopIt)
{
    const auto closeWindow = [](QWidget* window) {
        qobject_cast<QDialog*>(window)->reject();
        return true;
    };
    const auto answer = [](bool stop) {
        return [=](QWidget* window) {
            auto* box = qobject_cast<QMessageBox*>(window);
            if (!box)
                return false;
            EXPECT_TRUE(box->text().contains("The hang command is still running")) << box->text().toStdString();
            QAbstractButton* button = box->button(QMessageBox::Cancel);
            for (QAbstractButton* each : box->buttons()) {
                if (stop && each->text() == "&Stop")
                    button = each;
            }
            button->click();
            return true;
        };
    };
    {
        ModalSteps driver({closeWindow});
        frame_->dispatch().StartCommand("hang", [] {
            std::string output;
            return RunCommand(output, "sleep 600", std::string(), true);
        });
        EXPECT_TRUE(driver.allTaken());
    }
    frame_->show();
    ASSERT_TRUE(CommandLocks::instance().IsCommandRunning());
    {
        ModalSteps driver({answer(false)});
        EXPECT_FALSE(frame_->close());
        EXPECT_TRUE(driver.allTaken());
    }
    EXPECT_TRUE(CommandLocks::instance().IsCommandRunning()) << "Cancel leaves the command running";
    {
        ModalSteps driver({answer(true)});
        EXPECT_TRUE(frame_->close());
        EXPECT_TRUE(driver.allTaken());
        EXPECT_TRUE(driver.unexpected.isEmpty()) << driver.unexpected.join(QLatin1Char('\n')).toStdString();
    }
    EXPECT_FALSE(CommandLocks::instance().IsCommandRunning());
    EXPECT_TRUE(CommandResults::instance().Text().find("Stopped\r\n") != std::string::npos);
}

TEST_F(MainWindow, AFailedOpenKeepsTheOpenProject)
{
    CKestroDoc& doc = frame_->document();
    const std::string openPath = doc.GetPathName();
    const std::size_t files = doc.root->children.size();
    const QString junk = QString::fromStdString(directory_.filePath("junk.rcs").toStdString());
    std::ofstream(junk.toStdString()) << "Hello, this is not a project\n";
    const std::string project = test::ReadFile(projectPath_);
    const QString cut = QString::fromStdString(directory_.filePath("cut.rcs").toStdString());
    std::ofstream(cut.toStdString(), std::ios::binary) << project.substr(0, project.size() / 2);

    for (const auto& [path, message] :
         {std::pair{junk, junk + " is not a Kestro project file"}, {cut, cut + " cannot be read"}}) {
        ModalSteps driver({Message(message)});
        EXPECT_FALSE(frame_->OpenProject(path));
        EXPECT_TRUE(driver.allTaken()) << path.toStdString();
        EXPECT_EQ(doc.GetPathName(), openPath);
        EXPECT_EQ(frame_->windowTitle().toStdString(), doc.GetTitle() + " - Kestro");
        ASSERT_NE(doc.root, nullptr);
        EXPECT_EQ(doc.root->children.size(), files);
        EXPECT_NE(File("src/main.c"), nullptr) << "the tree still shows the project";
    }
}

TEST_F(MainWindow, ChangingTheTimeFormatRedrawsTheTree)
{
    Select(File("src/main.c"));
    Run(Command::Options, {Accept("Kestro Options", [](QDialog* sheet) {
            for (QLineEdit* field : sheet->findChildren<QLineEdit*>()) {
                if (field->text() == "%d %b %y %H:%M:%S")
                    field->setText("%Y-%m-%d");
            }
        })});
    QTreeWidgetItem* main = Open(File("src/main.c"));
    ASSERT_NE(main, nullptr);
    ASSERT_EQ(main->childCount(), 3);
    EXPECT_TRUE(main->child(0)->text(0).startsWith(QString::fromStdString("1.3 (" + test::LoginName() + ") 2026-02-02 ")))
        << main->child(0)->text(0).toStdString();
    EXPECT_TRUE(main->child(2)->text(0).startsWith("1.1 2026-01-05 Initial revision"));
}

TEST_F(MainWindow, DeleteAsksFirstAndRefusesRevisionsInARelease)
{
    Select(File("src/lexer.c"));
    ASSERT_TRUE(Enabled(Command::Delete));
    Run(Command::Delete, {Accept("Confirm deletion")});
    EXPECT_EQ(File("src/lexer.c"), nullptr);
    EXPECT_TRUE(std::filesystem::exists(directory_.filePath("src/lexer.c").toStdString()))
        << "the working file stays unless asked for";
    EXPECT_TRUE(frame_->document().IsModified());

    Select(Node("1.2 ", File("src/main.c")));
    Run(Command::Delete, {Message("is in use in one or more releases")});
    EXPECT_NE(Node("1.2 ", File("src/main.c")), nullptr);

    Select("Demo");
    EXPECT_FALSE(Enabled(Command::Delete)) << "the project itself cannot be deleted";
}

TEST_F(MainWindow, FilesHandedToTheProgramAreRoutedByExtension)
{
    std::ofstream(directory_.filePath("src/extra.c").toStdString()) << "int extra;\n";
    EXPECT_EQ(OpenDocumentFile(*frame_, directory_.filePath("src/extra.c")), &frame_->document());
    EXPECT_NE(File("src/extra.c"), nullptr);

    // Several files are read on the worker, with a results window.
    std::ofstream(directory_.filePath("src/one.c").toStdString()) << "int one;\n";
    std::ofstream(directory_.filePath("src/two.c").toStdString()) << "int two;\n";
    {
        QString output;
        ModalSteps driver({Results(&output)});
        frame_->dispatch().AddFiles({directory_.filePath("src/one.c"), directory_.filePath("src/two.c")});
        EXPECT_TRUE(driver.allTaken());
        EXPECT_TRUE(output.endsWith("add complete\n")) << output.toStdString();
    }
    EXPECT_TRUE(WaitFor([&] { return File("src/one.c") && File("src/two.c"); }));

    EXPECT_EQ(OpenDocumentFile(*frame_, directory_.filePath("missing.c")), nullptr);
    EXPECT_EQ(OpenDocumentFile(*frame_, directory_.filePath("src")), nullptr);

    std::ofstream(directory_.filePath("London.RCC").toStdString()) << "";
    {
        ModalSteps driver({Message("doc\\readme.txt is not checked in")});
        EXPECT_EQ(OpenDocumentFile(*frame_, directory_.filePath("London.RCC")), &frame_->document());
        EXPECT_TRUE(driver.allTaken());
    }

    // A project file dropped on the window is opened, after asking to save
    // the changed project.
    ModalSteps driver({[](QWidget* window) {
        auto* box = qobject_cast<QMessageBox*>(window);
        EXPECT_TRUE(box && box->text() == "Save changes to Demo?");
        box->button(QMessageBox::No)->click();
        return true;
    }});
    QMimeData data;
    data.setUrls({QUrl::fromLocalFile(QString::fromStdString(projectPath_))});
    QDragEnterEvent enter(QPoint(10, 10), Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(frame_.get(), &enter);
    EXPECT_TRUE(enter.isAccepted());
    QDropEvent drop(QPointF(10, 10), Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(frame_.get(), &drop);
    EXPECT_TRUE(WaitFor([&] { return driver.allTaken(); }));
    EXPECT_TRUE(WaitFor([&] { return File("src/extra.c") == nullptr; }));
    EXPECT_FALSE(frame_->document().IsModified());
}

TEST_F(MainWindow, FreezeNeedsEveryFileCheckedInAndAddsTheRelease)
{
    Run(Command::Freeze, {Message("doc\\readme.txt is not checked in")});
    EXPECT_EQ(frame_->view().topLevelItem(0)->childCount(), 2);

    QString output;
    Select(File("doc/readme.txt"));
    // Its working file was changed after its check-out, so only Force replaces it.
    Run(Command::Checkout, {Accept("Check out",
                                   [](QDialog* dialog) {
                                       for (QCheckBox* box : dialog->findChildren<QCheckBox*>()) {
                                           if (box->text() == "&Force")
                                               box->setChecked(true);
                                       }
                                   }),
                            Results(&output)});
    EXPECT_TRUE(File("doc/readme.txt")->text(0).startsWith("doc/readme.txt Checked in"));
    Select(File("src/lexer.c"));
    Run(Command::Delete, {Accept("Confirm deletion")});
    Run(Command::Freeze, {[](QWidget* window) {
            qobject_cast<QDialog*>(window)->reject();
            return true;
        }});
    EXPECT_EQ(frame_->view().topLevelItem(0)->childCount(), 2) << "a cancelled freeze makes no release";

    Run(Command::Freeze, {Accept("Freeze a release",
                                 [](QDialog* dialog) { dialog->findChild<QLineEdit*>()->setText("Gamma"); }),
                          Results(&output)});
    EXPECT_TRUE(output.contains("-NGamma:1.3")) << output.toStdString();
    QTreeWidgetItem* releases = frame_->view().topLevelItem(0);
    ASSERT_EQ(releases->childCount(), 3);
    EXPECT_TRUE(releases->child(2)->text(0).startsWith("Gamma "));
    EXPECT_EQ(Open(releases->child(2))->childCount(), 3);
}

TEST(InsertFilter, ListsEachFileTypeWithBlankSeparatedPatternsThenAllFiles)
{
    EXPECT_EQ(FileDialogFilter(RCSOptions().defaultFileTypes),
              "C Source Files (*.c *.cpp *.h *.rc);;Text files (*.txt);;All Files (*)");
}

TEST(MainWindowPosition, IsKeptUnlessAnyValueIsZero)
{
    QSettings settings(QStringLiteral("Fenwycliff"), QStringLiteral("Kestro"));
    settings.clear();
    const QRect placed(120, 90, 500, 400);
    {
        CMainFrame frame;
        frame.setGeometry(placed);
    }
    settings.sync();
    EXPECT_EQ(settings.value("Window Position/Left").toInt(), 120);
    EXPECT_EQ(settings.value("Window Position/Right").toInt(), 620);
    EXPECT_EQ(settings.value("Window Position/Bottom").toInt(), 490);
    EXPECT_FALSE(settings.value("Tool Bar").toByteArray().isEmpty());
    {
        CMainFrame frame;
        EXPECT_EQ(frame.geometry(), placed);
    }
    settings.setValue("Window Position/Left", 0);
    settings.sync();
    CMainFrame frame;
    EXPECT_NE(frame.geometry(), placed);
}

} // namespace
} // namespace kestro::gui
