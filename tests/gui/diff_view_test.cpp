// The diff view on captured output, the comparisons the window opens in it,
// and the window's other views of a node: its menu and its details.

#include "gui/details_dock.h"
#include "gui/diff_pane.h"
#include "gui/diff_view.h"
#include "gui/item_actions.h"
#include "modal_steps.h"

#include <QMenu>

namespace kestro::gui {
namespace {

// Captured with GNU RCS 5.10: two changes, the second at the end of a file
// without a final newline.
const char* const TwoChanges =
    "===================================================================\nRCS file: RCS/a.txt,v\n"
    "retrieving revision 1.1\ndiff -u -r1.1 a.txt\n--- a.txt\t2026/12/07 06:33:52\t1.1\n+++ a.txt\t2026/12/07 06:33:52\n"
    "@@ -1,5 +1,5 @@\n one\n-two\n+TWO\n three\n-four\n five\n+six\n\\ No newline at end of file\n";

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
    const QImage image = pane.viewport()->grab().toImage();
    return image.pixelColor(image.width() - 3, pane.cursorRect().center().y());
}

TEST(DiffView, UnifiedAndSideBySideNavigationAndPatch)
{
    DiffView view(QStringLiteral("a.txt"));
    view.show();
    view.showCompare("", 2, QStringLiteral("rcsdiff: RCS/a.txt,v: revision 9.9 absent"));
    EXPECT_TRUE(view.messagePane()->toPlainText().contains("absent"));
    EXPECT_FALSE(view.nextAction()->isEnabled());
    view.showCompare("RCS file: RCS/a.txt,v\nretrieving revision 1.1\n", 0, QString());
    EXPECT_EQ(view.messagePane()->toPlainText(), "No differences");

    view.showCompare(TwoChanges, 1, QString());
    DiffPane* unified = view.unifiedPane();
    EXPECT_EQ(view.windowTitle(), "a.txt") << "differences are no trouble";
    EXPECT_EQ(Texts(*unified, DiffRowKind::Added), (std::vector<QString>{"+TWO", "+six"}));
    EXPECT_EQ(Texts(*unified, DiffRowKind::Removed), (std::vector<QString>{"-two", "-four"}));
    EXPECT_EQ(Texts(*unified, DiffRowKind::Notice), (std::vector<QString>{"\\ No newline at end of file"}));
    EXPECT_EQ(unified->rows().front().text, "a.txt");
    // It opens on the first change; F7 and Shift+F7 walk the changes and
    // stop at either end.
    const std::vector<int> changes = unified->changes();
    ASSERT_EQ(changes.size(), 3u);
    EXPECT_EQ(unified->currentRow(), changes[0]);
    for (const auto& [next, row] : {std::pair{true, 1}, {true, 2}, {true, 2}, {false, 1}, {false, 0}, {false, 0}}) {
        (next ? view.nextAction() : view.previousAction())->trigger();
        EXPECT_EQ(unified->currentRow(), changes[static_cast<std::size_t>(row)]);
    }
    EXPECT_EQ(PaintedBackground(*unified, changes[0]), DiffPane::background(DiffRowKind::Removed));
    EXPECT_EQ(PaintedBackground(*unified, changes[0] + 1), DiffPane::background(DiffRowKind::Added));

    // Side by side: the rows line up, the changed word is marked on both
    // sides, and an added line faces a filler.
    view.setSideBySide(true);
    // Each row's text ("~" for a filler) and the length of its marked change.
    const auto shown = [](const DiffPane* pane) {
        QStringList rows;
        for (const DiffRow& row : pane->rows())
            rows << (row.kind == DiffRowKind::Filler ? "~" : row.text) + QString(row.changeLength, QLatin1Char('^'));
        return rows;
    };
    const QStringList header = {"a.txt", "@@ -1,5 +1,5 @@", "one"};
    EXPECT_EQ(shown(view.leftPane()), header + QStringList({"two^^^", "three", "four", "five", "~"}));
    EXPECT_EQ(shown(view.rightPane()), header + QStringList({"TWO^^^", "three", "~", "five", "six"}));
    EXPECT_EQ(view.leftPane()->changes().size(), 3u) << "an added line alone is a change on the left too";
    EXPECT_EQ(view.leftPane()->currentRow(), 3);
    view.nextAction()->trigger();
    EXPECT_EQ(view.leftPane()->currentRow(), view.leftPane()->changes()[1]);

    // The patch is rcsdiff's output as it came.
    QTemporaryDir dir;
    ASSERT_TRUE(view.savePatch(dir.filePath("a.patch")));
    EXPECT_EQ(test::ReadFile(dir.filePath("a.patch").toStdString()), TwoChanges);
}

class DiffViewWindow : public DemoWindowTest {
protected:
    void TearDown() override
    {
        CloseDiffView();
        DemoWindowTest::TearDown();
    }
    static DiffView* OpenDiffView()
    {
        for (QWidget* widget : QApplication::topLevelWidgets())
            if (auto* view = qobject_cast<DiffView*>(widget); view && view->isVisible())
                return view;
        return nullptr;
    }
    static void CloseDiffView()
    {
        while (DiffView* view = OpenDiffView())
            view->close();
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    }
    // The title of the diff view the window opened, once rcsdiff has ended,
    // and its added lines.
    std::pair<QString, std::vector<QString>> ShownDiff()
    {
        DiffView* view = nullptr;
        EXPECT_TRUE(WaitFor([&] { return (view = OpenDiffView()) && view->nextAction()->isEnabled(); }));
        EXPECT_TRUE(CommandEnded());
        if (!view)
            return {};
        std::pair shown{view->windowTitle(), Texts(*view->unifiedPane(), DiffRowKind::Added)};
        CloseDiffView();
        return shown;
    }
};

TEST_F(DiffViewWindow, ComparisonsOpenInTheDiffView)
{
    // Two picked revisions fill the dialog.
    CKestroView& tree = frame_->view();
    tree.setCurrentItem(Revision("src/main.c", "1.3"));
    tree.setCurrentItem(Revision("src/main.c", "1.1"), 0, QItemSelectionModel::Select);  // Ctrl+click
    frame_->UpdateCommandUI();
    Run(Command::Compare, {Accept("Compare Revisions", [&](QDialog* dialog) {
            const auto combos = dialog->findChildren<QComboBox*>();
            EXPECT_EQ(combos.value(0)->currentText(), "1.1");
            EXPECT_EQ(combos.value(1)->currentText(), "1.3");
        })});
    const auto [title, added] = ShownDiff();
    EXPECT_TRUE(title.endsWith("src/main.c: 1.1 - 1.3")) << title.toStdString() << ": file names show with \"/\"";
    // A double-click on a revision shows its own changes; on a modified file
    // its working file against the revision it came from.
    Select(Revision("src/main.c", "1.3"));
    ActivateNode(*frame_, tree.currentItem());
    const auto [ownTitle, ownAdded] = ShownDiff();
    EXPECT_TRUE(ownTitle.endsWith("1.2 - 1.3")) << ownTitle.toStdString();
    EXPECT_TRUE(!ownAdded.empty() && ownAdded.size() < added.size());
    Select(File("doc/readme.txt"));
    ActivateNode(*frame_, tree.currentItem());
    EXPECT_TRUE(ShownDiff().first.endsWith("doc/readme.txt: 1.2 - working file"));
    // A release opens instead.
    QTreeWidgetItem* release = Node("Beta 2", tree.topLevelItem(0));
    Select(release);
    ActivateNode(*frame_, release);
    EXPECT_TRUE(release->isExpanded());
}

TEST_F(DiffViewWindow, ContextMenusHoldTheEnabledCommandsAndDetailsTheWholeLogMessage)
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
        return texts.join(QLatin1Char('|')).toStdString();
    };
    // main.c 1.3 is the tip, locked by the user.
    QTreeWidgetItem* tip = Revision("src/main.c", "1.3");
    ASSERT_NE(tip, nullptr);
    EXPECT_EQ(menuOf(tip), "Check-&In...|Check-&Out...|&Compare...|&Merge...|&Report...|&Synchronise with RCS|&Locked|"
                           "Set &Default branch|Change &Owning Site...|&Delete...\tDel");
    EXPECT_TRUE(frame_->action(Command::Locked)->isChecked());
    // The project root cannot be deleted or merged into and is no revision.
    EXPECT_EQ(menuOf(tree.topLevelItem(1)), "Check-&In...|Check-&Out...|&Compare...|&Report...|&Synchronise with RCS");

    DetailsDock& details = frame_->details();
    details.show();
    // The first line shows at once, the rest once rlog has been read.
    Select(Revision("doc/readme.txt", "1.2"));
    ASSERT_TRUE(WaitFor([&] { return details.text().contains("How to build\nMentions make only."); }));
    // readme.txt 1.2 is in both releases of the demo.
    const QString releases = details.text().section("Releases: ", 1).section(QLatin1Char('\n'), 0, 0);
    EXPECT_TRUE(releases.contains("Release") && releases.contains("Beta")) << details.text().toStdString();
    Select(File("doc/readme.txt"));
    EXPECT_TRUE(details.text().contains("RCS file: doc/RCS/readme.txt,v\n") && details.text().contains("Working revision: 1.2"))
        << details.text().toStdString();
    // A release lists its files with the revision of each.
    Select(Node("Release 1", frame_->view().topLevelItem(0)));
    EXPECT_TRUE(details.text().contains("Files:\n  doc/readme.txt  1.2\n  src/main.c  1.2\n  src/parser.c  1.2\n"))
        << details.text().toStdString();
}

} // namespace
} // namespace kestro::gui
