// Commands, status refresh passes and tree changes from the window, all at
// once: the window must end up showing exactly the item trees, with no
// deadlock and no crash. Every count is bounded and no RCS program runs.

#include "app/command_locks.h"
#include "app/document.h"
#include "app/text_tree_view.h"
#include "gui/command_dispatch.h"
#include "gui/main_frame.h"
#include "gui/tree_view.h"
#include "model/file_item.h"
#include "model/release_root.h"
#include "model/root_item.h"
#include "support/test_project.h"

#include <QApplication>
#include <QDialog>
#include <QElapsedTimer>
#include <QThread>
#include <QTimer>

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <random>
#include <thread>

namespace kestro::gui {
namespace {

using namespace std::chrono_literals;

bool WaitFor(const std::function<bool()>& condition)
{
    QElapsedTimer waited;
    waited.start();
    while (!condition()) {
        if (waited.hasExpired(60000))
            return false;
        QCoreApplication::processEvents(QEventLoop::AllEvents, 10);
        QThread::msleep(2);
    }
    return true;
}

// Closes every modal window as soon as it shows: results windows early
// (their command runs on) and the "Waiting for" messages with OK.
class Dismisser {
public:
    Dismisser()
    {
        QObject::connect(&timer_, &QTimer::timeout, [this] {
            if (auto* dialog = qobject_cast<QDialog*>(QApplication::activeModalWidget())) {
                dialog->accept();
                ++dismissed;
            }
        });
        timer_.start(1);
    }
    int dismissed = 0;

private:
    QTimer timer_;
};

// Opens every node, as the view makes a node's children when it is first
// opened.
std::string Render(QTreeWidgetItem* item, int level)
{
    item->setExpanded(true);
    std::string out(static_cast<std::size_t>(level) * 2, ' ');
    out += item->text(0).toStdString() + "\n";
    for (int i = 0; i < item->childCount(); ++i)
        out += Render(item->child(i), level + 1);
    return out;
}

std::string Render(QTreeWidget& tree)
{
    std::string out;
    for (int i = 0; i < tree.topLevelItemCount(); ++i)
        out += Render(tree.topLevelItem(i), 0);
    return out;
}

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

TEST(TreeViewThreads, ChangesFromAnotherThreadReachTheWidgetInOrder)
{
    CKestroView view;
    TextTreeView reference;
    std::atomic<bool> done{false};
    std::thread changer([&] {
        std::mt19937 random(7);
        std::vector<std::pair<NodeId, NodeId>> nodes;  // view id, reference id
        for (int step = 0; step < 3000; ++step) {
            const unsigned choice = random() % 10;
            if (choice < 5 || nodes.empty()) {
                const auto parent = nodes.empty() || random() % 4 == 0
                                        ? std::pair<NodeId, NodeId>{0, 0}
                                        : nodes[random() % nodes.size()];
                const int position = static_cast<int>(random() % 4);
                const std::string text = "node " + std::to_string(step);
                const int before = view.childCount(parent.first);
                const NodeId id = view.insertNode(parent.first, position, nullptr, text, step % 13);
                ASSERT_NE(id, 0u);
                // The view answers for the new node before the widget has it.
                ASSERT_EQ(view.childCount(parent.first), before + 1);
                nodes.emplace_back(id, reference.insertNode(parent.second, position, nullptr, text, step % 13));
            } else if (choice < 8) {
                const auto& [id, mirror] = nodes[random() % nodes.size()];
                const std::string text = "renamed " + std::to_string(step);
                view.updateNode(id, nullptr, text, 0);
                reference.updateNode(mirror, nullptr, text, 0);
            } else if (choice == 8) {
                const std::size_t index = random() % nodes.size();
                view.deleteNode(nodes[index].first);
                reference.deleteNode(nodes[index].second);
                // Nodes below the deleted one go too; they are dropped from
                // the choices as the reference no longer knows them.
                std::erase_if(nodes, [&](const auto& node) { return reference.node(node.second) == nullptr; });
            } else {
                view.selectNode(nodes[random() % nodes.size()].first);
            }
        }
        done = true;
    });
    // The widget is brought up to date while the changes keep coming.
    EXPECT_TRUE(WaitFor([&] { return done.load(); }));
    changer.join();
    QCoreApplication::processEvents();
    view.applyPendingChanges();

    EXPECT_EQ(Render(view), reference.Render(false));
}

TEST(CommandLocksStress, CommandsStartBackToBackWithoutTheirEndBeingPolled)
{
    CommandLocks& locks = CommandLocks::instance();
    std::atomic<int> ran{0};
    for (int i = 0; i < 50; ++i) {
        ASSERT_TRUE(WaitFor([&] { return !locks.IsCommandRunning(); }));
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
    CKestroDoc& doc = frame.document();
    RCSRoot* root = doc.root.get();
    constexpr int initialFiles = 20;
    constexpr int rounds = 25;
    for (int i = 0; i < initialFiles; ++i) {
        if (i % 2)
            scratch.write("f" + std::to_string(i) + ".c", "x");
        TreeLock lock(&frame);
        root->AddChild(std::make_unique<RCSFileItem>("f" + std::to_string(i) + ".c", root));
    }

    Dismisser dismisser;
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
        // Its window was closed at once, so the worker may still run: the
        // window's own insert waits for it.
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
    ExpectShown(frame.view(), *doc.releaseRoot);
    EXPECT_GE(dismisser.dismissed, rounds);
    frame.UpdateCommandUI();
    EXPECT_EQ(frame.StatusText(), "stress complete");
}

} // namespace
} // namespace kestro::gui
