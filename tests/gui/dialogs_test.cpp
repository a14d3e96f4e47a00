#include "gui/app_icon.h"
#include "gui/dialogs.h"
#include "gui/dialogs/options_sheet.h"

#include "app/text_tree_view.h"
#include "modal_steps.h"
#include "model/file_item.h"
#include "model/release_item.h"
#include "model/release_root.h"
#include "model/root_item.h"
#include "model/site_list.h"
#include "model/version_item.h"
#include "support/recording_interaction.h"
#include "support/test_project.h"

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QSettings>
#include <QTabWidget>
#include <QTest>
#include <QTimer>
#include <QTreeWidget>

#include <gtest/gtest.h>

#include <functional>
#include <vector>

namespace kestro {
namespace {

using gui::ByLabel;
using gui::ByText;
using gui::OptionsSheet;

QStringList ComboTexts(const QComboBox* combo)
{
    QStringList texts;
    for (int index = 0; index < combo->count(); ++index)
        texts.append(combo->itemText(index));
    return texts;
}

// Drives the modal dialogs of one type that the code under test shows: each
// showing gets the next action, which must close the dialog. A showing with
// no action left is rejected and fails the test, so no test can hang.
template <class Dialog>
class ModalDriver {
public:
    using Action = std::function<void(Dialog*)>;

    explicit ModalDriver(std::vector<Action> actions) : actions_(std::move(actions))
    {
        QObject::connect(&timer_, &QTimer::timeout, [this] { poll(); });
        timer_.start(5);
    }
    ~ModalDriver() { EXPECT_EQ(next_, actions_.size()) << "a dialog was not shown"; }

private:
    void poll()
    {
        auto* dialog = qobject_cast<Dialog*>(QApplication::activeModalWidget());
        if (!dialog || !dialog->isVisible() || dialog == handled_)
            return;
        timer_.stop();
        if (next_ < actions_.size()) {
            actions_[next_++](dialog);
        } else {
            ADD_FAILURE() << "an unexpected dialog was shown";
            dialog->reject();
        }
        // The code under test may show the same dialog again at once.
        handled_ = dialog->isVisible() ? dialog : nullptr;
        timer_.start(5);
    }

