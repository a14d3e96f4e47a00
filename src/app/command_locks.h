#pragma once

// The locks that keep the item trees consistent between the interface, the
// one command worker that may run at a time, and the background status
// refresh.
//
// Lock order: the command lock before the tree lock, the tree lock before the
// refresh queue's lock. The interface thread never waits without limit for a
// lock that a worker may hold: it polls (IsCommandRunning, TryLockTree), so
// the window keeps repainting while a command runs.

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <functional>
#include <mutex>
#include <string>
#include <thread>

namespace kestro {

class CommandLocks {
public:
    static CommandLocks& instance();
    ~CommandLocks();

    // True while a command worker holds the command lock.
    bool IsCommandRunning();
    // Polled by the interface: true while a command runs. When a command
    // has ended since the last call, completedName receives its name once
    // (for the " complete" text) and the call returns false.
    bool IsRunning(std::string* completedName = nullptr);
    std::string CommandName() const;

    // Starts the command worker: it takes the command lock, then the tree
    // lock, runs work, calls finished(result) (still under both locks), lets
    // a pending refresh pass start again from the top, and lets go. Refused
    // (false) while another command runs.
    bool StartCommand(const std::string& name, std::function<int()> work,
                      std::function<void(int)> finished = nullptr);
    // Waits for the worker to end, at most for the timeout; true when none runs.
    bool WaitForCommand(std::chrono::milliseconds timeout);

    // The tree lock, for the interface thread around load, save, insert and
    // delete: a try with a timeout, never an endless wait.
    bool TryLockTree(std::chrono::milliseconds timeout);
    void UnlockTree();
    // Lets go of the tree without restarting a pending refresh pass, for a
    // holder that only read it (the enabling of the window's commands, many
    // times a second, would otherwise keep a pass from ever finishing).
    void UnlockTreeUnchanged();
    // Runs f under the tree lock; for workers and tests.
    void WithTreeLocked(const std::function<void()>& f);
    // For code that holds the tree lock over a scope (std::lock_guard).
    std::recursive_timed_mutex& TreeMutex() { return treeMutex_; }

    // Starts a status refresh pass over the file tree's files, one file per
    // turn of the tree lock; a pass already pending starts again from the
    // first file. Never touches a lock its caller holds.
    void StartStatusRefresh();
    // Ends the pending pass after the file being refreshed.
    void CancelStatusRefresh();
    // Cancels and waits until the refresh thread has stopped, at exit. Never
    // call it holding the tree lock: the thread may be waiting for it.
    void StopStatusRefresh();
    bool IsRefreshPending();

private:
    CommandLocks() = default;
    void RefreshLoop();
    void JoinFinishedThreads();

    std::timed_mutex commandMutex_;
    std::recursive_timed_mutex treeMutex_;
    std::atomic<bool> active_{false};   // a worker has been started and not ended
    std::atomic<bool> running_{false};  // its end has not been reported yet
    mutable std::mutex nameMutex_;
    std::string name_;
    std::thread worker_;

    std::mutex queueMutex_;
    bool refreshPending_ = false;
    std::size_t nextToRefresh_ = 0;
    bool refreshThreadActive_ = false;
    std::thread refresher_;
};

} // namespace kestro
