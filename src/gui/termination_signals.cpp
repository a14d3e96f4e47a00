#include "gui/termination_signals.h"

#include "model/command_progress.h"
#include "rcs/command_runner.h"

#include <QCoreApplication>
#include <QSocketNotifier>
#include <QThread>

#include <csignal>

#include <sys/socket.h>
#include <unistd.h>

namespace kestro::gui {

namespace {

// The handler may only write to a descriptor; the notifier on the other
// end wakes the interface thread.
int signalPipe[2] = {-1, -1};
bool terminationRequested = false;  // interface thread only

void OnSignal(int)
{
    const char byte = 1;
    [[maybe_unused]] const ssize_t written = ::write(signalPipe[0], &byte, 1);
}

} // namespace

void CatchTerminationSignals()
{
    if (::socketpair(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0, signalPipe) != 0)
        return;
    struct sigaction action {};
    action.sa_handler = &OnSignal;
    sigemptyset(&action.sa_mask);
    action.sa_flags = SA_RESTART;
    for (const int signal : {SIGTERM, SIGHUP, SIGINT})
        ::sigaction(signal, &action, nullptr);
}

void QuitCleanlyOnTerminationSignals()
{
    if (signalPipe[1] < 0)
        return;
    auto* notifier = new QSocketNotifier(signalPipe[1], QSocketNotifier::Read, QCoreApplication::instance());
    QObject::connect(notifier, &QSocketNotifier::activated, [] {
        char byte;
        [[maybe_unused]] const ssize_t read = ::read(signalPipe[1], &byte, 1);
        terminationRequested = true;
        CommandProgress::instance().RequestStop();
        // Ending the program waits out its grace time, off this thread.
        QThread* stopper = QThread::create(&StopRunningProgram);
        QObject::connect(stopper, &QThread::finished, stopper, &QObject::deleteLater);
        stopper->start();
        // Every event loop ends, a modal dialog's too. quit() would close the
        // windows first, and a question about unsaved changes would then
        // hold the program until someone answers it.
        QCoreApplication::exit(0);
    });
}

bool TerminationRequested()
{
    return terminationRequested;
}

} // namespace kestro::gui
