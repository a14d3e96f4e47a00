#include "app/command_locks.h"

#include "app/document.h"
#include "model/command_progress.h"
#include "model/root_item.h"

namespace kestro {

CommandLocks& CommandLocks::instance()
{
    static CommandLocks locks;
    return locks;
}

CommandLocks::~CommandLocks()
{
    StopStatusRefresh();
    if (worker_.joinable())
        worker_.join();
}

bool CommandLocks::IsCommandRunning()
{
    return active_.load();
}

bool CommandLocks::IsRunning(std::string* completedName)
{
    if (active_.load())
        return true;
    if (running_.exchange(false)) {
        JoinFinishedThreads();
        if (completedName)
            *completedName = CommandName();
    }
    return false;
}

std::string CommandLocks::CommandName() const
{
    std::lock_guard lock(nameMutex_);
    return name_;
}

bool CommandLocks::StartCommand(const std::string& name, std::function<int()> work,
                                std::function<void(int)> finished)
{
    bool expected = false;
    if (!active_.compare_exchange_strong(expected, true))
        return false;
    // The previous worker cleared active_ as its very last step, so joining
    // it cannot wait long; a thread still joinable here would otherwise be
    // overwritten below, which ends the process.
    if (worker_.joinable())
        worker_.join();
    {
        std::lock_guard lock(nameMutex_);
        name_ = name;
    }
    running_ = true;
    // A new command starts with no count and no stop asked of it.
    CommandProgress::instance().Reset();
    worker_ = std::thread([this, work = std::move(work), finished = std::move(finished)] {
        {
            std::lock_guard command(commandMutex_);
            std::lock_guard tree(treeMutex_);
            const int result = work();
            if (finished)
                finished(result);
            // A refresh pass that waited for the command starts again from
            // the first file, since the command may have changed any of them.
            std::lock_guard queue(queueMutex_);
            if (refreshPending_)
                nextToRefresh_ = 0;
        }
        active_ = false;
    });
    return true;
}

bool CommandLocks::WaitForCommand(std::chrono::milliseconds timeout)
{
    const auto deadline = std::chrono::steady_clock::now() + timeout;
    while (active_.load()) {
        if (std::chrono::steady_clock::now() >= deadline)
            return false;
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
    }
    JoinFinishedThreads();
    return true;
}

void CommandLocks::JoinFinishedThreads()
{
    // Only a worker that has cleared its flag is joined: it is past its work
    // and the join cannot wait on a lock.
    if (!active_.load() && worker_.joinable() && worker_.get_id() != std::this_thread::get_id())
        worker_.join();
}

bool CommandLocks::TryLockTree(std::chrono::milliseconds timeout)
{
    return treeMutex_.try_lock_for(timeout);
}

void CommandLocks::UnlockTree()
{
    {
        std::lock_guard queue(queueMutex_);
        if (refreshPending_)
            nextToRefresh_ = 0;
    }
    treeMutex_.unlock();
}

void CommandLocks::UnlockTreeUnchanged()
{
    treeMutex_.unlock();
}

void CommandLocks::WithTreeLocked(const std::function<void()>& f)
{
    std::lock_guard tree(treeMutex_);
    f();
}

void CommandLocks::StartStatusRefresh()
{
    std::lock_guard queue(queueMutex_);
    refreshPending_ = true;
    nextToRefresh_ = 0;
    if (refreshThreadActive_)
        return;
    // A thread that marked itself inactive has nothing left to do but end.
    if (refresher_.joinable())
        refresher_.join();
    refreshThreadActive_ = true;
    refresher_ = std::thread(&CommandLocks::RefreshLoop, this);
}

void CommandLocks::CancelStatusRefresh()
{
    std::lock_guard queue(queueMutex_);
    refreshPending_ = false;
}

void CommandLocks::StopStatusRefresh()
{
    CancelStatusRefresh();
    std::thread finishing;
    {
        std::lock_guard queue(queueMutex_);
        finishing = std::move(refresher_);
    }
    if (finishing.joinable())
        finishing.join();
}

bool CommandLocks::IsRefreshPending()
{
    std::lock_guard queue(queueMutex_);
    return refreshPending_;
}

void CommandLocks::RefreshLoop()
{
    for (;;) {
        std::lock_guard tree(treeMutex_);
        RCSItem* item = nullptr;
        {
            std::lock_guard queue(queueMutex_);
            CKestroDoc* doc = CKestroDoc::current();
            if (refreshPending_ && doc && doc->root && nextToRefresh_ < doc->root->children.size()) {
                item = doc->root->children[nextToRefresh_++].get();
            } else {
                refreshPending_ = false;
                refreshThreadActive_ = false;
                return;
            }
        }
        item->UpdateStatus();
    }
}

} // namespace kestro
