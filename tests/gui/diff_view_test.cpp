#include "demo_window.h"
#include "gui/details_dock.h"
#include "gui/diff_pane.h"
#include "gui/diff_view.h"
#include "gui/item_actions.h"
#include "gui/tree_view.h"
#include "modal_steps.h"
#include "model/command_results.h"
#include "rcs/rcs_programs.h"

#include <QAction>
#include <QApplication>
#include <QComboBox>
#include <QFile>
#include <QMenu>
#include <QProcess>
#include <QTemporaryDir>

#include <gtest/gtest.h>

namespace kestro::gui {
namespace {

// Captured with GNU RCS 5.10: two changes, the second at the end of a file
// without a final newline.
const char* const TwoChanges = "===================================================================\n"
                               "RCS file: RCS/a.txt,v\n"
                               "retrieving revision 1.1\n"
                               "diff -u -r1.1 a.txt\n"
                               "--- a.txt\t2026/12/07 06:33:52\t1.1\n"
                               "+++ a.txt\t2026/12/07 06:33:52\n"
                               "@@ -1,5 +1,5 @@\n"
                               " one\n"
                               "-two\n"
                               "+TWO\n"
                               " three\n"
                               "-four\n"
                               " five\n"
                               "+six\n"
                               "\\ No newline at end of file\n";

std::vector<QString> Texts(const DiffPane& pane, DiffRowKind kind)
{
    std::vector<QString> texts;
    for (const DiffRow& row : pane.rows())
        if (row.kind == kind)
            texts.push_back(row.text);
    return texts;
}

// The colour painted at the right end of a row, where only the row's
// background can be.
QColor PaintedBackground(DiffPane& pane, int row)
{
    pane.goToRow(row);
    const QRect caret = pane.cursorRect();
    const QImage image = pane.viewport()->grab().toImage();
    return image.pixelColor(image.width() - 3, caret.center().y());
}

DiffView* OpenDiffView()
{
    for (QWidget* widget : QApplication::topLevelWidgets())
        if (auto* view = qobject_cast<DiffView*>(widget); view && view->isVisible())
            return view;
    return nullptr;
}

void CloseDiffViews()
{
    while (DiffView* view = OpenDiffView())
        view->close();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
}

TEST(DiffView, UnifiedAndSideBySideNavigationAndPatch)
{
    DiffView view(QStringLiteral("a.txt"));
    view.show();
    view.showCompare(TwoChanges, 1, QString());
    DiffPane* unified = view.unifiedPane();
    ASSERT_FALSE(view.isSideBySide());
    EXPECT_EQ(Texts(*unified, DiffRowKind::Added), (std::vector<QString>{"+TWO", "+six"}));
    EXPECT_EQ(Texts(*unified, DiffRowKind::Removed), (std::vector<QString>{"-two", "-four"}));
    EXPECT_EQ(Texts(*unified, DiffRowKind::Notice), (std::vector<QString>{"\\ No newline at end of file"}));
    const DiffRow& six = unified->rows()[static_cast<std::size_t>(unified->changes().back())];
    EXPECT_EQ(six.text, "+six");
    EXPECT_EQ(six.oldLine, 0);
    EXPECT_EQ(six.newLine, 5);

    // It opens on the first change; F7 and Shift+F7 walk the changes and
    // stop at either end.
    ASSERT_EQ(unified->changes().size(), 3u);
    EXPECT_EQ(unified->currentRow(), unified->changes()[0]);
    EXPECT_EQ(view.nextAction()->shortcut(), QKeySequence(Qt::Key_F7));
    view.nextAction()->trigger();
    view.nextAction()->trigger();
    view.nextAction()->trigger();
    EXPECT_EQ(unified->currentRow(), unified->changes()[2]);
    view.previousAction()->trigger();
    EXPECT_EQ(unified->currentRow(), unified->changes()[1]);

    EXPECT_EQ(PaintedBackground(*unified, unified->changes()[0]), DiffPane::background(DiffRowKind::Removed));
    EXPECT_EQ(PaintedBackground(*unified, unified->changes()[0] + 1), DiffPane::background(DiffRowKind::Added));

    // Side by side: the rows line up, the changed word is marked on both
    // sides, and an added line faces a filler.
    view.setSideBySide(true);
    ASSERT_TRUE(view.isSideBySide());
    const auto& left = view.leftPane()->rows();
    const auto& right = view.rightPane()->rows();
    ASSERT_EQ(left.size(), right.size());
    std::size_t paired = 0;
    while (paired < left.size() && left[paired].text != "two")
        ++paired;
    ASSERT_LT(paired, left.size());
    EXPECT_EQ(right[paired].text, "TWO");
    EXPECT_EQ(left[paired].changeLength, 3);
    EXPECT_EQ(right[paired].kind, DiffRowKind::Added);
    EXPECT_EQ(left.back().kind, DiffRowKind::Filler);
    EXPECT_EQ(right.back().text, "six");
    EXPECT_EQ(view.leftPane()->changes().size(), 3u) << "an added line alone is a change on the left too";
    EXPECT_EQ(view.leftPane()->currentRow(), static_cast<int>(paired));

    // The patch is rcsdiff's output as it came.
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("a.patch"));
    ASSERT_TRUE(view.savePatch(path));
    QFile saved(path);
    ASSERT_TRUE(saved.open(QIODevice::ReadOnly));
    EXPECT_EQ(saved.readAll().toStdString(), TwoChanges);
}

TEST(DiffView, TroubleAndNoDifferencesShowAsText)
{
    DiffView view(QStringLiteral("a.txt"));
    view.showCompare("", 2, QStringLiteral("rcsdiff: RCS/a.txt,v: revision 9.9 absent"));
    EXPECT_TRUE(view.messagePane()->toPlainText().contains("absent"));
    EXPECT_FALSE(view.nextAction()->isEnabled());
    view.showCompare("RCS file: RCS/a.txt,v\nretrieving revision 1.1\n", 0, QString());
    EXPECT_EQ(view.messagePane()->toPlainText(), "No differences");
}

class DiffViewWindow : public DemoWindowTest {
protected:
    void TearDown() override
    {
        CloseDiffViews();
        DemoWindowTest::TearDown();
    }

