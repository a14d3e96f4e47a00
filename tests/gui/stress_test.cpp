// Commands, status refresh passes and tree changes from the window all at
// once must leave the window showing exactly the item trees, with no
// deadlock and no crash. Every count is bounded and no RCS program runs.

#include "modal_steps.h"

#include <atomic>
#include <chrono>

namespace kestro::gui {
namespace {

using namespace std::chrono_literals;

// The widget below the item's node shows the item's children in the view's
// order, with their current texts.
void ExpectShown(CKestroView& view, const RCSItem& item)
{
    QTreeWidgetItem* widget = view.widgetItem(item.treeItem);
    ASSERT_NE(widget, nullptr) << item.name;
    widget->setExpanded(true);
    EXPECT_EQ(widget->text(0).toStdString(), item.GetDisplayText());
    ASSERT_EQ(widget->childCount(), static_cast<int>(item.children.size())) << item.name;
    ASSERT_EQ(view.childCount(item.treeItem), widget->childCount()) << item.name;
    for (int i = 0; i < widget->childCount(); ++i) {
        const RCSItem* child = view.childItem(item.treeItem, i);
        ASSERT_NE(child, nullptr);
        EXPECT_EQ(view.widgetItem(child->treeItem), widget->child(i)) << child->name;
        ExpectShown(view, *child);
    }
}

TEST(CommandLocksStress, CommandsStartBackToBackWithoutTheirEndBeingPolled)
{
    CommandLocks& locks = CommandLocks::instance();
    std::atomic<int> ran{0};
    for (int i = 0; i < 50; ++i) {
        ASSERT_TRUE(CommandEnded());
        ASSERT_TRUE(locks.StartCommand("quick", [&ran] { return ++ran; }));
    }
    ASSERT_TRUE(locks.WaitForCommand(60s));
    EXPECT_EQ(ran, 50);
    std::string completed;
    EXPECT_FALSE(locks.IsRunning(&completed));
    EXPECT_EQ(completed, "quick");
}

TEST(WindowStress, CommandsRefreshesAndInsertsTogether)
{
    test::ScratchDirectory scratch;
    test::ResetOptions();
    CMainFrame frame;
    RCSRoot* root = frame.document().root.get();
    constexpr int initialFiles = 20;
    constexpr int rounds = 25;
    for (int i = 0; i < initialFiles; ++i) {
        if (i % 2)
            scratch.write("f" + std::to_string(i) + ".c", "x");
        TreeLock lock(&frame);
        root->AddChild(std::make_unique<RCSFileItem>("f" + std::to_string(i) + ".c", root));
    }
    // Every modal window is closed as soon as it shows: results windows
    // early (their command runs on) and the "Waiting for" messages with OK.
    int dismissed = 0;
    QTimer dismisser;
    QObject::connect(&dismisser, &QTimer::timeout, [&dismissed] {
        if (auto* dialog = qobject_cast<QDialog*>(QApplication::activeModalWidget())) {
            dialog->accept();
            ++dismissed;
        }
    });
    dismisser.start(1);
    CommandLocks& locks = CommandLocks::instance();
    for (int round = 0; round < rounds; ++round) {
        locks.StartStatusRefresh();
        // The worker adds two files and removes the oldest file it added.
        frame.dispatch().StartCommand("stress", [root, round] {
            for (const char* suffix : {"a", "b"})
                root->AddChild(std::make_unique<RCSFileItem>("w" + std::to_string(round) + suffix + ".c", root));
            for (auto& child : root->children) {
                if (child->name.starts_with("w")) {
                    child->Detach();
                    break;
                }
            }
            for (auto& child : root->children)
                child->UpdateStatus();
            return 0;
        });
        // The worker may still run: the window's own insert waits for it.
        {
            TreeLock lock(&frame);
            root->AddChild(std::make_unique<RCSFileItem>("g" + std::to_string(round) + ".c", root));
        }
        if (round % 3 == 0)
            locks.StartStatusRefresh();
        frame.view().setCurrentItem(frame.view().topLevelItem(round % 2));
        frame.UpdateCommandUI();
        QCoreApplication::processEvents();
    }
    ASSERT_TRUE(locks.WaitForCommand(60s));
    locks.StopStatusRefresh();
    QCoreApplication::processEvents();
    frame.view().applyPendingChanges();
    EXPECT_EQ(root->children.size(), static_cast<std::size_t>(initialFiles + 2 * rounds));
    ExpectShown(frame.view(), *root);
    ExpectShown(frame.view(), *frame.document().releaseRoot);
    EXPECT_GE(dismissed, rounds);
    frame.UpdateCommandUI();
    EXPECT_EQ(frame.StatusText(), "stress complete");
}

} // namespace
} // namespace kestro::gui
