// Nothing a user has is lost when saves fail, when several kestro-cli runs
// work on one project at once, or when a project folder has been copied.
// Every case runs the real kestro-cli and the real RCS programs.

#include "app/project_lock.h"
#include "support/cli_runner.h"
#include "support/rcs_history.h"

#include <QProcess>

#include <csignal>

#include <sys/resource.h>

namespace kestro {
namespace {

namespace fs = std::filesystem;

struct ProjectSafety : test::CliProjectTest {
    ProjectSafety() { Ok({"new"}); }
};

TEST_F(ProjectSafety, ASaveThatCannotBeWrittenKeepsThePreviousFileAndFails)
{
    for (int i = 0; i < 5; ++i)
        scratch.write("f" + std::to_string(i) + ".c", "x\n");
    Ok({"add", "f0.c", "f1.c", "f2.c", "f3.c", "f4.c"});
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
        const test::CliResult result = test::FinishCli(process);
        EXPECT_EQ(result.exitCode, 1) << name;
        EXPECT_TRUE(test::Has(result.err, "Cannot save project file " + dir + "P.rcs: File too large")) << result.err;
        EXPECT_EQ(test::ReadFile(dir + "P.rcs"), before) << name;
    }
    EXPECT_EQ(test::TreeChecksums(dir).size(), 6u) << "no half-written temporary file is left beside it";
}

TEST_F(ProjectSafety, ParallelRunsKeepEveryChange)
{
    constexpr int files = 8;
    QStringList firstHalf{"checkin", "P.rcs", "-m", "message of the first run"};
    QStringList secondHalf{"checkin", "P.rcs", "-m", "message of the second run"};
    std::vector<std::unique_ptr<QProcess>> adds;
    for (int i = 0; i < files; ++i) {
        const std::string name = "f" + std::to_string(i) + ".c";
        scratch.write(name, "text of " + name + "\n");
        (i % 2 ? secondHalf : firstHalf) << QString::fromStdString(name);
        adds.push_back(test::StartCli({"add", "P.rcs", QString::fromStdString(name)}, dir));
    }
    for (auto& add : adds)
        EXPECT_EQ(test::FinishCli(*add).exitCode, 0);
    const std::string shown = Run({"show"}).out;
    for (int i = 0; i < files; ++i)
        EXPECT_TRUE(test::Has(shown, "  f" + std::to_string(i) + ".c")) << shown;

    // Two check-ins at once: every revision keeps its own run's message.
    auto first = test::StartCli(firstHalf, dir);
    auto second = test::StartCli(secondHalf, dir);
    EXPECT_EQ(test::FinishCli(*first).exitCode, 0);
    EXPECT_EQ(test::FinishCli(*second).exitCode, 0);
    for (int i = 0; i < files; ++i) {
        const std::string log = test::Rlog("f" + std::to_string(i) + ".c");
        EXPECT_TRUE(test::Has(log, i % 2 ? "message of the second run" : "message of the first run")) << log;
    }
    // The programs' scratch files never appear in the project.
    EXPECT_FALSE(fs::exists(dir + "Kestro.IN") || fs::exists(dir + "Kestro.OUT"));

    // A freeze beside site changes: the release and every site stay.
    auto freeze = test::StartCli({"freeze", "P.rcs", "Beta"}, dir);
    std::vector<std::unique_ptr<QProcess>> sites;
    for (const char* site : {"Paris", "Oslo", "Lima", "Rome", "Kyiv"})
        sites.push_back(test::StartCli({"sites", "P.rcs", "add", site}, dir));
    EXPECT_EQ(test::FinishCli(*freeze).exitCode, 0);
    for (auto& site : sites)
        EXPECT_EQ(test::FinishCli(*site).exitCode, 0);
    const std::string listed = Run({"sites"}).out;
    for (const char* site : {"Paris", "Oslo", "Lima", "Rome", "Kyiv"})
        EXPECT_TRUE(test::Has(listed, site)) << listed;
    EXPECT_TRUE(test::Has(Run({"show"}).out, "  Beta "));
}

TEST_F(ProjectSafety, ABusyProjectIsRefusedNamingTheHolder)
{
    const std::string before = test::ReadFile(dir + "P.rcs");
    ProjectLock lock(dir + "P.rcs");
    std::string error;
    ASSERT_EQ(lock.Acquire(std::chrono::milliseconds(0), error), ProjectLock::Result::Locked);
    const test::CliResult refused = Run({"sites", "add", "Paris", "--wait", "0"});
    EXPECT_EQ(refused.exitCode, 1);
    EXPECT_TRUE(test::Has(refused.err, "is in use by")) << refused.err;
    EXPECT_TRUE(test::Has(refused.err, "process " + std::to_string(::getpid()))) << refused.err;
    EXPECT_EQ(test::ReadFile(dir + "P.rcs"), before);
    // Reading needs no lock.
    EXPECT_EQ(Run({"show"}).exitCode, 0);
}

TEST_F(ProjectSafety, ACopiedProjectWorksOnItsOwnFiles)
{
    scratch.write("orig/src/main.c", "original text\n");
    ASSERT_EQ(test::RunCli({"new", "orig/P.rcs"}, dir).exitCode, 0);
    ASSERT_EQ(test::RunCli({"add", "orig/P.rcs", "orig/src/main.c"}, dir).exitCode, 0);
    ASSERT_EQ(test::RunCli({"checkin", "orig/P.rcs", "-m", "first"}, dir).exitCode, 0);
    fs::copy(dir + "orig", dir + "copy", fs::copy_options::recursive);
    const auto original = test::TreeChecksums(dir + "orig");

    scratch.write("copy/src/main.c", "edited in the copy\n");
    const test::CliResult checkin = test::RunCli({"checkin", "copy/P.rcs", "src/main.c", "-m", "copy edit"}, dir);
    EXPECT_EQ(checkin.exitCode, 0) << checkin.out << checkin.err;
    EXPECT_TRUE(test::Has(checkin.out, "working on the files beside it in " + dir + "copy/")) << checkin.out;
    const test::CliResult forced = test::RunCli({"checkout", "copy/P.rcs", "src/main.c", "-r", "1.1", "--force"}, dir);
    EXPECT_EQ(forced.exitCode, 0) << forced.out << forced.err;
    EXPECT_EQ(test::ReadFile(dir + "copy/src/main.c"), "original text\n");
    EXPECT_EQ(test::TreeChecksums(dir + "orig"), original);

    // Once saved, the copy works on its own files without a word.
    EXPECT_FALSE(test::Has(test::RunCli({"sync", "copy/P.rcs"}, dir).out, "copied or moved"));
}

TEST_F(ProjectSafety, AMissingProgramOrScratchPlaceIsNamed)
{
    scratch.write("a.c", "a\n");
    Ok({"add", "a.c"});

    environment.insert("PATH", QString::fromStdString(dir + "empty-path"));
    const test::CliResult missing = Run({"checkin", "-m", "m"});
    EXPECT_NE(missing.exitCode, 0);
    EXPECT_TRUE(test::Has(missing.out, "Cannot run ci: No such file or directory")) << missing.out;

    environment = QProcessEnvironment::systemEnvironment();
    environment.insert("TMPDIR", QString::fromStdString(dir + "no-such-directory"));
    const test::CliResult scratchless = Run({"checkin", "-m", "m"});
    EXPECT_NE(scratchless.exitCode, 0);
    EXPECT_TRUE(test::Has(scratchless.out, "Cannot create a scratch directory in " + dir + "no-such-directory"))
        << scratchless.out;
    EXPECT_FALSE(fs::exists(dir + "RCS/a.c,v"));
}

} // namespace
} // namespace kestro
