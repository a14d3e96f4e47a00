// The dialogs on their own: what each starts with, what it refuses, and
// what its OK writes back.

#include "gui/dialogs/options_sheet.h"

#include "modal_steps.h"

#include <QPlainTextEdit>
#include <QRadioButton>
#include <QTabWidget>
#include <QTest>

namespace kestro {
namespace {

using namespace gui;

// A file with revisions 1.1, 1.2 and 1.1.1.1 and the releases "Beta 2" and
// "alpha"; the local site London is the master, Paris a remote site.
struct FileProject : test::ProjectFixture {
    FileProject()
    {
        file = test::AddFile(*doc->root, "a.c");
        for (const char* number : {"1.1", "1.2", "1.1.1.1"})
            file->FindOrAddRevision(number, "message", 1000);
        doc->releaseRoot->FindOrCreateRelease("Beta 2", file->FindRevision("1.2"));
        doc->releaseRoot->FindOrCreateRelease("alpha", file->FindRevision("1.1"));
        doc->siteList->Add("Paris", "paris@example.org");
    }
    bool EditOptions(std::vector<ModalSteps::Step> steps)
    {
        bool accepted = false;
        Driven(std::move(steps), [&] {
            accepted = gui::EditOptions(*doc, options, nullptr, [this] {
                ++resets;
                doc->ResetTree();
            });
        });
        return accepted;
    }
    RCSFileItem* file;
    RCSOptions& options = RCSOptions::instance();
    test::RecordingInteraction interaction;
    int resets = 0;
};

// Force overwrites or discards work, so every dialog that has it starts with
// it cleared whatever was chosen last; the revision lists hold the file's
// revisions and releases, sorted ignoring case; no check-out to another file.
TEST(Dialogs, ForceStartsClearedAndRevisionListsAreSorted)
{
    FileProject project;
    CheckinSettings checkin;
    CheckoutSettings checkout;
    ImportSettings import;
    CompareSettings compare;
    MergeSettings merge;
    checkin.force = checkout.force = import.force = true;
    checkin.item = checkout.item = compare.item = merge.item = project.file;
    const std::vector<std::tuple<std::shared_ptr<QDialog>, int, int>> dialogs = {
        // dialog, Force boxes, revision lists
        {std::make_shared<CheckinDialog>(checkin), 1, 1},
        {std::make_shared<CheckoutDialog>(checkout), 1, 1},
        {std::make_shared<ImportDialog>(import, *project.doc->siteList), 1, 0},
        {std::make_shared<CompareDialog>(compare), 0, 2},
        {std::make_shared<MergeDialog>(merge), 0, 2},
    };
    for (const auto& [dialog, forces, lists] : dialogs) {
        const std::string name = dialog->windowTitle().toStdString();
        auto* force = ByText<QCheckBox>(dialog.get(), "&Force");
        EXPECT_EQ(force != nullptr, forces == 1) << name;
        EXPECT_FALSE(force && force->isChecked()) << name;
        const auto combos = dialog->findChildren<QComboBox*>();
        ASSERT_GE(combos.size(), lists) << name;
        for (int list = 0; list < lists; ++list) {
            QStringList texts;
            for (int index = 0; index < combos[list]->count(); ++index)
                texts.append(combos[list]->itemText(index));
            EXPECT_EQ(texts, QStringList({"1.1", "1.1.1.1", "1.2", "alpha", "Beta 2"})) << name;
        }
    }
    EXPECT_FALSE(ByLabel<QLineEdit>(std::get<0>(dialogs[1]).get(), "&Check out to file")->isEnabled());
}

TEST(CheckinDialog, EnterEndsTheDialogAndCtrlEnterStartsANewLine)
{
    CheckinSettings settings;
    settings.logMessage = "line one\r\nline two";
    CheckinDialog dialog(settings);
    dialog.show();
    auto* message = ByLabel<QPlainTextEdit>(&dialog, "&Message (use Ctrl-Enter to start a new line)");
    EXPECT_EQ(message->toPlainText(), "line one\nline two");

    message->clear();
    QTest::keyClicks(message, "first");
    QTest::keyClick(message, Qt::Key_Return, Qt::ControlModifier);
    QTest::keyClicks(message, "second");
    QTest::keyClick(message, Qt::Key_Enter, Qt::ControlModifier | Qt::KeypadModifier);
    QTest::keyClicks(message, "third");
    EXPECT_TRUE(dialog.isVisible());

    QTest::keyClick(message, Qt::Key_Return);
    EXPECT_EQ(settings.logMessage, "first\nsecond\nthird");
}

TEST(MergeDialog, RefusesABlankRevisionOneAndStaysOpen)
{
    FileProject project;
    MergeSettings settings;
    settings.item = project.file;
    settings.revision2 = "old";
    MergeDialog dialog(settings);
    dialog.show();
    auto* revision1 = ByLabel<QComboBox>(&dialog, "Revision &1:");
    ByLabel<QComboBox>(&dialog, "Revision &2:")->setEditText("1.2");
    for (const QString& blank : {QString(), QString("  ")}) {
        revision1->setEditText(blank);
        Driven({Message("Revision 1 must be filled in")}, [&] { dialog.accept(); });
        EXPECT_TRUE(dialog.isVisible());
        EXPECT_EQ(settings.revision2, "old") << "a refused OK writes nothing";
    }
    revision1->setEditText("1.1.1.1");
    dialog.accept();
    EXPECT_EQ(settings.revision1, "1.1.1.1");
    EXPECT_EQ(settings.revision2, "1.2");
}

TEST(ReportDialog, AfterRevisionFollowsTheLogMessageChoices)
{
    ReportSettings settings;
    ReportDialog dialog(settings);
    auto* after = ByText<QCheckBox>(&dialog, "Revisions a&fter specified revision");
    EXPECT_TRUE(after->isEnabled()) << "enabled when the dialog opens, whatever the choice";
    for (const auto& [text, enabled] : std::vector<std::pair<QString, bool>>{
             {"&All information", false}, {"&Log messages only", true}, {"Uni&que log messages only", true},
             {"Header && &Text", false}, {"&Name only", false}}) {
        ByText<QRadioButton>(&dialog, text)->click();
        EXPECT_EQ(after->isEnabled(), enabled) << text.toStdString();
    }
}

TEST(ConfirmDeleteDialog, OffersWhatIsAvailableAndFlagsWhatIsChecked)
{
    // What is available, whether the working file is checked, and the flags
    // from OK, with "from RCS" as offered.
    for (const auto& [availability, checkWorking, flags] : std::vector<std::tuple<unsigned, bool, unsigned>>{
             {0, true, 1}, {2, false, 3}, {4, true, 5}, {6, false, 3}, {6, true, 7}}) {
        ConfirmDeleteDialog dialog("File src\\a.c", availability);
        auto* fromRcs = ByText<QCheckBox>(&dialog, "&Delete from RCS");
        auto* working = ByText<QCheckBox>(&dialog, "Delete &Working file");
        EXPECT_TRUE(fromRcs->isEnabled() == ((availability & 2) != 0) && fromRcs->isChecked() == fromRcs->isEnabled());
        EXPECT_TRUE(working->isEnabled() == ((availability & 4) != 0) && !working->isChecked()) << availability;
        working->setChecked(checkWorking);
        dialog.reject();
        EXPECT_EQ(dialog.flags(), 0u) << "a cancelled delete deletes nothing";
        dialog.accept();
        EXPECT_EQ(dialog.flags(), flags) << availability;
    }
}

TEST(FileTypes, FilterSplitsIntoLinesAndBack)
{
    const QString defaults = "C Source Files (*.c;*.cpp;*.h;*.rc)|*.c;*.cpp;*.h;*.rc|Text files (*.txt)|*.txt";
    const std::vector<std::pair<QString, QStringList>> lines = {
        {defaults, {"C Source Files\t*.c;*.cpp;*.h;*.rc", "Text files\t*.txt"}},
        {"Docs (old) (*.txt)|*.txt", {"Docs\t*.txt"}},  // only the part before the first "("
        {"Plain  \t|*.x|", {"Plain\t*.x"}},
        {"Last|", {"Last\t"}},
        {"A|*.a|no bar here", {"A\t*.a"}},  // a description without patterns is dropped
        {"", {}},
    };
    for (const auto& [filter, expected] : lines)
        EXPECT_EQ(FileTypeLines(filter), expected) << filter.toStdString();
    EXPECT_EQ(FileTypeFilter(FileTypeLines(defaults)), defaults);
    EXPECT_EQ(FileTypeFilter({"Docs\t*.txt;*.doc", "Bare"}), "Docs (*.txt;*.doc)|*.txt;*.doc|Bare ()|");
    EXPECT_EQ(FileDialogFilter(defaults.toStdString()),
              "C Source Files (*.c *.cpp *.h *.rc);;Text files (*.txt);;All Files (*)");
}

// Cancel discards every change and an OK that changed nothing leaves the
// project alone, even where its stored form differs from the one shown
// on a page never opened;
// only the time format and the order redraw the tree. A refused site name
// brings the sheet back on its page, and a cancelled retry discards it all.
TEST(OptionsSheet, StoresOnlyWhatChangedAndRedrawsOnlyForTimeAndOrder)
{
    FileProject project;
    TextTreeView view;
    SetItemView(&view);
    project.doc->InsertTreesIntoView();
    project.doc->fileTypes = "Odd|*.x|Pair (*.y)|*.y";
    const auto edit = [](const QString& site, const QString& time) {
        return Accept("Kestro Options", [=](QDialog* sheet) {
            ByLabel<QLineEdit>(sheet, "Site &Name:")->setText(site);
            ByLabel<QLineEdit>(sheet, "&Time Display Format")->setText(time);
        });
    };
    const auto onSitePage = [](QWidget* sheet) {
        EXPECT_EQ(sheet->findChild<QTabWidget*>()->currentIndex(), OptionsSheet::SiteDetailsPage);
        return Reject(sheet);
    };
    EXPECT_FALSE(project.EditOptions({edit("PARIS", "%c"), onSitePage}));
    EXPECT_FALSE(project.EditOptions({edit("a/b", "%c"), onSitePage}));
    EXPECT_EQ(project.interaction.messages.size(), 2u);
    EXPECT_TRUE(project.EditOptions({Accept("Kestro Options", [](QDialog* sheet) {
        ByText<QCheckBox>(sheet, "&Use Universal Time")->setChecked(true);
    })}));
    EXPECT_TRUE(project.options.useUniversalTime);
    EXPECT_EQ(project.options.timeFormat, "%d %b %y %H:%M:%S");
    EXPECT_TRUE(project.doc->siteList->GetLocalSite()->name == "London");
    EXPECT_EQ(project.doc->fileTypes, "Odd|*.x|Pair (*.y)|*.y");
    EXPECT_FALSE(project.doc->IsModified());
    EXPECT_EQ(project.resets, 0);

    EXPECT_TRUE(project.EditOptions({edit("  ", "%c"), edit("London", "<%Y>")}));
    EXPECT_EQ(project.resets, 1);
    EXPECT_NE(view.Render(false).find("<1970>"), std::string::npos) << view.Render(false);
    EXPECT_TRUE(project.EditOptions({Accept("Kestro Options", [](QDialog* sheet) {
        ByText<QCheckBox>(sheet, "&Sort highest revisions first")->setChecked(false);
    })}));
    EXPECT_EQ(project.resets, 2);
    EXPECT_FALSE(project.doc->IsModified()) << "global settings are not the project's";
    SetItemView(nullptr);

    // The site and the release name file are the project's.
    EXPECT_TRUE(project.EditOptions({Accept("Kestro Options", [](QDialog* sheet) {
        ByLabel<QPlainTextEdit>(sheet, "Release name file &Template (use %s for release name):")->setPlainText("%s\n");
        ByLabel<QLineEdit>(sheet, "Site &Name:")->setText("london");
    })}));
    EXPECT_EQ(project.doc->releaseNameTemplate, "%s\r\n") << "the project's line ends are kept";
    EXPECT_TRUE(project.doc->IsModified()) << "or the changes would be lost at exit";
}

} // namespace
} // namespace kestro
