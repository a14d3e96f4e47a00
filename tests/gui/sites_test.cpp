// The remote sites dialogs over the demo project, and sending and receiving
// releases through the window's commands.

#include "app/command_locks.h"
#include "app/demo_project.h"
#include "app/document.h"
#include "gui/application.h"
#include "gui/command_dispatch.h"
#include "gui/dialogs.h"
#include "gui/main_frame.h"
#include "gui/tree_view.h"
#include "model/options.h"
#include "model/root_item.h"
#include "model/version_item.h"
#include "model/release_root.h"
#include "demo_window.h"
#include "modal_steps.h"
#include "model/site_list.h"
#include "support/test_project.h"

#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QPlainTextEdit>
#include <QSettings>
#include <QTemporaryDir>
#include <QTimer>
#include <QTreeWidget>

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

namespace kestro::gui {
namespace {

// The field that a label with this text names.
template <typename Field>
Field* Labelled(QWidget* dialog, const QString& text)
{
    for (QLabel* label : dialog->findChildren<QLabel*>()) {
        if (label->text() == text)
            return qobject_cast<Field*>(label->buddy());
    }
    return nullptr;
}

QCheckBox* CheckBox(QWidget* dialog, const QString& text)
{
    for (QCheckBox* box : dialog->findChildren<QCheckBox*>()) {
        if (box->text() == text)
            return box;
    }
    return nullptr;
}

QPushButton* Button(QWidget* dialog, const QString& text)
{
    for (QPushButton* button : dialog->findChildren<QPushButton*>()) {
        if (button->text() == text)
            return button;
    }
    return nullptr;
}

// Fills the site dialog and ends it with OK.
ModalSteps::Step EditSite(const QString& name, const QString& email, bool master)
{
    return Accept("Edit Remote Site Details", [=](QDialog* dialog) {
        Labelled<QLineEdit>(dialog, "&Name:")->setText(name);
        Labelled<QLineEdit>(dialog, "&Email address:")->setText(email);
        CheckBox(dialog, "&Master site")->setChecked(master);
    });
}

QStringList Lines(QTreeWidget* list)
{
    QStringList lines;
    for (int i = 0; i < list->topLevelItemCount(); ++i)
        lines << list->topLevelItem(i)->text(0) + " | " + list->topLevelItem(i)->text(1);
    return lines;
}

class Sites : public DemoWindowTest {
protected:
    SiteList& sites() { return *frame_->document().siteList; }

    // A revision of the project.
    RCSVersionItem* ARevision()
    {
        std::vector<RCSItem*> pending{frame_->document().root.get()};
        while (!pending.empty()) {
            RCSItem* item = pending.back();
            pending.pop_back();
            if (auto* revision = dynamic_cast<RCSVersionItem*>(item))
                return revision;
            for (auto& child : item->children)
                pending.push_back(child.get());
        }
        return nullptr;
    }

    void Run(Command command, std::vector<ModalSteps::Step> steps)
    {
        ModalSteps driver(std::move(steps));
        frame_->action(command)->trigger();
        EXPECT_TRUE(driver.allTaken());
        EXPECT_TRUE(driver.unexpected.isEmpty()) << driver.unexpected.join(QLatin1Char('\n')).toStdString();
        frame_->view().applyPendingChanges();
    }

    void SelectFile(const QString& name)
    {
        frame_->view().applyPendingChanges();
        QTreeWidgetItem* project = frame_->view().topLevelItem(1);
        for (int i = 0; project && i < project->childCount(); ++i) {
            if (project->child(i)->text(0).startsWith(name + " ")) {
                frame_->view().setCurrentItem(project->child(i));
                frame_->UpdateCommandUI();
                return;
            }
        }
        ADD_FAILURE() << "no file " << name.toStdString();
    }