    QTreeWidgetItem* Revision(QTreeWidgetItem* file, const QString& number)
    {
        if (!file)
            return nullptr;
        file->setExpanded(true);
        frame_->view().applyPendingChanges();
        for (int i = 0; i < file->childCount(); ++i)
            if (file->child(i)->text(0).startsWith(number + " "))
                return file->child(i);
        return nullptr;
    }

    void WaitForDiff(DiffView*& view)
    {
        ASSERT_TRUE(WaitFor([&] { return (view = OpenDiffView()) && view->nextAction()->isEnabled(); }));
        ASSERT_TRUE(WaitFor([] { return !CommandLocks::instance().IsCommandRunning(); }));
    }
};

// What rcsdiff -u itself says changed, as the unified pane shows it.
std::pair<std::vector<QString>, std::vector<QString>> RcsdiffChanges(const QStringList& arguments)
{
    QProcess rcsdiff;
    rcsdiff.start(QStringLiteral("rcsdiff"), QStringList{QStringLiteral("-u")} + arguments);
    rcsdiff.waitForFinished();
    std::pair<std::vector<QString>, std::vector<QString>> changes;
    for (const QString& line : QString::fromUtf8(rcsdiff.readAllStandardOutput()).split(QLatin1Char('\n'))) {
        if (line.startsWith(QLatin1Char('+')) && !line.startsWith(QStringLiteral("+++ ")))
            changes.first.push_back(line);
        else if (line.startsWith(QLatin1Char('-')) && !line.startsWith(QStringLiteral("--- ")))
            changes.second.push_back(line);
    }
    return changes;
}

TEST_F(DiffViewWindow, TwoPickedRevisionsCompareInTheDiffView)
{
    // File names show with "/".
    QTreeWidgetItem* main = File(QStringLiteral("src/main.c"));
    ASSERT_NE(main, nullptr);
    QTreeWidgetItem* first = Revision(main, QStringLiteral("1.1"));
    QTreeWidgetItem* third = Revision(main, QStringLiteral("1.3"));
    ASSERT_TRUE(first && third);
    CKestroView& tree = frame_->view();
    tree.setCurrentItem(third);
    tree.setCurrentItem(first, 0, QItemSelectionModel::Select);  // Ctrl+click
    frame_->UpdateCommandUI();
    ASSERT_EQ(tree.selectedItems().size(), 2);

    QString revision1;
    QString revision2;
    ModalSteps driver({Accept(QStringLiteral("Compare Revisions"), [&](QDialog* dialog) {
        const auto combos = dialog->findChildren<QComboBox*>();
        ASSERT_EQ(combos.size(), 2);
        revision1 = combos[0]->currentText();
        revision2 = combos[1]->currentText();
    })});
    frame_->action(Command::Compare)->trigger();
    EXPECT_TRUE(driver.allTaken());
    EXPECT_EQ(revision1, "1.1");
    EXPECT_EQ(revision2, "1.3");

    DiffView* view = nullptr;
    WaitForDiff(view);
    ASSERT_NE(view, nullptr);
    const auto [added, removed] = RcsdiffChanges({QStringLiteral("-r1.1"), QStringLiteral("-r1.3"),
                                                  QStringLiteral("src/main.c")});
    ASSERT_FALSE(added.empty());
    DiffPane* pane = view->unifiedPane();
    EXPECT_EQ(Texts(*pane, DiffRowKind::Added), added);
    EXPECT_EQ(Texts(*pane, DiffRowKind::Removed), removed);
    EXPECT_EQ(PaintedBackground(*pane, pane->changes().front()),
              DiffPane::background(pane->rows()[static_cast<std::size_t>(pane->changes().front())].kind));
    EXPECT_TRUE(CommandResults::instance().Text().starts_with(DirectProgram("rcsdiff") + " -r1.1 -r1.3 -u"));
}

TEST_F(DiffViewWindow, AProjectCompareShowsWhatDiffersAndSaysWhatCouldNotBeCompared)
{
    // src/lexer.c was never checked in; doc/readme.txt is modified.
    frame_->view().setCurrentItem(frame_->view().topLevelItem(1));
    frame_->UpdateCommandUI();
    ModalSteps driver({Accept(QStringLiteral("Compare Revisions"))});
    frame_->action(Command::Compare)->trigger();
    EXPECT_TRUE(driver.allTaken());
    DiffView* view = nullptr;
    WaitForDiff(view);
    ASSERT_NE(view, nullptr);
    EXPECT_TRUE(view->windowTitle().contains("some files could not be compared")) << view->windowTitle().toStdString();
    const std::vector<DiffRow>& rows = view->unifiedPane()->rows();
    const auto headers = std::count_if(rows.begin(), rows.end(),
                                       [](const DiffRow& row) { return row.kind == DiffRowKind::FileHeader; });
    EXPECT_EQ(headers, 1) << "only the modified file has differences";
    EXPECT_EQ(rows.front().text, "doc/readme.txt");
    EXPECT_TRUE(CommandResults::instance().Text().find("Cannot compare src\\lexer.c") != std::string::npos);
}

TEST_F(DiffViewWindow, DoubleClickOpensARevisionsOwnChanges)
{
    QTreeWidgetItem* third = Revision(File(QStringLiteral("src/main.c")), QStringLiteral("1.3"));
    ASSERT_NE(third, nullptr);
    frame_->view().setCurrentItem(third);
    ActivateNode(*frame_, third);
    DiffView* view = nullptr;
    WaitForDiff(view);
    EXPECT_TRUE(view->windowTitle().endsWith("1.2 - 1.3")) << view->windowTitle().toStdString();
    const auto [added, removed] = RcsdiffChanges({QStringLiteral("-r1.2"), QStringLiteral("-r1.3"),
                                                  QStringLiteral("src/main.c")});
    EXPECT_EQ(Texts(*view->unifiedPane(), DiffRowKind::Added), added);

    // A modified file: its working file against the revision it came from.
    CloseDiffViews();
    QTreeWidgetItem* readme = File(QStringLiteral("doc/readme.txt"));
    ASSERT_TRUE(readme && readme->text(0).contains("Modified"));
    frame_->view().setCurrentItem(readme);
    ActivateNode(*frame_, readme);
    WaitForDiff(view);
    EXPECT_TRUE(view->windowTitle().endsWith("doc/readme.txt: 1.2 - working file")) << view->windowTitle().toStdString();

    // A release opens instead.
    QTreeWidgetItem* release = frame_->view().topLevelItem(0)->child(0);
    frame_->view().topLevelItem(0)->setExpanded(true);
    frame_->view().setCurrentItem(release);
    ASSERT_FALSE(release->isExpanded());
    ActivateNode(*frame_, release);
    EXPECT_TRUE(release->isExpanded());
}

TEST_F(DiffViewWindow, ContextMenusHoldExactlyTheEnabledCommands)
{
    CKestroView& tree = frame_->view();
    const auto menuOf = [&](QTreeWidgetItem* node) {
        tree.scrollToItem(node);
        QMenu menu;
        EXPECT_TRUE(FillItemMenu(*frame_, tree.visualItemRect(node).center(), menu));
        EXPECT_EQ(tree.currentItem(), node) << "right-click makes the node current";
        QStringList texts;
        for (QAction* action : menu.actions())
            if (!action->isSeparator()) {
                EXPECT_TRUE(action->isEnabled()) << action->text().toStdString();
                texts << action->text();
            }
        return texts;
    };
    // main.c 1.3 is the tip, locked by the user.
    QTreeWidgetItem* tip = Revision(File(QStringLiteral("src/main.c")), QStringLiteral("1.3"));
    ASSERT_NE(tip, nullptr);
    EXPECT_EQ(menuOf(tip).join(QLatin1Char('|')).toStdString(),
              "Check-&In...|Check-&Out...|&Compare...|&Merge...|&Report...|&Synchronise with RCS|&Locked|"
              "Set &Default branch|Change &Owning Site...|&Delete...\tDel");
    EXPECT_TRUE(frame_->action(Command::Locked)->isChecked());

    // The project root cannot be deleted or merged into and is no revision.
    EXPECT_EQ(menuOf(tree.topLevelItem(1)).join(QLatin1Char('|')).toStdString(),
              "Check-&In...|Check-&Out...|&Compare...|&Report...|&Synchronise with RCS");
}

TEST_F(DiffViewWindow, DetailsShowTheWholeLogMessage)
{
    frame_->details().show();
    QTreeWidgetItem* readme = File(QStringLiteral("doc/readme.txt"));
    QTreeWidgetItem* second = Revision(readme, QStringLiteral("1.2"));
    ASSERT_NE(second, nullptr);
    frame_->view().setCurrentItem(second);
    // The first line shows at once, the rest once rlog has been read.
    EXPECT_TRUE(frame_->details().text().contains("How to build")) << frame_->details().text().toStdString();
    ASSERT_TRUE(WaitFor([&] { return frame_->details().text().contains("How to build\nMentions make only."); }))
        << frame_->details().text().toStdString();
    const QString text = frame_->details().text();
    // readme.txt 1.2 is in both releases of the demo.
    const QString releases = text.section(QStringLiteral("Releases: "), 1).section(QLatin1Char('\n'), 0, 0);
    EXPECT_TRUE(releases.contains("Release") && releases.contains("Beta")) << text.toStdString();
    EXPECT_TRUE(text.contains("Author: ")) << text.toStdString();

    frame_->view().setCurrentItem(readme);
    EXPECT_TRUE(frame_->details().text().contains("RCS file: doc/RCS/readme.txt,v")) << frame_->details().text().toStdString();
    EXPECT_TRUE(frame_->details().text().contains("Working revision: 1.2")) << frame_->details().text().toStdString();

    // A release lists its files with the revision of each.
    QTreeWidgetItem* releaseRoot = frame_->view().topLevelItem(0);
    releaseRoot->setExpanded(true);
    frame_->view().applyPendingChanges();
    for (int i = 0; i < releaseRoot->childCount(); ++i)
        if (releaseRoot->child(i)->text(0).startsWith("Release 1"))
            frame_->view().setCurrentItem(releaseRoot->child(i));
    EXPECT_TRUE(frame_->details().text().contains("Files:\n  doc/readme.txt  1.2\n  src/main.c  1.2\n  src/parser.c  1.2\n"))
        << frame_->details().text().toStdString();

    // The pane comes back shown in the next session.
    frame_.reset();
    frame_ = std::make_unique<CMainFrame>();
    EXPECT_FALSE(frame_->details().isHidden());
    frame_->details().hide();
    frame_.reset();
    frame_ = std::make_unique<CMainFrame>();
    EXPECT_TRUE(frame_->details().isHidden());
}

} // namespace
} // namespace kestro::gui