    std::vector<Action> actions_;
    std::size_t next_ = 0;
    Dialog* handled_ = nullptr;
    QTimer timer_;
};

// A project with one file that has revisions 1.1, 1.2 and 1.1.1.1 and the
// releases "Beta 2" and "alpha".
struct FileProject : test::ProjectFixture {
    FileProject()
    {
        auto created = std::make_unique<RCSFileItem>("a.c", doc->root.get());
        file = created.get();
        doc->root->AddChild(std::move(created));
        for (const char* number : {"1.1", "1.2", "1.1.1.1"})
            file->FindOrAddRevision(number, "message", 1000);
        doc->releaseRoot->FindOrCreateRelease("Beta 2", file->FindRevision("1.2"));
        doc->releaseRoot->FindOrCreateRelease("alpha", file->FindRevision("1.1"));
    }
    RCSFileItem* file;
};

const QStringList SortedChoices = {"1.1", "1.1.1.1", "1.2", "alpha", "Beta 2"};

// The icon the desktop shows for the program, at every size installed.
TEST(AboutDialog, ShowsTheProgramsIconAndTheVersionItPrints)
{
    const QList<QSize> sizes = gui::ApplicationIcon().availableSizes();
    for (const int side : {16, 22, 24, 32, 48, 64, 128, 256})
        EXPECT_TRUE(sizes.contains(QSize(side, side))) << side;

    gui::AboutDialog about;
    QStringList texts;
    bool pictured = false;
    for (const QLabel* label : about.findChildren<QLabel*>()) {
        texts.append(label->text());
        pictured = pictured || !label->pixmap().isNull();
    }
    EXPECT_TRUE(texts.contains(QStringLiteral("Kestro Version " KESTRO_VERSION))) << texts.join('|').toStdString();
    EXPECT_TRUE(pictured);
}

TEST(CheckinDialog, ShowsTheSettingsAndWritesThemBack)
{
    FileProject project;
    CheckinSettings settings;
    settings.item = project.file;
    settings.revision = "1.2";
    settings.logMessage = "line one\r\nline two";
    gui::CheckinDialog dialog(settings);

    auto* revision = ByLabel<QComboBox>(&dialog, "&Revision:");
    ASSERT_NE(revision, nullptr);
    EXPECT_TRUE(revision->isEditable());
    EXPECT_EQ(ComboTexts(revision), SortedChoices) << "revisions and releases, sorted ignoring case";
    EXPECT_EQ(revision->currentText(), "1.2");
    auto* message = ByLabel<QPlainTextEdit>(&dialog, "&Message (use Ctrl-Enter to start a new line)");
    ASSERT_NE(message, nullptr);
    EXPECT_EQ(message->toPlainText(), "line one\nline two");
    auto* lock = ByText<QCheckBox>(&dialog, "&Lock");
    auto* force = ByText<QCheckBox>(&dialog, "&Force");
    auto* determine = ByText<QCheckBox>(&dialog, "&Determine revision from source file");
    auto* keepTime = ByText<QCheckBox>(&dialog, "&Keep original file time");
    ASSERT_TRUE(lock && force && determine && keepTime);
    EXPECT_TRUE(lock->isChecked());
    EXPECT_FALSE(force->isChecked() || determine->isChecked() || keepTime->isChecked());

    revision->setEditText("1.1.1");
    lock->setChecked(false);
    force->setChecked(true);
    determine->setChecked(true);
    keepTime->setChecked(true);
    message->setPlainText("fixed");
    dialog.accept();
    EXPECT_EQ(settings.revision, "1.1.1");
    EXPECT_FALSE(settings.lock);
    EXPECT_TRUE(settings.force && settings.determineRevision && settings.keepTime);
    EXPECT_EQ(settings.logMessage, "fixed");
}

TEST(CheckinDialog, EnterEndsTheDialogAndCtrlEnterStartsANewLine)
{
    CheckinSettings settings;
    gui::CheckinDialog dialog(settings);
    dialog.show();
    auto* message = dialog.findChild<QPlainTextEdit*>();
    ASSERT_NE(message, nullptr);

    QTest::keyClicks(message, "first");
    QTest::keyClick(message, Qt::Key_Return, Qt::ControlModifier);
    QTest::keyClicks(message, "second");
    QTest::keyClick(message, Qt::Key_Enter, Qt::ControlModifier | Qt::KeypadModifier);
    QTest::keyClicks(message, "third");
    EXPECT_TRUE(dialog.isVisible());
    EXPECT_EQ(settings.logMessage, "") << "nothing is written before OK";

    QTest::keyClick(message, Qt::Key_Return);
    EXPECT_FALSE(dialog.isVisible());
    EXPECT_EQ(dialog.result(), QDialog::Accepted);
    EXPECT_EQ(settings.logMessage, "first\nsecond\nthird");
}

TEST(CheckoutDialog, TargetFileOnlyWhenAllowedAndWriteBack)
{
    FileProject project;
    CheckoutSettings settings;
    settings.item = project.file;
    settings.checkoutDate = "2024/01/02";
    {
        gui::CheckoutDialog dialog(settings);
        auto* target = ByLabel<QLineEdit>(&dialog, "&Check out to file");
        ASSERT_NE(target, nullptr);
        EXPECT_FALSE(target->isEnabled());
    }
    settings.allowTargetFile = true;
    gui::CheckoutDialog dialog(settings);
    auto* revision = ByLabel<QComboBox>(&dialog, "&Revision:");
    auto* date = ByLabel<QLineEdit>(&dialog, "&Date");
    auto* target = ByLabel<QLineEdit>(&dialog, "&Check out to file");
    auto* noKeywords = ByText<QCheckBox>(&dialog, "No &Keyword substitution");
    ASSERT_TRUE(revision && date && target && noKeywords);
    EXPECT_TRUE(target->isEnabled());
    EXPECT_EQ(ComboTexts(revision), SortedChoices);
    EXPECT_EQ(date->text(), "2024/01/02");

    revision->setEditText("alpha");
    date->setText("");
    target->setText("old.c");
    noKeywords->setChecked(true);
    ByText<QCheckBox>(&dialog, "&Lock")->setChecked(false);
    dialog.accept();
    EXPECT_EQ(settings.revision, "alpha");
    EXPECT_EQ(settings.checkoutDate, "");
    EXPECT_EQ(settings.targetFile, "old.c");
    EXPECT_TRUE(settings.noKeywords);
    EXPECT_FALSE(settings.lock);
}

TEST(CompareDialog, BothListsAndEveryOptionWriteBack)
{
    FileProject project;
    CompareSettings settings;
    settings.item = project.file;
    settings.revision2 = "1.1";
    gui::CompareDialog dialog(settings);
    auto* revision1 = ByLabel<QComboBox>(&dialog, "Revision &1:");
    auto* revision2 = ByLabel<QComboBox>(&dialog, "Revision &2:");
    ASSERT_TRUE(revision1 && revision2);
    EXPECT_EQ(ComboTexts(revision1), SortedChoices);
    EXPECT_EQ(ComboTexts(revision2), SortedChoices);
    EXPECT_EQ(revision1->currentText(), "");
    EXPECT_EQ(revision2->currentText(), "1.1");

    const QStringList options = {"&Ignore case",       "Ignore &White space", "Ignore &Blank space",
                                 "Ignore blank &Lines", "&Context diff",      "&Show C function",
                                 "No &Keyword substitution"};
    for (const QString& text : options) {
        auto* box = ByText<QCheckBox>(&dialog, text);
        ASSERT_NE(box, nullptr) << text.toStdString();
        EXPECT_FALSE(box->isChecked());
        box->setChecked(true);
    }
    revision1->setEditText("1.2");
    dialog.accept();
    EXPECT_EQ(settings.revision1, "1.2");
    EXPECT_TRUE(settings.ignoreCase && settings.ignoreWhiteSpace && settings.ignoreBlankSpace
                && settings.ignoreBlankLines && settings.contextDiff && settings.showCFunction
                && settings.noKeywords);
}

TEST(MergeDialog, RefusesAnEmptyRevisionOneAndStaysOpen)
{
    FileProject project;
    MergeSettings settings;
    settings.item = project.file;
    settings.revision2 = "old";
    gui::MergeDialog dialog(settings);
    dialog.show();
    auto* revision1 = ByLabel<QComboBox>(&dialog, "Revision &1:");
    auto* revision2 = ByLabel<QComboBox>(&dialog, "Revision &2:");
    auto* keywords = ByText<QCheckBox>(&dialog, "&Ignore differences in RCS keywords");
    ASSERT_TRUE(revision1 && revision2 && keywords);
    EXPECT_EQ(ComboTexts(revision1), SortedChoices);
    revision2->setEditText("1.2");
    keywords->setChecked(true);

    for (const QString& blank : {QString(), QString("  ")}) {
        revision1->setEditText(blank);
        QString shown;
        QMessageBox::Icon icon = QMessageBox::NoIcon;
        {
            ModalDriver<QMessageBox> box({[&](QMessageBox* message) {
                shown = message->text();
                icon = message->icon();
                message->accept();
            }});
            dialog.accept();
        }
        EXPECT_EQ(shown, "Revision 1 must be filled in");
        EXPECT_EQ(icon, QMessageBox::Critical);
        EXPECT_TRUE(dialog.isVisible());
        EXPECT_NE(dialog.result(), QDialog::Accepted);
        EXPECT_EQ(settings.revision2, "old") << "a refused OK writes nothing";
        EXPECT_FALSE(settings.ignoreKeywords);
    }

    revision1->setEditText("1.1.1.1");
    dialog.accept();
    EXPECT_EQ(dialog.result(), QDialog::Accepted);
    EXPECT_EQ(settings.revision1, "1.1.1.1");
    EXPECT_EQ(settings.revision2, "1.2");
    EXPECT_TRUE(settings.ignoreKeywords);
}

TEST(ReportDialog, AfterRevisionFollowsTheLogMessageChoices)
{
    ReportSettings settings;
    settings.information = 1;
    settings.users = "fred";
    gui::ReportDialog dialog(settings);
    dialog.show();
    auto* after = ByText<QCheckBox>(&dialog, "Revisions a&fter specified revision");
    ASSERT_NE(after, nullptr);
    EXPECT_TRUE(after->isEnabled()) << "enabled when the dialog opens, whatever the choice";
    EXPECT_TRUE(ByText<QRadioButton>(&dialog, "&Name only")->isChecked());
    EXPECT_TRUE(ByText<QCheckBox>(&dialog, "S&ymbolic names")->isChecked());
    EXPECT_EQ(ByLabel<QLineEdit>(&dialog, "&Users:")->text(), "fred");

    const std::vector<std::pair<QString, bool>> clicks = {
        {"&All information", false},  {"&Log messages only", true}, {"&Header only", false},
        {"Uni&que log messages only", true}, {"Header && &Text", false}, {"&Name only", false},
        {"&Log messages only", true}};
    for (const auto& [text, enabled] : clicks) {
        auto* choice = ByText<QRadioButton>(&dialog, text);
        ASSERT_NE(choice, nullptr) << text.toStdString();
        choice->click();
        EXPECT_TRUE(choice->isChecked());
        EXPECT_EQ(after->isEnabled(), enabled) << text.toStdString();
    }

    after->setChecked(true);
    ByLabel<QComboBox>(&dialog, "&Revisions:")->setEditText("1.3");
    ByLabel<QLineEdit>(&dialog, "&Dates:")->setText("<2024");
    ByLabel<QLineEdit>(&dialog, "&States:")->setText("Exp");
    ByText<QCheckBox>(&dialog, "&Locked only")->setChecked(true);
    dialog.accept();
    EXPECT_EQ(settings.information, 4);
    EXPECT_TRUE(settings.afterRevision);
    EXPECT_EQ(settings.revisions, "1.3");
    EXPECT_EQ(settings.dates, "<2024");
    EXPECT_EQ(settings.states, "Exp");
    EXPECT_TRUE(settings.lockedOnly);
}

TEST(FreezeDialog, ClosesOnlyForAValidReleaseName)
{
    test::RecordingInteraction interaction;
    gui::FreezeDialog dialog;
    dialog.show();
    auto* name = ByLabel<QLineEdit>(&dialog, "Enter a descriptive name for the release");
    ASSERT_NE(name, nullptr);

    const std::vector<std::pair<QString, std::string>> refused = {
        {"", "Release name must start with a letter"}, {"2nd try", "Release name must start with a letter"},
        {"R1.0", "Characters '$,.:; and @ are not allowed in a release name"},
        {"Beta@home", "Characters '$,.:; and @ are not allowed in a release name"},
    };
    for (const auto& [text, message] : refused) {
        interaction.messages.clear();
        name->setText(text);
        dialog.accept();
        EXPECT_TRUE(dialog.isVisible()) << text.toStdString();
        EXPECT_EQ(interaction.messages, std::vector<std::string>{message}) << text.toStdString();
    }

    interaction.messages.clear();
    name->setText("Beta 2");
    dialog.accept();
    EXPECT_FALSE(dialog.isVisible());
    EXPECT_EQ(dialog.result(), QDialog::Accepted);
    EXPECT_TRUE(interaction.messages.empty());
    EXPECT_EQ(dialog.releaseName(), "Beta 2");
}

TEST(ConfirmDeleteDialog, AvailabilityAndFlags)
{
    struct Case {
        unsigned availability;
        bool fromRcsEnabled;
        bool workingEnabled;
    };
    for (const Case& c : {Case{0, false, false}, Case{2, true, false}, Case{4, false, true}, Case{6, true, true}}) {
        gui::ConfirmDeleteDialog dialog("File src\\a.c", c.availability);
        auto* fromRcs = ByText<QCheckBox>(&dialog, "&Delete from RCS");
        auto* working = ByText<QCheckBox>(&dialog, "Delete &Working file");
        ASSERT_TRUE(fromRcs && working);
        EXPECT_EQ(fromRcs->isEnabled(), c.fromRcsEnabled) << c.availability;
        EXPECT_EQ(fromRcs->isChecked(), c.fromRcsEnabled) << "checked exactly when available";
        EXPECT_EQ(working->isEnabled(), c.workingEnabled) << c.availability;
        EXPECT_FALSE(working->isChecked());
        EXPECT_NE(ByText<QLabel>(&dialog, "File src\\a.c"), nullptr);
        EXPECT_EQ(dialog.flags(), 0u) << "not confirmed yet";
        dialog.reject();
        EXPECT_EQ(dialog.flags(), 0u);
        dialog.accept();
        EXPECT_EQ(dialog.flags(), c.fromRcsEnabled ? 3u : 1u);
    }

    gui::ConfirmDeleteDialog dialog("File a.c", 6);
    ByText<QCheckBox>(&dialog, "&Delete from RCS")->setChecked(false);
    ByText<QCheckBox>(&dialog, "Delete &Working file")->setChecked(true);
    dialog.accept();
    EXPECT_EQ(dialog.flags(), 5u);
}

TEST(FileTypes, FilterSplitsIntoLinesAndBack)
{
    const QString defaults = "C Source Files (*.c;*.cpp;*.h;*.rc)|*.c;*.cpp;*.h;*.rc|Text files (*.txt)|*.txt";
    const QStringList lines = gui::FileTypeLines(defaults);
    EXPECT_EQ(lines, QStringList({"C Source Files\t*.c;*.cpp;*.h;*.rc", "Text files\t*.txt"}));
    EXPECT_EQ(gui::FileTypeFilter(lines), defaults);

    EXPECT_EQ(gui::FileTypeLines("Docs (old) (*.txt)|*.txt"), QStringList({"Docs\t*.txt"}))
        << "only the part before the first \"(\" is kept";
    EXPECT_EQ(gui::FileTypeLines("Plain  \t|*.x|"), QStringList({"Plain\t*.x"}));
    EXPECT_EQ(gui::FileTypeLines("Last|"), QStringList({"Last\t"}));
    EXPECT_EQ(gui::FileTypeLines("A|*.a|no bar here"), QStringList({"A\t*.a"}))
        << "a description without patterns is dropped";
    EXPECT_TRUE(gui::FileTypeLines("").isEmpty());

    EXPECT_EQ(gui::FileTypeFilter({"Docs\t*.txt;*.doc", "Bare"}), "Docs (*.txt;*.doc)|*.txt;*.doc|Bare ()|");
    EXPECT_EQ(gui::FileTypeFilter({}), "");
}

// The Options sheet on that project: local site London (the master) and a
// remote site Paris.
struct OptionsProject : FileProject {
    OptionsProject()
    {
        doc->siteList->Add("Paris", "paris@example.org");
        local = doc->siteList->GetLocalSite();
    }
    bool Edit(std::vector<ModalDriver<OptionsSheet>::Action> actions)
    {
        ModalDriver<OptionsSheet> driver(std::move(actions));
        return gui::EditOptions(*doc, RCSOptions::instance(), nullptr, [this] {
            ++resets;
            doc->ResetTree();
        });
    }
    RCSOptions& options = RCSOptions::instance();
    test::RecordingInteraction interaction;
    Site* local = nullptr;
    int resets = 0;
};

QTabWidget* Pages(OptionsSheet* sheet)
{
    return sheet->findChild<QTabWidget*>();
}

QTreeWidget* FileTypeList(OptionsSheet* sheet)
{
    Pages(sheet)->setCurrentIndex(OptionsSheet::FileTypesPage);
    return sheet->findChild<QTreeWidget*>();
}

QStringList FileTypeRows(QTreeWidget* list)
{
    QStringList rows;
    for (int index = 0; index < list->topLevelItemCount(); ++index)
        rows.append(list->topLevelItem(index)->text(0) + "\t" + list->topLevelItem(index)->text(1));
    return rows;
}

TEST(OptionsSheet, ShowsTheSettingsAndCancelChangesNothing)
{
    OptionsProject project;
    const bool accepted = project.Edit({[](OptionsSheet* sheet) {
        QTabWidget* pages = Pages(sheet);
        ASSERT_NE(pages, nullptr);
        EXPECT_EQ(pages->currentIndex(), 0);

        EXPECT_EQ(ByLabel<QLineEdit>(sheet, "&Time Display Format")->text(), "%d %b %y %H:%M:%S");
        EXPECT_FALSE(ByText<QCheckBox>(sheet, "&Use Universal Time")->isChecked());
        EXPECT_TRUE(ByText<QCheckBox>(sheet, "&Sort highest revisions first")->isChecked());
        EXPECT_EQ(FileTypeRows(FileTypeList(sheet)),
                  QStringList({"C Source Files\t*.c;*.cpp;*.h;*.rc", "Text files\t*.txt"}));
        EXPECT_EQ(ByLabel<QPlainTextEdit>(sheet, "Release name file &Template (use %s for release name):")
                      ->toPlainText(),
                  "#define RELEASE \"%s\"\n");
        EXPECT_EQ(ByLabel<QLineEdit>(sheet, "Site &Name:")->text(), "London");
        auto* master = ByText<QCheckBox>(sheet, "Master site");
        EXPECT_TRUE(master->isChecked());
        EXPECT_FALSE(master->isEnabled());

        ByLabel<QLineEdit>(sheet, "&Time Display Format")->setText("%c");
        ByLabel<QLineEdit>(sheet, "Site &Name:")->setText("Leeds");
        sheet->reject();
    }});
    EXPECT_FALSE(accepted);
    EXPECT_EQ(project.options.timeFormat, "%d %b %y %H:%M:%S");
    EXPECT_EQ(project.local->name, "London");
    EXPECT_FALSE(project.doc->IsModified());
    EXPECT_EQ(project.resets, 0);
}

TEST(OptionsSheet, TimeFormatAndOrderRedrawTheTreeButUniversalTimeAloneDoesNot)
{
    OptionsProject project;
    TextTreeView view;
    SetItemView(&view);
    project.doc->InsertTreesIntoView();
    const auto accept = [](std::function<void(OptionsSheet*)> change) {
        return [change](OptionsSheet* sheet) {
            change(sheet);
            sheet->accept();
        };
    };

    EXPECT_TRUE(project.Edit({accept([](OptionsSheet* sheet) {
        ByText<QCheckBox>(sheet, "&Use Universal Time")->setChecked(true);
    })}));
    EXPECT_TRUE(project.options.useUniversalTime);
    EXPECT_EQ(project.resets, 0);
    QSettings settings("Fenwycliff", "Kestro");
    EXPECT_EQ(settings.value("Options/Use UTC Time").toInt(), 1) << "the options are saved";

    EXPECT_TRUE(project.Edit({accept([](OptionsSheet* sheet) {
        ByLabel<QLineEdit>(sheet, "&Time Display Format")->setText("<%Y>");
    })}));
    EXPECT_EQ(project.options.timeFormat, "<%Y>");
    EXPECT_EQ(project.resets, 1);
    EXPECT_NE(view.Render(false).find("<1970>"), std::string::npos) << view.Render(false);

    EXPECT_TRUE(project.Edit({accept([](OptionsSheet* sheet) {
        ByText<QCheckBox>(sheet, "&Sort highest revisions first")->setChecked(false);
    })}));
    EXPECT_FALSE(project.options.sortHighestFirst);
    EXPECT_EQ(project.resets, 2);
    EXPECT_FALSE(project.doc->IsModified()) << "global settings are not the project's";
    SetItemView(nullptr);
}

TEST(OptionsSheet, EditsTheFileTypeList)
{
    OptionsProject project;
    EXPECT_TRUE(project.Edit({[](OptionsSheet* sheet) {
        QTreeWidget* list = FileTypeList(sheet);
        auto* insert = ByText<QPushButton>(sheet, "&Insert");
        auto* remove = ByText<QPushButton>(sheet, "&Delete");
        ASSERT_TRUE(list && insert && remove);
        const auto fill = [](const QString& description, const QString& patterns) {
            return [=](gui::EditFileTypeDialog* dialog) {
                ByLabel<QLineEdit>(dialog, "&Description")->setText(description);
                ByLabel<QLineEdit>(dialog, "&File types")->setText(patterns);
                dialog->accept();
            };
        };
        {
            // Both fields are needed to insert; the new line goes before the
            // selection and becomes selected.
            ModalDriver<gui::EditFileTypeDialog> dialogs(
                {fill("", "*.h"), fill("Headers", ""), fill("Head|ers", "*.h\t")});
            insert->click();
            insert->click();
            list->setCurrentItem(list->topLevelItem(1));
            insert->click();
        }
        EXPECT_EQ(FileTypeRows(list),
                  QStringList({"C Source Files\t*.c;*.cpp;*.h;*.rc", "Headers\t*.h", "Text files\t*.txt"}));
        EXPECT_EQ(list->currentItem(), list->topLevelItem(1));

        {
            // A double-click edits the line in place; the fields may be emptied.
            ModalDriver<gui::EditFileTypeDialog> dialogs({[](gui::EditFileTypeDialog* dialog) {
                EXPECT_EQ(ByLabel<QLineEdit>(dialog, "&Description")->text(), "Text files");
                EXPECT_EQ(ByLabel<QLineEdit>(dialog, "&File types")->text(), "*.txt");
                ByLabel<QLineEdit>(dialog, "&Description")->setText("Notes");
                ByLabel<QLineEdit>(dialog, "&File types")->setText("");
                dialog->accept();
            }});
            QTreeWidgetItem* text = list->topLevelItem(2);
            list->setCurrentItem(text);
            emit list->itemDoubleClicked(text, 0);
        }
        EXPECT_EQ(FileTypeRows(list).value(2), "Notes\t");
        EXPECT_EQ(list->currentItem(), list->topLevelItem(2));

        list->setCurrentItem(list->topLevelItem(0));
        remove->click();
        ByText<QCheckBox>(sheet, "&Make these file types the default for new projects")->setChecked(true);
        sheet->accept();
    }}));
    const std::string filter = "Headers (*.h)|*.h|Notes ()|";
    EXPECT_EQ(project.doc->fileTypes, filter);
    EXPECT_EQ(project.options.defaultFileTypes, filter);
    EXPECT_TRUE(project.doc->IsModified());
}

TEST(OptionsSheet, UnopenedOrUnchangedPagesLeaveTheProjectAlone)
{
    OptionsProject project;
    project.doc->fileTypes = "Odd|*.x|Pair (*.y)|*.y";
    EXPECT_TRUE(project.Edit({[](OptionsSheet* sheet) { sheet->accept(); }}));
    EXPECT_EQ(project.doc->fileTypes, "Odd|*.x|Pair (*.y)|*.y") << "the page was never opened";
    EXPECT_EQ(project.doc->releaseNameTemplate, "#define RELEASE \"%s\"\r\n");
    EXPECT_FALSE(project.doc->IsModified());
    EXPECT_EQ(project.resets, 0);
}

// The release name file and the site details are the project's; each may
// also become the default for new projects.
TEST(OptionsSheet, ReleaseNameFileAndSiteDetailsAreStoredInTheProject)
{
    OptionsProject project;
    EXPECT_TRUE(project.Edit({[](OptionsSheet* sheet) {
        ByLabel<QLineEdit>(sheet, "Output release name to &File")->setText("release.h");
        auto* text = ByLabel<QPlainTextEdit>(sheet, "Release name file &Template (use %s for release name):");
        text->setPlainText("// generated\n#define RELEASE \"%s\"\n");
        ByText<QCheckBox>(sheet, "&Make this file name && template the default for new projects")->setChecked(true);
        ByLabel<QLineEdit>(sheet, "Site &Name:")->setText("london");
        ByLabel<QLineEdit>(sheet, "Site &Email address:")->setText("cvs@example.org");
        ByLabel<QLineEdit>(sheet, "&Send command:")->setText("mail %m");
        ByText<QCheckBox>(sheet, "&Make these site details the default for new projects")->setChecked(true);
        sheet->accept();
    }}));
    const std::string expected = "// generated\r\n#define RELEASE \"%s\"\r\n";
    EXPECT_EQ(project.doc->releaseNameFile, "release.h");
    EXPECT_EQ(project.doc->releaseNameTemplate, expected) << "the project's line ends are kept";
    EXPECT_EQ(project.options.defaultReleaseNameFile, "release.h");
    EXPECT_EQ(project.options.defaultBuildTemplate, expected);
    EXPECT_TRUE(project.interaction.messages.empty()) << "the local site may keep its own name";
    EXPECT_EQ(project.local->name, "london");
    EXPECT_EQ(project.local->emailAddress, "cvs@example.org");
    EXPECT_EQ(project.local->sendCommand, "mail %m");
    EXPECT_TRUE(project.doc->IsModified()) << "or the change would be lost at exit";
    EXPECT_EQ(project.options.defaultSiteName, "london");
    EXPECT_EQ(project.options.defaultSiteEmail, "cvs@example.org");
    EXPECT_EQ(project.options.defaultSendCommand, "mail %m");
}

TEST(OptionsSheet, RefusedSiteNamesBringTheSheetBackOnTheSiteDetailsPage)
{
    OptionsProject project;
    const auto setName = [](const QString& name) {
        return [name](OptionsSheet* sheet) {
            ByLabel<QLineEdit>(sheet, "Site &Name:")->setText(name);
            ByLabel<QLineEdit>(sheet, "&Time Display Format")->setText("%c");
            sheet->accept();
        };
    };
    const auto onSitePage = [](OptionsSheet* sheet) {
        EXPECT_EQ(Pages(sheet)->currentIndex(), OptionsSheet::SiteDetailsPage);
        sheet->reject();
    };
    EXPECT_FALSE(project.Edit({setName("PARIS"), onSitePage}));
    EXPECT_EQ(project.interaction.messages, std::vector<std::string>{"Site PARIS already exists"});
    EXPECT_EQ(project.local->name, "London");
    EXPECT_EQ(project.options.timeFormat, "%d %b %y %H:%M:%S") << "a cancelled retry discards the whole sheet";
    EXPECT_FALSE(project.doc->IsModified());

    project.interaction.messages.clear();
    EXPECT_FALSE(project.Edit({setName("a/b"), onSitePage}));
    ASSERT_EQ(project.interaction.messages.size(), 1u);
    EXPECT_NE(project.interaction.messages[0].find("a/b"), std::string::npos);
    EXPECT_EQ(project.local->name, "London");

    project.interaction.messages.clear();
    EXPECT_TRUE(project.Edit({setName("Paris"), setName("  "), setName("Rome")}));
    EXPECT_EQ(project.interaction.messages.size(), 2u);
    EXPECT_EQ(project.local->name, "Rome");
    EXPECT_EQ(project.options.timeFormat, "%c");
    EXPECT_EQ(project.resets, 1);
}

} // namespace
} // namespace kestro
