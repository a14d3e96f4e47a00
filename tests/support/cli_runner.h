#pragma once

// Runs the real kestro-cli as a script would and keeps what it said. The
// including test target defines KESTRO_CLI as the program's path.

#include "support/test_project.h"

#include <QProcess>
#include <QProcessEnvironment>
#include <QStringList>

#include <memory>
#include <string>

#include <gtest/gtest.h>

namespace kestro::test {

struct CliResult {
    int exitCode = -1;  // -1 when it did not end normally
    std::string out;
    std::string err;
};

// Starts kestro-cli in the directory (the current one when empty) with the
// input on its standard input, for runs that go on side by side.
inline std::unique_ptr<QProcess> StartCli(const QStringList& arguments, const std::string& directory = {},
                                          const QByteArray& input = {},
                                          const QProcessEnvironment& environment =
                                              QProcessEnvironment::systemEnvironment())
{
    auto process = std::make_unique<QProcess>();
    if (!directory.empty())
        process->setWorkingDirectory(QString::fromStdString(directory));
    process->setProcessEnvironment(environment);
    process->start(QStringLiteral(KESTRO_CLI), arguments);
    process->write(input);
    process->closeWriteChannel();
    return process;
}

inline CliResult FinishCli(QProcess& process)
{
    process.waitForFinished(300000);
    return {process.exitStatus() == QProcess::NormalExit ? process.exitCode() : -1,
            process.readAllStandardOutput().toStdString(), process.readAllStandardError().toStdString()};
}

inline CliResult RunCli(const QStringList& arguments, const std::string& directory = {},
                        const QByteArray& input = {},
                        const QProcessEnvironment& environment = QProcessEnvironment::systemEnvironment())
{
    return FinishCli(*StartCli(arguments, directory, input, environment));
}

// A project in a scratch directory for tests of kestro-cli: Run puts the
// project's path after the command word and runs from dir in the environment.
struct CliProjectTest : ::testing::Test {
    CliResult Run(QStringList arguments, const QByteArray& input = {})
    {
        arguments.insert(1, QString::fromStdString(project));
        return RunCli(arguments, dir, input, environment);
    }
    // Runs the command, which must succeed.
    void Ok(const QStringList& arguments)
    {
        const CliResult result = Run(arguments);
        ASSERT_EQ(result.exitCode, 0) << arguments.join(' ').toStdString() << "\n" << result.out << result.err;
    }
    ScratchDirectory scratch;
    std::string dir = scratch.path();
    std::string project = "P.rcs";
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
};

} // namespace kestro::test
