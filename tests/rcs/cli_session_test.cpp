// A whole single-site session through kestro-cli, as a script would run it.

#include "rcs/rcs_programs.h"
#include "support/cli_runner.h"
#include "support/rcs_history.h"
#include "support/test_project.h"

#include <QProcess>

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <sstream>

namespace kestro {
namespace {

class CliSession : public ::testing::Test {
protected:
    test::CliResult Run(QStringList arguments)
    {
        arguments.insert(1, project);
        return test::RunCli(arguments, scratch.path());
    }
    std::string Read(const std::string& relative) { return test::ReadFile(scratch.path() + relative); }

    test::ScratchDirectory scratch;
    QString project = QString::fromStdString(scratch.path() + "Session.rcs");
};

TEST_F(CliSession, FromNewProjectToAFrozenReleaseCheckedOutAgain)
{
    ASSERT_EQ(Run({"new"}).exitCode, 0);
    test::WriteText("src/main.c", "int main(void) { return 0; }\n");
    test::WriteText("doc/notes.txt", "first notes\n");

    test::CliResult added = Run({"add", "src/main.c", "doc\\notes.txt"});
    ASSERT_EQ(added.exitCode, 0) << added.err;
    test::CliResult shown = Run({"show", "--codes"});
    EXPECT_NE(shown.out.find("[1] src\\main.c New file"), std::string::npos) << shown.out;

    test::CliResult first = Run({"checkin", "-m", "First version"});
    ASSERT_EQ(first.exitCode, 0) << first.out << first.err;
    EXPECT_NE(first.out.find(DirectProgram("ci") + " -l "), std::string::npos) << first.out;

    test::WriteText("src/main.c", "int main(void) { return 1; }\n");
    test::CliResult second = Run({"checkin", "src/main.c", "-m", "Return one\n\nSecond paragraph."});
    ASSERT_EQ(second.exitCode, 0) << second.out << second.err;
    EXPECT_NE(test::Rlog("src/RCS/main.c,v").find("Return one\n\nSecond paragraph."), std::string::npos);

    test::CliResult frozen = Run({"freeze", "Beta 2"});
    ASSERT_EQ(frozen.exitCode, 0) << frozen.out << frozen.err;
    EXPECT_NE(test::Rlog("src/RCS/main.c,v").find("Beta_2: 1.2"), std::string::npos);
    EXPECT_NE(test::Rlog("doc/RCS/notes.txt,v").find("Beta_2: 1.1"), std::string::npos);

    test::WriteText("src/main.c", "int main(void) { return 2; }\n");
    ASSERT_EQ(Run({"checkin", "src/main.c", "-m", "Return two"}).exitCode, 0);

    test::CliResult back = Run({"checkout", "release:Beta 2", "--no-lock"});
    ASSERT_EQ(back.exitCode, 0) << back.out << back.err;
    EXPECT_EQ(Read("src/main.c"), "int main(void) { return 1; }\n");
    EXPECT_NE(back.out.find("-uBeta_2"), std::string::npos) << back.out;
    EXPECT_EQ(Read("release.h"), "") << "no release name file is set for this project";

    shown = Run({"show"});
    EXPECT_NE(shown.out.find("  Beta 2 "), std::string::npos) << shown.out;
    EXPECT_NE(shown.out.find("src\\main.c Checked in Version 1.2"), std::string::npos) << shown.out;
}

TEST_F(CliSession, RefusalsAndBadItemsFailWithAMessage)
{
    ASSERT_EQ(Run({"new"}).exitCode, 0);
    test::WriteText("a.c", "a\n");
    ASSERT_EQ(Run({"add", "a.c"}).exitCode, 0);

    test::CliResult noLock = Run({"checkin", "a.c", "-m", "x"});
    ASSERT_EQ(noLock.exitCode, 0) << noLock.out << noLock.err;
    test::WriteText("a.c", "b\n");
    test::CliResult again = Run({"checkin", "a.c", "-m", "y", "--no-lock"});
    ASSERT_EQ(again.exitCode, 0) << again.out;
    test::CliResult refused = Run({"checkin", "a.c", "-m", "z"});
    EXPECT_EQ(refused.exitCode, 1);
    EXPECT_NE(refused.out.find("a.c : no revisions locked by "), std::string::npos) << refused.out;

    test::CliResult missing = Run({"lock", "nofile.c@1.1"});
    EXPECT_EQ(missing.exitCode, 1);
    EXPECT_NE(missing.err.find("No file nofile.c in the project"), std::string::npos) << missing.err;

    test::CliResult badName = Run({"freeze", "1st"});
    EXPECT_EQ(badName.exitCode, 1);
    EXPECT_NE(badName.err.find("Release name must start with a letter"), std::string::npos) << badName.err;

    test::CliResult locked = Run({"lock", "a.c@1.2"});
    ASSERT_EQ(locked.exitCode, 0) << locked.out << locked.err;
    EXPECT_NE(test::Rlog("RCS/a.c,v").find("locked by: " + test::LoginName()), std::string::npos);

    // rcs cannot set the symbol while another program holds the RCS file.
    test::WriteText("RCS/,a.c,", "");
    test::CliResult busy = Run({"freeze", "Busy"});
    std::filesystem::remove(scratch.path() + "RCS/,a.c,");
    EXPECT_NE(busy.exitCode, 0);
    EXPECT_NE(busy.out.find("a.c : cannot freeze as Busy\r\n"), std::string::npos) << busy.out;
    EXPECT_EQ(test::Rlog("RCS/a.c,v").find("Busy"), std::string::npos);
    EXPECT_EQ(Run({"show"}).out.find("Busy"), std::string::npos);

    test::CliResult deleted = Run({"delete", "a.c"});
    ASSERT_EQ(deleted.exitCode, 0) << deleted.err;
    EXPECT_TRUE(std::filesystem::exists(scratch.path() + "a.c")) << "only the item leaves the project";
    EXPECT_EQ(Run({"show"}).out, "Releases\nSession\n");
}

} // namespace
} // namespace kestro
