// The main window over the demo project: commands through their dialogs,
// the window while one runs, and a project file changed by another program.

#include "modal_steps.h"
#include "model/command_progress.h"
#include "model/command_results.h"
#include "model/user_interaction.h"
#include "rcs/command_runner.h"

#include "support/cli_runner.h"

#include <fstream>
#include <future>

namespace kestro::gui {
namespace {

using MainWindow = DemoWindowTest;

// The demo project shows with the releases above the files and a branch
// below the revision it sprouts from; a new file is checked in and the tip
// of the default branch checked out.
TEST_F(MainWindow, ShowsTheProjectChecksInANewFileAndChecksOutTheDefaultBranch)
{
    CKestroView& view = frame_->view();
    ASSERT_EQ(view.topLevelItemCount(), 2);
    EXPECT_TRUE(Node("Beta 2 ", view.topLevelItem(0)) && view.topLevelItem(1)->text(0) == "Demo");
    EXPECT_TRUE(File("src/main.c")->text(0).startsWith("src/main.c Checked in Version 1.3"));
    QTreeWidgetItem* branchBase = Revision("src/parser.c", "1.2");
    ASSERT_NE(branchBase, nullptr);
    EXPECT_TRUE(Node("1.2.1.1 20 Jan 26 11:00:00 Patch for the Paris site", branchBase));
    EXPECT_EQ(frame_->RecentFiles().value(0).toStdString(), projectPath_);

    ASSERT_EQ(File("src/lexer.c")->text(0), "src/lexer.c New file");
    Select(File("src/lexer.c"));
    QString output;
    Run(Command::Checkin, {Accept("Check in"), Results(&output)});
    EXPECT_TRUE(File("src/lexer.c")->text(0).startsWith("src/lexer.c Checked in Version 1.1"));
    EXPECT_TRUE(frame_->document().IsModified());
    frame_->UpdateCommandUI();
    EXPECT_EQ(frame_->StatusText(), "checkin complete");

    Select(File("src/parser.c"));
    Run(Command::Checkout, {Accept("Check out"), Results(&output)});
    EXPECT_TRUE(Revision("src/parser.c", "1.2.1.1")->text(0).contains(QString::fromStdString("(" + test::LoginName() + ")")));
}

// While a command runs, the window stays live: the results window shows the
// progress and may be closed early, the status bar counts the items, and the
// commands that change the project wait. At the end the status sums up.
TEST_F(MainWindow, ALongCommandKeepsTheWindowLiveAndEndsWithASummary)
{
    Select(File("src/main.c"));
    std::promise<void> release;
    std::shared_future<void> released = release.get_future().share();
    RCSRoot* root = frame_->document().root.get();
    Driven({[&](QWidget* window) {
               auto* progress = window->findChild<QLabel*>(QStringLiteral("progress"));
               if (!progress->isVisible())
                   return false;
               EXPECT_TRUE(progress->text().startsWith("1 of 4 - ")) << progress->text().toStdString();
               frame_->UpdateCommandUI();
               EXPECT_TRUE(frame_->StatusText().startsWith("Running hold: 1 of 4 - "));
               for (Command idleOnly : {Command::Checkin, Command::New, Command::Open, Command::Save, Command::Insert,
                                        Command::Freeze, Command::Options, Command::ChangeWorkingDirectory,
                                        Command::Send, Command::Receive, Command::Import, Command::EditSites})
                   EXPECT_FALSE(Enabled(idleOnly)) << static_cast<int>(idleOnly);
               EXPECT_TRUE(Enabled(Command::Output));
               EXPECT_FALSE(window->findChild<QPushButton*>(QStringLiteral("ok"))->isEnabled());
               return Reject(window);  // closed early; the command goes on
           }},
           [&] {
               frame_->dispatch().StartCommand("hold", [root, released] {
                   CommandResults::instance().CountItemOutcomes();
                   return CommandProgress::instance().ForEachChild(*root, "held", [&](RCSItem& item) {
                       released.wait();
                       return &item == root->children.back().get() ? 1 : 0;
                   });
               });
           });
    frame_->UpdateCommandUI();
    EXPECT_FALSE(Enabled(Command::Checkin));
    release.set_value();
    ASSERT_TRUE(CommandEnded());
    frame_->UpdateCommandUI();
    EXPECT_EQ(frame_->StatusText().toStdString(), "hold: 3 held, 1 failed: " + root->children.back()->name);
    EXPECT_TRUE(Enabled(Command::Checkin) && Enabled(Command::Options));
}

TEST_F(MainWindow, AProjectChangedByAnotherProgramIsNeverOverwrittenSilentlyNorLostToAFailedOpen)
{
    // The command line adds a site while the window has the project open.
    const test::CliResult cli = test::RunCli({"sites", QString::fromStdString(projectPath_), "add", "Paris"});
    ASSERT_EQ(cli.exitCode, 0) << cli.err;
    const std::string onDisk = test::ReadFile(projectPath_);
    frame_->document().SetModifiedFlag(true);
    const QString changed = "has been changed by another program";
    // Coming back to the window offers a reload, once for each version.
    Driven({Message(changed, "&No")}, [&] {
        frame_->CheckProjectOnDisk();
        frame_->CheckProjectOnDisk();
    });
    // Saving offers a reload or another name; Cancel writes nothing.
    Driven({Message(changed, "Cancel")}, [&] { EXPECT_FALSE(frame_->SaveDocument()); });
    EXPECT_TRUE(frame_->document().IsModified());
    Driven({Message(changed, "&Reload")}, [&] { EXPECT_FALSE(frame_->SaveDocument()); });
    EXPECT_NE(frame_->document().siteList->Find("Paris"), nullptr);
    EXPECT_FALSE(frame_->document().IsModified());
    EXPECT_EQ(test::ReadFile(projectPath_), onDisk);

    // A failed open keeps the open project, refused before or after it was set aside.
    const QString junk = directory_.filePath("junk.rcs");
    std::ofstream(junk.toStdString()) << "Hello, this is not a project\n";
    const QString cut = directory_.filePath("cut.rcs");
    std::ofstream(cut.toStdString(), std::ios::binary) << onDisk.substr(0, onDisk.size() / 2);
    for (const auto& [path, message] :
         {std::pair{junk, junk + " is not a Kestro project file"}, {cut, cut + " cannot be read"}}) {
        Driven({Message(message)}, [&] { EXPECT_FALSE(frame_->OpenProject(path)); });
        EXPECT_EQ(frame_->document().GetPathName(), projectPath_);
        EXPECT_EQ(frame_->document().root->children.size(), 4u);
        EXPECT_NE(File("src/main.c"), nullptr) << "the tree still shows the project";
    }
}

// A worker's question shows in a message box and the command goes on. Stop
// in the results window ends a program that hangs; closing the window while
// it runs offers to stop it, and Cancel leaves it running.
TEST_F(MainWindow, AWorkerAsksAndStopEndsAProgramThatHangsAndClosingOffersToStopIt)
{
    QString output;
    Driven({Message("asked by the worker"), Results(&output)}, [&] {
        frame_->dispatch().StartCommand("ask", [] {
            CurrentUserInteraction().ShowMessage("asked by the worker", MessageIcon::Information);
            CommandResults::instance().AppendResults("went on\r\n");
            return 0;
        });
    });
    EXPECT_EQ(output, "went on\nask complete\n");

    const auto hang = [this] {
        frame_->dispatch().StartCommand("hang", [] {
            std::string ignored;
            return RunCommand(ignored, "sleep 600", std::string(), true);
        });
    };
    int ticks = 0;
    // Stop is pressed every few ticks until the program has gone, since a
    // press before the program has started has nothing to stop.
    Driven({[&](QWidget* window) {
               if (++ticks % 10 == 0)
                   window->findChild<QPushButton*>(QStringLiteral("stop"))->click();
               return Results(&output)(window);
           }},
           hang);
    EXPECT_TRUE(output.startsWith("sleep 600")) << output.toStdString();
    EXPECT_TRUE(output.contains("\nStopped\n") && output.endsWith("hang failed\n")) << output.toStdString();
    frame_->UpdateCommandUI();
    EXPECT_EQ(frame_->StatusText(), "hang failed");

    Driven({Reject}, hang);
    frame_->show();
    const QString running = "The hang command is still running";
    Driven({Message(running, "Cancel")}, [&] { EXPECT_FALSE(frame_->close()); });
    EXPECT_TRUE(CommandLocks::instance().IsCommandRunning()) << "Cancel leaves the command running";
    Driven({Message(running, "&Stop")}, [&] { EXPECT_TRUE(frame_->close()); });
    EXPECT_FALSE(CommandLocks::instance().IsCommandRunning());
    EXPECT_NE(CommandResults::instance().Text().find("Stopped\r\n"), std::string::npos);
}

} // namespace
} // namespace kestro::gui
