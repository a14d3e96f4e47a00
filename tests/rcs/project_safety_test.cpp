// Nothing a user has is lost when saves fail, when several kestro-cli runs
// work on one project at once, or when a project folder has been copied.
// Every case runs the real kestro-cli and the real RCS programs.

#include "app/project_lock.h"
#include "support/rcs_history.h"
#include "support/test_project.h"

#include <QCryptographicHash>
#include <QProcess>

#include <gtest/gtest.h>

#include <algorithm>
#include <csignal>
#include <filesystem>
#include <map>
#include <memory>
#include <vector>

#include <sys/resource.h>

namespace kestro {
namespace {

namespace fs = std::filesystem;

struct CliResult {
    int exitCode = -1;
    std::string out;
    std::string err;
};

CliResult Finish(QProcess& process)
{
    process.waitForFinished(300000);
    return {process.exitStatus() == QProcess::NormalExit ? process.exitCode() : -1,
            process.readAllStandardOutput().toStdString(), process.readAllStandardError().toStdString()};
}

std::unique_ptr<QProcess> Start(const std::string& directory, const QStringList& arguments,
                                const QProcessEnvironment& environment = QProcessEnvironment::systemEnvironment())
{
    auto process = std::make_unique<QProcess>();
    process->setWorkingDirectory(QString::fromStdString(directory));
    process->setProcessEnvironment(environment);
    process->start(KESTRO_CLI, arguments);
    return process;
}

CliResult RunCli(const std::string& directory, const QStringList& arguments)
{
    return Finish(*Start(directory, arguments));
}

// A checksum of every file below a directory, by relative path.
std::map<std::string, QByteArray> Checksums(const std::string& directory)
{
    std::map<std::string, QByteArray> sums;
    for (const auto& entry : fs::recursive_directory_iterator(directory)) {
        if (entry.is_regular_file())
            sums[fs::relative(entry.path(), directory).string()] = QCryptographicHash::hash(
                QByteArray::fromStdString(test::ReadFile(entry.path().string())), QCryptographicHash::Sha256);
    }
    return sums;
}

std::vector<std::string> Listing(const std::string& directory)
{
    std::vector<std::string> names;
    for (const auto& entry : fs::directory_iterator(directory))
        names.push_back(entry.path().filename().string());
    std::sort(names.begin(), names.end());
    return names;
}

class ProjectSafety : public ::testing::Test {
protected:
    ProjectSafety() { EXPECT_EQ(RunCli(dir, {"new", "P.rcs"}).exitCode, 0); }

