#pragma once

// An exclusive lock on a project file between processes, so that two Kestro
// programs never read, change and write one project at the same time and
// lose each other's changes. The lock is a file beside the project file
// ("NAME.lock") that names the process holding it; a lock left by a process
// that has ended is taken over, and the file goes when the lock is released.

#include <QLockFile>

#include <chrono>
#include <string>

namespace kestro {

class ProjectLock {
public:
    enum class Result { Locked, Busy, Unavailable };

    explicit ProjectLock(const std::string& projectPath);
    ProjectLock(const ProjectLock&) = delete;
    ProjectLock& operator=(const ProjectLock&) = delete;

    // Waits up to wait for the lock. Busy: another process held it all that
    // time (error names it); Unavailable: the lock file cannot be made, as in
    // a directory this user cannot write (error says why).
    Result Acquire(std::chrono::milliseconds wait, std::string& error);

private:
    std::string projectPath_;
    QLockFile lock_;
};

} // namespace kestro