    // Every file checked in, so that releases can be sent: the changed file
    // is checked out again over its changes and the new one taken out.
    void MakeFreezable()
    {
        QString output;
        SelectFile("doc/readme.txt");
        Run(Command::Checkout,
            {Accept("Check out", [](QDialog* dialog) { CheckBox(dialog, "&Force")->setChecked(true); }), Results(&output)});
        SelectFile("src/lexer.c");
        Run(Command::Delete, {Accept("Confirm deletion")});
    }

};

TEST_F(Sites, TheSiteDialogRefusesTakenAndUnusableNamesAndClearsTheSendDirectory)
{
    ASSERT_NE(sites().Add("Paris", "paris@example.org"), nullptr);
    Site* lyon = sites().Add("Lyon", "");
    ASSERT_NE(lyon, nullptr);
    const std::filesystem::path sendDirectory = lyon->SendDirectory();
    ASSERT_FALSE(sendDirectory.empty());
    std::filesystem::create_directories(sendDirectory);
    std::ofstream(sendDirectory / "old.c") << "old\n";

    EditSiteDialog dialog(sites(), *lyon);
    auto* name = Labelled<QLineEdit>(&dialog, "&Name:");
    ASSERT_NE(name, nullptr);
    for (const auto& [typed, message] : {std::pair{"PARIS", "Site PARIS already exists"}, {"a/b", "cannot name a site"},
                                         {"  ", "cannot name a site"}}) {
        name->setText(typed);
        ModalSteps driver({Message(message)});
        dialog.accept();
        EXPECT_TRUE(driver.allTaken()) << typed;
        EXPECT_NE(dialog.result(), QDialog::Accepted) << typed;
        EXPECT_EQ(name->text(), typed) << "the values stay as typed";
    }
    EXPECT_EQ(lyon->name, "Lyon");
    EXPECT_TRUE(std::filesystem::exists(sendDirectory / "old.c")) << "a refused edit clears nothing";

    // Its own name in another case is no conflict.
    name->setText("LYON");
    Labelled<QLineEdit>(&dialog, "&Email address:")->setText("lyon@example.org");
    ASSERT_TRUE(CheckBox(&dialog, "&Remove old \"Send release\" files")->isChecked());
    dialog.accept();
    EXPECT_EQ(dialog.result(), QDialog::Accepted);
    EXPECT_EQ(lyon->name, "LYON");
    EXPECT_EQ(lyon->emailAddress, "lyon@example.org");
    EXPECT_FALSE(std::filesystem::exists(sendDirectory / "old.c"));
}

TEST_F(Sites, TheRemoteSitesDialogChangesTheListAtOnce)
{
    RemoteSitesDialog dialog(sites(), frame_.get());
    auto* list = dialog.findChild<QTreeWidget*>();
    ASSERT_NE(list, nullptr);
    EXPECT_TRUE(Lines(list).isEmpty()) << "the local site is not listed";

    {
        ModalSteps driver({EditSite("Paris", "paris@example.org", true)});
        Button(&dialog, "&Insert")->click();
        EXPECT_TRUE(driver.allTaken());
    }
    {
        ModalSteps driver({[](QWidget* window) {
            qobject_cast<QDialog*>(window)->reject();
            return true;
        }});
        Button(&dialog, "&Insert")->click();
        EXPECT_TRUE(driver.allTaken());
    }
    EXPECT_EQ(Lines(list), QStringList({"Paris (Master) | paris@example.org"})) << "a cancelled insert adds nothing";
    EXPECT_TRUE(sites().IsMaster(sites().Find("paris")));

    {
        ModalSteps driver({EditSite("Lyon", "", false)});
        Button(&dialog, "&Insert")->click();
        EXPECT_TRUE(driver.allTaken());
    }
    // Lyon becomes master: the marker moves, and a double-click edits too.
    list->setCurrentItem(list->topLevelItem(1));
    {
        ModalSteps driver({EditSite("Lyon", "lyon@example.org", true)});
        emit list->itemDoubleClicked(list->topLevelItem(1), 0);
        EXPECT_TRUE(driver.allTaken());
    }
    EXPECT_EQ(Lines(list), QStringList({"Paris | paris@example.org", "Lyon (Master) | lyon@example.org"}));

    // A site owning a revision stays; the master's removal hands the master
    // back to the local site.
    ARevision()->owningSite = sites().Find("Paris");
    list->setCurrentItem(list->topLevelItem(0));
    {
        ModalSteps driver({Message("Cannot delete site Paris as there are revisions belonging to it")});
        Button(&dialog, "&Delete")->click();
        EXPECT_TRUE(driver.allTaken());
    }
    list->setCurrentItem(list->topLevelItem(1));
    Button(&dialog, "&Delete")->click();
    EXPECT_EQ(Lines(list), QStringList({"Paris | paris@example.org"}));
    EXPECT_EQ(sites().Find("Lyon"), nullptr);
    EXPECT_EQ(sites().master, sites().GetLocalSite());
}

TEST_F(Sites, ANewMasterTakesOverEveryRevision)
{
    Site* paris = sites().Add("Paris", "");
    ASSERT_NE(paris, nullptr);
    frame_->document().SetModifiedFlag(false);
    Run(Command::EditSites, {[&](QWidget* window) {
            EXPECT_EQ(window->windowTitle(), "Remote sites");
            sites().SetMaster(paris);
            qobject_cast<QDialog*>(window)->accept();
            return true;
        }});
    EXPECT_EQ(ARevision()->owningSite, paris);
    EXPECT_TRUE(frame_->document().IsModified());
}

TEST_F(Sites, AReleaseSentFromOneProjectIsReceivedByAnother)
{
    // Not while a file is not checked in.
    Run(Command::Send, {Message("is not checked in")});

    // Here the new file joins the project and a release holding it is sent.
    QString output;
    SelectFile("src/lexer.c");
    Run(Command::Checkin, {Accept("Check in"), Results(&output)});
    SelectFile("doc/readme.txt");
    Run(Command::Checkout,
        {Accept("Check out", [](QDialog* dialog) { CheckBox(dialog, "&Force")->setChecked(true); }), Results(&output)});
    Run(Command::Freeze, {Accept("Freeze a release",
                                 [](QDialog* dialog) { dialog->findChild<QLineEdit*>()->setText("Gamma"); }),
                          Results(&output)});
    Run(Command::Send, {Accept("Send release to remote site",
                               [](QDialog* dialog) {
                                   Labelled<QComboBox>(dialog, "&Destination site:")->setEditText("Paris");
                                   auto* release = Labelled<QComboBox>(dialog, "&Release to send:");
                                   release->setCurrentIndex(release->findText("Gamma"));
                               }),
                        Results(&output)});
    const std::string commandFile = sites().Find("Paris")->SendDirectory() + sites().GetLocalSite()->name + ".RCC";
    ASSERT_TRUE(std::filesystem::exists(commandFile)) << output.toStdString();

    // The other project has the same history, without the new file.
    QTemporaryDir other;
    std::string otherPath;
    // A new window for it, as the builder's document must not meet the
    // window's.
    frame_.reset();
    {
        CKestroDoc builder;
        std::string error;
        ASSERT_TRUE(BuildDemoProject(builder, other.path().toStdString(), otherPath, error)) << error;
    }
    frame_ = std::make_unique<CMainFrame>();
    ASSERT_TRUE(frame_->OpenProject(QString::fromStdString(otherPath)));
    ASSERT_TRUE(WaitFor([] { return !CommandLocks::instance().IsRefreshPending(); }));
    MakeFreezable();
    ASSERT_EQ(frame_->document().root->FindFile("src\\lexer.c"), nullptr);
    // A receive replaces only working files that may be written.
    for (const char* file : {"src/main.c", "src/parser.c", "doc/readme.txt"})
        std::filesystem::permissions(other.filePath(file).toStdString(), std::filesystem::perms::owner_write,
                                     std::filesystem::perm_options::add);

    // Handed to the program, the command file is refused when cancelled and
    // otherwise received on the worker, whose output the results window shows.
    CKestroDoc& doc = frame_->document();
    const QString received = QString::fromStdString(commandFile);
    {
        ModalSteps driver({[](QWidget* window) {
            qobject_cast<QDialog*>(window)->reject();
            return true;
        }});
        EXPECT_EQ(OpenDocumentFile(*frame_, received), &doc);
        EXPECT_TRUE(driver.allTaken());
    }
    EXPECT_EQ(doc.releaseRoot->FindRelease("Gamma"), nullptr);
    {
        ModalSteps driver({Accept("Receive release"), Results(&output)});
        EXPECT_EQ(OpenDocumentFile(*frame_, received), &doc);
        EXPECT_TRUE(driver.allTaken());
    }
    ASSERT_TRUE(WaitFor([] { return !CommandLocks::instance().IsCommandRunning(); }));
    frame_->UpdateCommandUI();
    EXPECT_EQ(frame_->StatusText(), "release complete");
    EXPECT_NE(doc.releaseRoot->FindRelease("Gamma"), nullptr) << output.toStdString();
    EXPECT_NE(doc.root->FindFile("src\\lexer.c"), nullptr) << output.toStdString();

    ModalSteps driver({Message(QString::fromStdString(projectPath_) + " does not appear to be a Kestro command file")});
    frame_->dispatch().ReceiveCommandFile(QString::fromStdString(projectPath_));
    EXPECT_TRUE(driver.allTaken());
}

TEST_F(Sites, ADirectoryTreeIsImportedAsARelease)
{
    MakeFreezable();
    QTemporaryDir delivery;
    std::filesystem::create_directories(delivery.filePath("src").toStdString());
    std::ofstream(delivery.filePath("src/main.c").toStdString()) << "int main(void) { return 7; }\n";
    for (const char* file : {"src/main.c", "src/parser.c", "doc/readme.txt"})
        std::filesystem::permissions(directory_.filePath(file).toStdString(), std::filesystem::perms::owner_write,
                                     std::filesystem::perm_options::add);

    QString output;
    Run(Command::Import, {Accept("Import release",
                                 [&](QDialog* dialog) {
                                     Labelled<QComboBox>(dialog, "&Source site:")->setEditText("Rome");
                                     Labelled<QLineEdit>(dialog, "Source &Directory:")->setText(delivery.path());
                                     Labelled<QLineEdit>(dialog, "&Release name:")->setText("Delivered");
                                     CheckBox(dialog, "&Include subdirectories")->setChecked(true);
                                 }),
                          Results(&output)});
    ASSERT_TRUE(WaitFor([] { return !CommandLocks::instance().IsCommandRunning(); }));
    CKestroDoc& doc = frame_->document();
    ASSERT_NE(doc.releaseRoot->FindRelease("Delivered"), nullptr) << output.toStdString();
    EXPECT_NE(sites().Find("Rome"), nullptr);
    std::ifstream imported(directory_.filePath("src/main.c").toStdString());
    std::string text((std::istreambuf_iterator<char>(imported)), std::istreambuf_iterator<char>());
    EXPECT_EQ(text, "int main(void) { return 7; }\n");
}

TEST_F(Sites, ForceStartsClearedEachTimeAndAReceiveLeavesTheUsersSettingsAlone)
{
    RCSOptions& options = RCSOptions::instance();
    options.checkin.force = true;
    options.checkout.force = true;
    options.import.force = true;
    {
        CheckinDialog checkin(options.checkin);
        EXPECT_FALSE(CheckBox(&checkin, "&Force")->isChecked());
        CheckoutDialog checkout(options.checkout);
        EXPECT_FALSE(CheckBox(&checkout, "&Force")->isChecked());
        ImportDialog import(options.import, sites());
        EXPECT_FALSE(CheckBox(&import, "&Force")->isChecked());
    }

    // A receive, even one refused, checks in with settings of its own.
    MakeFreezable();
    options.checkin.force = false;
    options.checkin.lock = true;
    options.checkin.logMessage = "my message";
    options.receive.lock = false;
    const std::string commandFile = directory_.filePath("Paris.RCC").toStdString();
    std::ofstream(commandFile) << "not a command file\r\n";
    QString output;
    {
        ModalSteps driver({Accept("Receive release"), Results(&output)});
        frame_->dispatch().ReceiveCommandFile(QString::fromStdString(commandFile));
        EXPECT_TRUE(driver.allTaken());
    }
    ASSERT_TRUE(WaitFor([] { return !CommandLocks::instance().IsCommandRunning(); }));
    frame_->UpdateCommandUI();
    EXPECT_EQ(frame_->StatusText(), "release failed") << output.toStdString();
    EXPECT_TRUE(output.endsWith("release failed\n")) << output.toStdString();
    EXPECT_FALSE(options.checkin.force);
    EXPECT_TRUE(options.checkin.lock);
    EXPECT_EQ(options.checkin.logMessage, "my message");

    SelectFile("src/main.c");
    bool seen = false;
    Run(Command::Checkin, {[&](QWidget* window) {
            auto* dialog = qobject_cast<QDialog*>(window);
            EXPECT_FALSE(CheckBox(dialog, "&Force")->isChecked());
            EXPECT_TRUE(CheckBox(dialog, "&Lock")->isChecked());
            EXPECT_EQ(dialog->findChild<QLabel*>(QStringLiteral("target"))->text(), "Check in: src/main.c");
            EXPECT_EQ(QApplication::focusWidget(), dialog->findChild<QPlainTextEdit*>());
            seen = true;
            dialog->reject();
            return true;
        }});
    EXPECT_TRUE(seen);
}

TEST_F(Sites, SendRefusesEmptyFieldsAndAFailedSendSaysSo)
{
    MakeFreezable();
    // The dialog stays open until the release to send is chosen.
    Run(Command::Send, {[](QWidget* window) {
                            auto* dialog = qobject_cast<QDialog*>(window);
                            Labelled<QComboBox>(dialog, "&Destination site:")->setEditText("Paris");
                            Labelled<QComboBox>(dialog, "&Release to send:")->setCurrentIndex(-1);
                            // Its refusal opens a message box of its own, once this step is done.
                            QTimer::singleShot(0, dialog, [dialog] { dialog->accept(); });
                            return true;
                        },
                        Message("The release to send must be given"),
                        [](QWidget* window) {
                            EXPECT_EQ(window->windowTitle(), "Send release to remote site");
                            qobject_cast<QDialog*>(window)->reject();
                            return true;
                        }});
    EXPECT_EQ(sites().Find("Paris"), nullptr);

    Site* paris = sites().Add("Paris", "");
    ASSERT_NE(paris, nullptr);
    paris->sendCommand = "false";
    QString output;
    Run(Command::Send, {Accept("Send release to remote site",
                               [](QDialog* dialog) {
                                   Labelled<QComboBox>(dialog, "&Destination site:")->setEditText("Paris");
                                   Labelled<QComboBox>(dialog, "&Release to send:")->setCurrentIndex(0);
                               }),
                        Results(&output)});
    ASSERT_TRUE(WaitFor([] { return !CommandLocks::instance().IsCommandRunning(); }));
    frame_->UpdateCommandUI();
    EXPECT_EQ(frame_->StatusText(), "send failed") << output.toStdString();
}

TEST_F(Sites, ANewOwnerSiteIsCreatedOnlyWhenConfirmed)
{
    RCSVersionItem* revision = ARevision();
    ASSERT_NE(revision, nullptr);
    Site* before = revision->owningSite;
    frame_->view().applyPendingChanges();
    frame_->view().setCurrentItem(frame_->view().widgetItem(revision->treeItem));
    frame_->UpdateCommandUI();
    const auto owner = [](const QString& name) {
        return Accept("Change owner of revision",
                      [=](QDialog* dialog) { dialog->findChild<QComboBox*>()->setEditText(name); });
    };
    const auto answer = [](QMessageBox::StandardButton button) {
        return [=](QWidget* window) {
            auto* box = qobject_cast<QMessageBox*>(window);
            if (!box)
                return false;
            EXPECT_TRUE(box->text().contains("There is no site named Pariss")) << box->text().toStdString();
            box->button(button)->click();
            return true;
        };
    };
    // A typing slip brings the dialog back; cancelling it changes nothing.
    Run(Command::ChangeOwner, {owner("Pariss"), answer(QMessageBox::No), [](QWidget* window) {
                                   qobject_cast<QDialog*>(window)->reject();
                                   return true;
                               }});
    EXPECT_EQ(sites().Find("Pariss"), nullptr);
    EXPECT_EQ(revision->owningSite, before);

    Run(Command::ChangeOwner, {owner("Pariss"), answer(QMessageBox::Yes)});
    ASSERT_NE(sites().Find("Pariss"), nullptr);
    EXPECT_EQ(revision->owningSite, sites().Find("Pariss"));
}

} // namespace
} // namespace kestro::gui
