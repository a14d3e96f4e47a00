#include "app/command_locks.h"
#include "support/test_project.h"

#include <gtest/gtest.h>

#include <future>

namespace kestro {
namespace {

using namespace std::chrono_literals;

TEST(CommandLocks, OneCommandAtATimeAndItsEndIsReportedOnce)
{
    CommandLocks& locks = CommandLocks::instance();
    std::promise<void> release;
    std::shared_future<void> released = release.get_future().share();
    std::promise<void> start;
    std::future<void> started = start.get_future();
    std::atomic<int> finishedWith{-1};
    ASSERT_TRUE(locks.StartCommand(
        "checkin",
        [released, &start] {
            start.set_value();
            released.wait();
            return 3;
        },
        [&](int result) { finishedWith = result; }));
    EXPECT_TRUE(locks.IsCommandRunning());
    EXPECT_FALSE(locks.StartCommand("checkout", [] { return 0; })) << "a second command waits its turn";
    started.wait();
    const bool treeTaken = locks.TryLockTree(10ms);
    EXPECT_FALSE(treeTaken) << "the worker holds the tree";
    if (treeTaken)
        locks.UnlockTree();
    std::string completed;
    EXPECT_TRUE(locks.IsRunning(&completed));
    EXPECT_TRUE(completed.empty());

    release.set_value();
    ASSERT_TRUE(locks.WaitForCommand(60s));
    EXPECT_EQ(finishedWith, 3);
    EXPECT_FALSE(locks.IsRunning(&completed));
    EXPECT_EQ(completed, "checkin");
    completed.clear();
    EXPECT_FALSE(locks.IsRunning(&completed));
    EXPECT_TRUE(completed.empty()) << "the end is reported once";
    ASSERT_TRUE(locks.TryLockTree(1s));
    locks.UnlockTree();
}

TEST(CommandLocks, RefreshPassUpdatesEveryFileAndSurvivesAClearedProject)
{
    test::ProjectFixture project;
    std::vector<RCSFileItem*> files;
    for (int i = 0; i < 20; ++i)
        files.push_back(test::AddFile(*project.doc->root, "f" + std::to_string(i) + ".c"));
    for (RCSFileItem* file : files)
        EXPECT_EQ(file->StatusCode(), MissingFile);
    for (int i = 0; i < 20; ++i)
        project.scratch.write("f" + std::to_string(i) + ".c", "x");

    CommandLocks& locks = CommandLocks::instance();
    locks.StartStatusRefresh();
    locks.StartStatusRefresh();  // a second request restarts the same pass
    for (int waited = 0; locks.IsRefreshPending() && waited < 6000; ++waited)
        std::this_thread::sleep_for(10ms);
    locks.StopStatusRefresh();
    for (RCSFileItem* file : files)
        EXPECT_EQ(file->StatusCode(), NewFile) << file->name;

    // Clearing the project during a refresh pass is safe.
    for (int i = 20; i < 200; ++i)
        test::AddFile(*project.doc->root, "f" + std::to_string(i) + ".c");
    for (int round = 0; round < 20; ++round) {
        locks.StartStatusRefresh();
        project.doc->OnNewDocument();
        // Whoever changes the trees holds the tree lock, as the window does.
        locks.WithTreeLocked([&] {
            for (int i = 0; i < 10; ++i)
                test::AddFile(*project.doc->root, "g" + std::to_string(i) + ".c");
        });
    }
    locks.StopStatusRefresh();
    EXPECT_EQ(project.doc->root->children.size(), 10u);
}

} // namespace
} // namespace kestro