    test::ScratchDirectory scratch;
    std::string dir = scratch.path();
};

TEST_F(ProjectSafety, ASaveThatCannotBeWrittenKeepsThePreviousFileAndFails)
{
    for (int i = 0; i < 5; ++i)
        scratch.write("f" + std::to_string(i) + ".c", "x\n");
    ASSERT_EQ(RunCli(dir, {"add", "P.rcs", "f0.c", "f1.c", "f2.c", "f3.c", "f4.c"}).exitCode, 0);
    const std::string before = test::ReadFile(dir + "P.rcs");
    ASSERT_FALSE(before.empty());

    // A file-size limit just above the old file: the new one, with a site
    // more, cannot be written in full, as on a full disk. The buffered write
    // fails only when the buffer is flushed, the case that once committed
    // an empty file.
    const rlim_t limit = before.size() + 8;
    for (const char* name : {"Paris", "A site with a long name to pass the limit"}) {
        QProcess process;
        process.setWorkingDirectory(QString::fromStdString(dir));
        process.setChildProcessModifier([limit] {
            std::signal(SIGXFSZ, SIG_IGN);
            const rlimit size{limit, limit};
            ::setrlimit(RLIMIT_FSIZE, &size);
        });
        process.start(KESTRO_CLI, {"sites", "P.rcs", "add", name});
        const CliResult result = Finish(process);
        EXPECT_EQ(result.exitCode, 1) << name;
        EXPECT_NE(result.err.find("Cannot save project file " + dir + "P.rcs: File too large"), std::string::npos)
            << result.err;
        EXPECT_EQ(test::ReadFile(dir + "P.rcs"), before) << name;
    }
    // No half-written temporary file is left beside it.
    EXPECT_EQ(Listing(dir), (std::vector<std::string>{"P.rcs", "f0.c", "f1.c", "f2.c", "f3.c", "f4.c"}));
}

TEST_F(ProjectSafety, ParallelRunsKeepEveryChange)
{
    constexpr int files = 24;
    QStringList firstHalf{"checkin", "P.rcs", "-m", "message of the first run"};
    QStringList secondHalf{"checkin", "P.rcs", "-m", "message of the second run"};
    std::vector<std::unique_ptr<QProcess>> adds;
    for (int i = 0; i < files; ++i) {
        const std::string name = "f" + std::to_string(i) + ".c";
        scratch.write(name, "text of " + name + "\n");
        (i % 2 ? secondHalf : firstHalf) << QString::fromStdString(name);
        adds.push_back(Start(dir, {"add", "P.rcs", QString::fromStdString(name)}));
    }
    for (auto& add : adds)
        EXPECT_EQ(Finish(*add).exitCode, 0);
    const std::string shown = RunCli(dir, {"show", "P.rcs"}).out;
    for (int i = 0; i < files; ++i)
        EXPECT_NE(shown.find("  f" + std::to_string(i) + ".c"), std::string::npos) << shown;

    // Two check-ins at once: every revision keeps its own run's message.
    auto first = Start(dir, firstHalf);
    auto second = Start(dir, secondHalf);
    EXPECT_EQ(Finish(*first).exitCode, 0);
    EXPECT_EQ(Finish(*second).exitCode, 0);
    for (int i = 0; i < files; ++i) {
        const std::string log = test::Rlog("f" + std::to_string(i) + ".c");
        EXPECT_NE(log.find(i % 2 ? "message of the second run" : "message of the first run"), std::string::npos)
            << log;
    }
    // The programs' scratch files never appear in the project.
    EXPECT_FALSE(fs::exists(dir + "Kestro.IN") || fs::exists(dir + "Kestro.OUT"));

    // A freeze beside site changes: the release and every site stay.
    auto freeze = Start(dir, {"freeze", "P.rcs", "Beta"});
    std::vector<std::unique_ptr<QProcess>> sites;
    for (const char* site : {"Paris", "Oslo", "Lima", "Rome", "Kyiv"})
        sites.push_back(Start(dir, {"sites", "P.rcs", "add", site}));
    EXPECT_EQ(Finish(*freeze).exitCode, 0);
    for (auto& site : sites)
        EXPECT_EQ(Finish(*site).exitCode, 0);
    const std::string listed = RunCli(dir, {"sites", "P.rcs"}).out;
    for (const char* site : {"Paris", "Oslo", "Lima", "Rome", "Kyiv"})
        EXPECT_NE(listed.find(site), std::string::npos) << listed;
    EXPECT_NE(RunCli(dir, {"show", "P.rcs"}).out.find("  Beta "), std::string::npos);
}

TEST_F(ProjectSafety, ABusyProjectIsRefusedNamingTheHolder)
{
    const std::string before = test::ReadFile(dir + "P.rcs");
    ProjectLock lock(dir + "P.rcs");
    std::string error;
    ASSERT_EQ(lock.Acquire(std::chrono::milliseconds(0), error), ProjectLock::Result::Locked);
    const CliResult refused = RunCli(dir, {"sites", "P.rcs", "add", "Paris", "--wait", "0"});
    EXPECT_EQ(refused.exitCode, 1);
    EXPECT_NE(refused.err.find("is in use by"), std::string::npos) << refused.err;
    EXPECT_NE(refused.err.find("process " + std::to_string(::getpid())), std::string::npos) << refused.err;
    EXPECT_EQ(test::ReadFile(dir + "P.rcs"), before);
    // Reading needs no lock.
    EXPECT_EQ(RunCli(dir, {"show", "P.rcs"}).exitCode, 0);
}

TEST_F(ProjectSafety, ACopiedProjectWorksOnItsOwnFiles)
{
    scratch.write("orig/src/main.c", "original text\n");
    ASSERT_EQ(RunCli(dir, {"new", "orig/P.rcs"}).exitCode, 0);
    ASSERT_EQ(RunCli(dir, {"add", "orig/P.rcs", "orig/src/main.c"}).exitCode, 0);
    ASSERT_EQ(RunCli(dir, {"checkin", "orig/P.rcs", "-m", "first"}).exitCode, 0);
    fs::copy(dir + "orig", dir + "copy", fs::copy_options::recursive);
    const auto original = Checksums(dir + "orig");

    scratch.write("copy/src/main.c", "edited in the copy\n");
    const CliResult checkin = RunCli(dir, {"checkin", "copy/P.rcs", "src/main.c", "-m", "copy edit"});
    EXPECT_EQ(checkin.exitCode, 0) << checkin.out << checkin.err;
    EXPECT_NE(checkin.out.find("working on the files beside it in " + dir + "copy/"), std::string::npos)
        << checkin.out;
    const CliResult forced = RunCli(dir, {"checkout", "copy/P.rcs", "src/main.c", "-r", "1.1", "--force"});
    EXPECT_EQ(forced.exitCode, 0) << forced.out << forced.err;
    EXPECT_EQ(test::ReadFile(dir + "copy/src/main.c"), "original text\n");
    EXPECT_EQ(Checksums(dir + "orig"), original);

    // Once saved, the copy works on its own files without a word.
    EXPECT_EQ(RunCli(dir, {"sync", "copy/P.rcs"}).out.find("copied or moved"), std::string::npos);
}

TEST_F(ProjectSafety, AMissingProgramOrScratchPlaceIsNamed)
{
    scratch.write("a.c", "a\n");
    ASSERT_EQ(RunCli(dir, {"add", "P.rcs", "a.c"}).exitCode, 0);

    QProcessEnvironment noRcs = QProcessEnvironment::systemEnvironment();
    noRcs.insert("PATH", QString::fromStdString(dir + "empty-path"));
    const CliResult missing = Finish(*Start(dir, {"checkin", "P.rcs", "-m", "m"}, noRcs));
    EXPECT_NE(missing.exitCode, 0);
    EXPECT_NE(missing.out.find("Cannot run ci: No such file or directory"), std::string::npos) << missing.out;

    QProcessEnvironment noTemp = QProcessEnvironment::systemEnvironment();
    noTemp.insert("TMPDIR", QString::fromStdString(dir + "no-such-directory"));
    const CliResult scratchless = Finish(*Start(dir, {"checkin", "P.rcs", "-m", "m"}, noTemp));
    EXPECT_NE(scratchless.exitCode, 0);
    EXPECT_NE(scratchless.out.find("Cannot create a scratch directory in " + dir + "no-such-directory"),
              std::string::npos)
        << scratchless.out;
    EXPECT_FALSE(fs::exists(dir + "RCS/a.c,v"));
}

} // namespace
} // namespace kestro
