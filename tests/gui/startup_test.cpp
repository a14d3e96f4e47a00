// Starting and ending the program many times in a row, as a desktop session
// or a script does: every end by a termination signal is a clean exit that
// leaves readable settings.

#include "app/demo_project.h"
#include "app/document.h"

#include <QProcess>
#include <QSettings>
#include <QTemporaryDir>
#include <QThread>

#include <gtest/gtest.h>

#include <csignal>

namespace kestro {
namespace {

// A signal that comes before the program's own code runs ends it as the
// signal does; anything else (an abort, a crash, a failure) is a fault.
TEST(Startup, EndedBySignalsAtAnyMomentItExitsCleanlyEveryTime)
{
    QTemporaryDir directory;
    std::string project;
    {
        CKestroDoc builder;
        std::string error;
        ASSERT_TRUE(BuildDemoProject(builder, directory.path().toStdString(), project, error)) << error;
    }
    int clean = 0;
    for (int run = 0; run < 16; ++run) {
        const int signal = run % 3 == 0 ? SIGINT : SIGTERM;
        QProcess program;
        program.start(KESTRO_GUI, {QString::fromStdString(project)});
        ASSERT_TRUE(program.waitForStarted(60000));
        QThread::msleep(static_cast<unsigned long>(run * 40));
        ::kill(static_cast<pid_t>(program.processId()), signal);
        ASSERT_TRUE(program.waitForFinished(60000));
        const bool killedEarly = program.exitStatus() == QProcess::CrashExit && program.exitCode() == signal;
        const bool cleanExit = program.exitStatus() == QProcess::NormalExit && program.exitCode() == 0;
        EXPECT_TRUE(cleanExit || killedEarly) << "run " << run << ": status " << program.exitStatus() << ", code "
                                              << program.exitCode() << "\n"
                                              << program.readAllStandardError().toStdString();
        clean += cleanExit;
    }
    EXPECT_GE(clean, 12);
    EXPECT_EQ(QSettings(QStringLiteral("Fenwycliff"), QStringLiteral("Kestro")).status(), QSettings::NoError);
}

} // namespace
} // namespace kestro
