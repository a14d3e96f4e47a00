// Commands over many files named on the command line or brought in by an
// import share their program runs; a file that cannot be checked in (its RCS
// file busy) is named, and the others still are.

#include "support/cli_runner.h"
#include "support/rcs_history.h"

namespace kestro {
namespace {

namespace fs = std::filesystem;

constexpr int FileCount = 24;
constexpr const char* Busy = "f7.c";

// A new project P.rcs in project/ below the scratch directory.
struct BatchedCommands : test::CliProjectTest {
    BatchedCommands()
    {
        dir += "project/";
        fs::create_directories(dir);
        Ok({"new"});
        for (int i = 0; i < FileCount; ++i)
            names << QString::fromStdString(Name(i));
    }
    // How many runs of the program the output echoes.
    static int Runs(const std::string& output, const std::string& program = "ci")
    {
        return static_cast<int>(test::Count("\n" + output, "\n" + DirectProgram(program) + " "));
    }
    static std::string Name(int i) { return "f" + std::to_string(i) + ".c"; }

    // Writes a file of the project.
    void Write(const std::string& name, const std::string& text) { scratch.write("project/" + name, text); }
    std::string Rlog(const std::string& name) { return test::Rlog(dir + "RCS/" + name + ",v"); }
    QStringList names;
};

TEST_F(BatchedCommands, ImportSharesCiRunsAndABusyFileIsNamed)
{
    for (int i = 0; i < FileCount; ++i)
        scratch.write("incoming/" + Name(i), "one " + Name(i) + "\n");
    const QStringList import = {"import", "--site", "Paris", "--dir", "../incoming", "--lock"};
    const test::CliResult first = Run(import + QStringList{"--release", "R1", "-m", "First"});
    ASSERT_EQ(first.exitCode, 0) << first.out << first.err;
    EXPECT_EQ(Runs(first.out), 1) << first.out;

    for (int i = 0; i < FileCount; ++i)
        scratch.write("incoming/" + Name(i), "two " + Name(i) + "\n");
    Write(std::string("RCS/,") + Busy + ",", "");
    const auto before = test::TreeChecksums(dir + "RCS");
    const test::CliResult second = Run(import + QStringList{"--release", "R2", "-m", "Second"});
    EXPECT_NE(second.exitCode, 0);
    EXPECT_EQ(Runs(second.out), 2) << "one shared run, then the busy file alone\n" << second.out;
    EXPECT_TRUE(test::Has(second.out, std::string("RCS/") + Busy + ",v")) << second.out;

    EXPECT_EQ(test::TreeChecksums(dir + "RCS").at(std::string(Busy) + ",v"), before.at(std::string(Busy) + ",v"))
        << "the busy file's history stays";
    for (int i = 0; i < FileCount; ++i)
        EXPECT_EQ(test::Has(Rlog(Name(i)), "Second"), Name(i) != Busy) << Name(i);
    const std::string shown = Run({"show"}).out;
    EXPECT_FALSE(test::Has(shown, "R2")) << "a failed import makes no release";
    EXPECT_EQ(test::Count(shown, "[Paris]"), FileCount - 1u) << "a shared run's revisions belong to the site\n" << shown;
}

TEST_F(BatchedCommands, NamedFilesShareRunsAndABusyFileIsNamed)
{
    for (int i = 0; i < FileCount; ++i)
        Write(Name(i), "one\n");
    ASSERT_EQ(Run(QStringList{"add"} + names).exitCode, 0);
    ASSERT_EQ(Run(QStringList{"checkin"} + names).exitCode, 0);
    for (int i = 0; i < FileCount; ++i)
        Write(Name(i), "two\n");
    Write(std::string("RCS/,") + Busy + ",", "");

    const test::CliResult result = Run(QStringList{"checkin", "-m", "Second"} + names);
    EXPECT_NE(result.exitCode, 0);
    EXPECT_EQ(Runs(result.out), 2) << result.out;
    EXPECT_TRUE(test::Has(result.out, std::string("RCS/") + Busy + ",v")) << result.out;
    for (int i = 0; i < FileCount; ++i)
        EXPECT_EQ(test::Has(Rlog(Name(i)), "Second"), Name(i) != Busy) << Name(i);

    const test::CliResult checkout = Run(QStringList{"checkout", "--force", "-r", "1.1"} + names);
    EXPECT_NE(checkout.exitCode, 0);
    EXPECT_EQ(Runs(checkout.out, "co"), 2) << checkout.out;
    for (int i = 0; i < FileCount; ++i)
        EXPECT_EQ(test::ReadFile(dir + Name(i)), Name(i) == Busy ? "two\n" : "one\n") << Name(i);
    const std::string shown = Run({"show"}).out;
    EXPECT_TRUE(test::Has(shown, "f0.c Checked in Version 1.1 on")) << shown;
}

TEST_F(BatchedCommands, AddingAnRcsTreeNamesADamagedFileAndReadsTheOthers)
{
    fs::create_directories(dir + "RCS");
    for (int i = 0; i < FileCount; ++i) {
        Write(Name(i), "one\n");
        ASSERT_EQ(test::RunProgram({"ci", "-q", "-u", "-t-x", dir + Name(i), dir + "RCS/" + Name(i) + ",v"}), 0);
    }
    test::Rewrite(dir + "f1.c", "changed\n");
    Write(std::string("RCS/") + Busy + ",v", "not an RCS file\n");

    const test::CliResult added = Run(QStringList{"add"} + names);
    EXPECT_TRUE(test::Has(added.out, std::string(Busy) + " : the history could not be read")) << added.out;
    EXPECT_EQ(added.exitCode, 1) << "an unread history is a failure";
    const std::string shown = Run({"show", "--codes"}).out;
    for (int i = 0; i < FileCount; ++i) {
        const std::string status = Name(i) == Busy || i == 1 ? "Modified" : "Checked in Version 1.1";
        EXPECT_TRUE(test::Has(shown, Name(i) + " " + status)) << Name(i) << "\n" << shown;
    }
}

} // namespace
} // namespace kestro
