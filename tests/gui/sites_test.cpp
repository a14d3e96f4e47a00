// The remote sites dialogs over the demo project, and the settings that the
// send, receive and owner commands take through their dialogs.

#include "app/command_locks.h"
#include "app/demo_project.h"
#include "app/document.h"
#include "demo_window.h"
#include "gui/application.h"
#include "gui/command_dispatch.h"
#include "gui/dialogs.h"
#include "gui/main_frame.h"
#include "gui/tree_view.h"
#include "modal_steps.h"
#include "model/options.h"
#include "model/release_root.h"
#include "model/root_item.h"
#include "model/site_list.h"
#include "model/version_item.h"
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

// Fills the site dialog and ends it with OK.
ModalSteps::Step EditSite(const QString& name, const QString& email, bool master)
{
    return Accept("Edit Remote Site Details", [=](QDialog* dialog) {
        ByLabel<QLineEdit>(dialog, "&Name:")->setText(name);
        ByLabel<QLineEdit>(dialog, "&Email address:")->setText(email);
        ByText<QCheckBox>(dialog, "&Master site")->setChecked(master);
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

    // Every file checked in, so that releases can be sent: the changed file
    // is checked out again over its changes and the new one taken out.
    void MakeFreezable()
    {
        QString output;
        Select(File("doc/readme.txt"));
        Run(Command::Checkout,
            {Accept("Check out", [](QDialog* dialog) { ByText<QCheckBox>(dialog, "&Force")->setChecked(true); }), Results(&output)});
        Select(File("src/lexer.c"));
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
    auto* name = ByLabel<QLineEdit>(&dialog, "&Name:");
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
    ByLabel<QLineEdit>(&dialog, "&Email address:")->setText("lyon@example.org");
    ASSERT_TRUE(ByText<QCheckBox>(&dialog, "&Remove old \"Send release\" files")->isChecked());
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
        ByText<QPushButton>(&dialog, "&Insert")->click();
        EXPECT_TRUE(driver.allTaken());
    }
    {
        ModalSteps driver({[](QWidget* window) {
            qobject_cast<QDialog*>(window)->reject();
            return true;
        }});
        ByText<QPushButton>(&dialog, "&Insert")->click();
        EXPECT_TRUE(driver.allTaken());
    }
    EXPECT_EQ(Lines(list), QStringList({"Paris (Master) | paris@example.org"})) << "a cancelled insert adds nothing";
    EXPECT_TRUE(sites().IsMaster(sites().Find("paris")));

    {
        ModalSteps driver({EditSite("Lyon", "", false)});
        ByText<QPushButton>(&dialog, "&Insert")->click();
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
        ByText<QPushButton>(&dialog, "&Delete")->click();
        EXPECT_TRUE(driver.allTaken());
    }
    list->setCurrentItem(list->topLevelItem(1));
    ByText<QPushButton>(&dialog, "&Delete")->click();
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

TEST_F(Sites, ForceStartsClearedEachTimeAndAReceiveLeavesTheUsersSettingsAlone)
{
    RCSOptions& options = RCSOptions::instance();
    options.checkin.force = true;
    options.checkout.force = true;
    options.import.force = true;
    {
        CheckinDialog checkin(options.checkin);
        EXPECT_FALSE(ByText<QCheckBox>(&checkin, "&Force")->isChecked());
        CheckoutDialog checkout(options.checkout);
        EXPECT_FALSE(ByText<QCheckBox>(&checkout, "&Force")->isChecked());
        ImportDialog import(options.import, sites());
        EXPECT_FALSE(ByText<QCheckBox>(&import, "&Force")->isChecked());
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

    Select(File("src/main.c"));
    bool seen = false;
    Run(Command::Checkin, {[&](QWidget* window) {
            auto* dialog = qobject_cast<QDialog*>(window);
            EXPECT_FALSE(ByText<QCheckBox>(dialog, "&Force")->isChecked());
            EXPECT_TRUE(ByText<QCheckBox>(dialog, "&Lock")->isChecked());
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
                            ByLabel<QComboBox>(dialog, "&Destination site:")->setEditText("Paris");
                            ByLabel<QComboBox>(dialog, "&Release to send:")->setCurrentIndex(-1);
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
                                   ByLabel<QComboBox>(dialog, "&Destination site:")->setEditText("Paris");
                                   ByLabel<QComboBox>(dialog, "&Release to send:")->setCurrentIndex(0);
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
