#include "cli/cli_arguments.h"
#include "support/test_project.h"

#include <QProcess>

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

namespace kestro {
namespace {

struct CliRun {
    int exitCode;
    std::string out;
    std::string err;
};

CliRun RunCli(const QStringList& arguments)
{
    QProcess process;
    process.start(QStringLiteral(KESTRO_CLI), arguments);
    process.waitForFinished(60000);
    return {process.exitStatus() == QProcess::NormalExit ? process.exitCode() : -1,
            process.readAllStandardOutput().toStdString(), process.readAllStandardError().toStdString()};
}

TEST(CliArguments, CommandProjectOptionsAndItems)
{
    cli::Arguments parsed;
    std::string error;
    ASSERT_TRUE(cli::ParseArguments({"checkin", "P.rcs", "-m", "a message", "--force", "a.c", "--", "-odd"},
                                    {"-m"}, parsed, error));
    EXPECT_EQ(parsed.command, "checkin");
    EXPECT_EQ(parsed.project, "P.rcs");
    EXPECT_EQ(parsed.values.at("-m"), "a message");
    EXPECT_EQ(parsed.flags, std::set<std::string>{"--force"});
    EXPECT_EQ(parsed.items, (std::vector<std::string>{"a.c", "-odd"}));

    cli::Arguments missing;
    EXPECT_FALSE(cli::ParseArguments({"checkin", "P.rcs", "-m"}, {"-m"}, missing, error));
    EXPECT_EQ(error, "Option -m needs a value");
}

TEST(Cli, NewThenShowPrintsBothTrees)
{
    test::ScratchDirectory scratch;
    const QString project = QString::fromStdString(scratch.path() + "Parser.rcs");
    CliRun created = RunCli({"new", project});
    ASSERT_EQ(created.exitCode, 0) << created.err;
    CliRun again = RunCli({"new", project});
    EXPECT_EQ(again.exitCode, 1) << "an existing project is never overwritten";

    CliRun shown = RunCli({"show", project});
    ASSERT_EQ(shown.exitCode, 0) << shown.err;
    EXPECT_EQ(shown.out, "Releases\nParser\n");
    CliRun codes = RunCli({"show", project, "--codes"});
    EXPECT_EQ(codes.out, "[12] Releases\n[0] Parser\n");
}

TEST(Cli, DamagedProjectIsReportedWithItsName)
{
    test::ScratchDirectory scratch;
    const std::string path = scratch.path() + "Broken.rcs";
    std::ofstream(path, std::ios::binary) << std::string("\x05\x00\x00\x00\xff\xff", 6);
    CliRun shown = RunCli({"show", QString::fromStdString(path)});
    EXPECT_EQ(shown.exitCode, 1);
    EXPECT_NE(shown.err.find(path), std::string::npos) << shown.err;
    EXPECT_EQ(std::filesystem::file_size(path), 6u) << "a failed open leaves the file alone";

    CliRun usage = RunCli({"frobnicate", "P.rcs"});
    EXPECT_EQ(usage.exitCode, 2);
}

} // namespace
} // namespace kestro
