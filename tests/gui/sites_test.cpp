// The remote sites dialogs over the demo project, and the owner of a
// revision changed through the window.

#include "modal_steps.h"

#include <QTreeWidget>

#include <fstream>

namespace kestro::gui {
namespace {

class Project : public DemoWindowTest {
protected:
    SiteList& sites() { return *frame_->document().siteList; }
    RCSVersionItem* ARevision()  // main.c 1.3, selected
    {
        Select(Revision("src/main.c", "1.3"));
        return dynamic_cast<RCSVersionItem*>(frame_->view().selectedItem());
    }
};

// The site dialog refuses taken and unusable names and keeps what was
// typed; the list of sites changes at once and keeps a site that owns
// revisions. A typed owner that is no site is made one only when confirmed.
TEST_F(Project, TheRemoteSitesDialogsEditTheListAtOnceAndANewOwnerNeedsAYes)
{
    RemoteSitesDialog dialog(sites(), frame_.get());
    auto* list = dialog.findChild<QTreeWidget*>();
    const auto lines = [list] {
        QStringList shown;
        for (int i = 0; i < list->topLevelItemCount(); ++i)
            shown << list->topLevelItem(i)->text(0) + " | " + list->topLevelItem(i)->text(1);
        return shown;
    };
    const auto edit = [](const QString& name, const QString& email, bool master) {
        return Accept("Edit Remote Site Details", [=](QDialog* site) {
            ByLabel<QLineEdit>(site, "&Name:")->setText(name);
            ByLabel<QLineEdit>(site, "&Email address:")->setText(email);
            ByText<QCheckBox>(site, "&Master site")->setChecked(master);
        });
    };
    auto* insert = ByText<QPushButton>(&dialog, "&Insert");
    Driven({edit("Paris", "paris@example.org", true), Reject, edit("Lyon", "", false)}, [&] {
        for (int i = 0; i < 3; ++i)
            insert->click();
    });
    EXPECT_TRUE(sites().IsMaster(sites().Find("paris")));
    // Lyon becomes master: the marker moves. Its own name in another case
    // is no conflict, and the old files it was sent are removed.
    const std::filesystem::path sent = sites().Find("Lyon")->SendDirectory();
    std::filesystem::create_directories(sent);
    std::ofstream(sent / "old.c") << "old\n";
    list->setCurrentItem(list->topLevelItem(1));
    Driven({[&](QWidget* window) {
               auto* name = ByLabel<QLineEdit>(window, "&Name:");
               for (const auto& [typed, message] : {std::pair{"PARIS", "Site PARIS already exists"},
                                                    {"a/b", "cannot name a site"}, {"  ", "cannot name a site"}}) {
                   name->setText(typed);
                   Driven({Message(message)}, [&] { qobject_cast<QDialog*>(window)->accept(); });
                   EXPECT_EQ(name->text(), typed) << "the values stay as typed";
               }
               EXPECT_TRUE(std::filesystem::exists(sent / "old.c")) << "a refusal clears nothing";
               Driven({}, [&] { edit("LYON", "lyon@example.org", true)(window); });
               return !window->isVisible() || Reject(window);
           }},
           [&] { emit list->itemDoubleClicked(list->topLevelItem(1), 0); });
    EXPECT_EQ(lines(), QStringList({"Paris | paris@example.org", "LYON (Master) | lyon@example.org"}));
    EXPECT_FALSE(std::filesystem::exists(sent / "old.c"));

    // A site owning a revision stays; the master's removal hands the master
    // back to the local site.
    ARevision()->owningSite = sites().Find("Paris");
    list->setCurrentItem(list->topLevelItem(0));
    Driven({Message("Cannot delete site Paris as there are revisions belonging to it")},
           [&] { ByText<QPushButton>(&dialog, "&Delete")->click(); });
    list->setCurrentItem(list->topLevelItem(1));
    ByText<QPushButton>(&dialog, "&Delete")->click();
    EXPECT_EQ(lines(), QStringList({"Paris | paris@example.org"}));
    EXPECT_EQ(sites().master, sites().GetLocalSite());

    // A new owner site is created only when confirmed.
    RCSVersionItem* revision = ARevision();
    Site* before = revision->owningSite;
    const auto owner = Accept("Change owner of revision",
                              [](QDialog* change) { change->findChild<QComboBox*>()->setEditText("Pariss"); });
    // A typing slip brings the dialog back; cancelling it changes nothing.
    Run(Command::ChangeOwner, {owner, Message("There is no site named Pariss", "&No"), Reject});
    EXPECT_EQ(sites().Find("Pariss"), nullptr);
    EXPECT_EQ(revision->owningSite, before);
    Run(Command::ChangeOwner, {owner, Message("There is no site named Pariss", "&Yes")});
    EXPECT_TRUE(sites().Find("Pariss") && revision->owningSite == sites().Find("Pariss"));
}

} // namespace
} // namespace kestro::gui
