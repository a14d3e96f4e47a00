#include "app/project_lock.h"

#include <QString>

namespace kestro {

ProjectLock::ProjectLock(const std::string& projectPath)
    : projectPath_(projectPath), lock_(QString::fromStdString(projectPath + ".lock"))
{
    // A long command holds the lock for minutes: only a holder that has
    // ended makes a lock stale, never its age.
    lock_.setStaleLockTime(0);
}

ProjectLock::Result ProjectLock::Acquire(std::chrono::milliseconds wait, std::string& error)
{
    if (lock_.tryLock(static_cast<int>(wait.count())))
        return Result::Locked;
    if (lock_.error() == QLockFile::LockFailedError) {
        qint64 pid = 0;
        QString host, application;
        std::string holder = "another program";
        if (lock_.getLockInfo(&pid, &host, &application))
            holder = (application.isEmpty() ? std::string("a program") : application.toStdString()) + " (process "
                     + std::to_string(pid) + (host.isEmpty() ? std::string() : " on " + host.toStdString()) + ")";
        error = "Project file " + projectPath_ + " is in use by " + holder + "; try again when it has finished";
        return Result::Busy;
    }
    error = "Cannot lock project file " + projectPath_ + ": "
            + (lock_.error() == QLockFile::PermissionError ? std::string("Permission denied")
                                                           : std::string("the lock file cannot be made"));
    return Result::Unavailable;
}

} // namespace kestro
