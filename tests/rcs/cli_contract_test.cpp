// What scripts rely on: kestro-cli takes paths from the caller's directory,
// refuses a command line it cannot run as given before changing anything,
// and reads and sets every option the window can.

#include "support/cli_runner.h"
#include "support/rcs_history.h"

namespace kestro {
namespace {

namespace fs = std::filesystem;

// The project lives in proj/ below the scratch directory; every command runs
// from the scratch directory itself, naming the project as proj/P.rcs.
struct CliContract : test::CliProjectTest {
    CliContract()
    {
        project = "proj/P.rcs";
        scratch.write("proj/src/main.c", "int main;\n");
        scratch.write("proj/notes.txt", "notes\n");
        for (const QStringList& step : {QStringList{"new"}, {"add", "proj/src/main.c", "proj\\notes.txt"},
                                        {"checkin", "-m", "first"}})
            Ok(step);
    }

    // Every file of the project, RCS files included.
    std::map<std::string, QByteArray> Checksums() { return test::TreeChecksums(scratch.path() + "proj"); }

    std::string Project() { return test::ReadFile(scratch.path() + project); }
    std::string Log(const std::string& file) { return test::Rlog(scratch.path() + "proj/" + file); }
};

TEST_F(CliContract, EveryChangingCommandTakesPathsFromTheCallersDirectory)
{
    scratch.write("proj/src/extra.c", "extra\n");
    scratch.write("proj/src/main.c", "int main(void);\n");
    const std::vector<QStringList> commands{
        {"add", "proj/src/extra.c"},
        {"delete", "proj/src/extra.c"},
        {"checkin", "proj/src/main.c", "-m", "second"},
        {"lock", "src/main.c@1.1"},
        {"unlock", "src\\main.c@1.1"},
        {"checkout", "proj/src/main.c", "-r", "1.1", "--force"},
        {"freeze", "Beta"},
        {"sites", "add", "Paris"},
        {"owner", "notes.txt@1.1", "Paris"},
        {"options", "release-name-template", "R %s\\n"},
    };
    for (const QStringList& command : commands) {
        const std::string before = Project();
        Ok(command);
        EXPECT_NE(Project(), before) << command.join(' ').toStdString();
    }
    EXPECT_TRUE(test::Has(Log("src/main.c"), "second"));
    EXPECT_EQ(test::ReadFile(scratch.path() + "proj/src/main.c"), "int main;\n");
    const std::string shown = Run({"show"}).out;
    EXPECT_TRUE(test::Has(shown, "  Beta ")) << shown;
    EXPECT_FALSE(test::Has(shown, "extra.c")) << shown;
    EXPECT_EQ(Run({"options", "release-name-template"}).out, "R %s\\n\n");

    // A release comes back as it was frozen.
    scratch.write("proj/src/main.c", "scratch\n");
    const test::CliResult back = Run({"checkout", "release:Beta", "--force"});
    EXPECT_EQ(back.exitCode, 0) << back.out << back.err;
    EXPECT_TRUE(test::Has(back.out, "-lBeta")) << back.out;
    EXPECT_EQ(test::ReadFile(scratch.path() + "proj/src/main.c"), "int main;\n");
    EXPECT_TRUE(test::Has(Run({"show"}).out, "src\\main.c Checked in Version 1.1"));
}

TEST_F(CliContract, ACommandLineThatCannotRunAsGivenChangesNothing)
{
    scratch.write("proj/src/main.c", "edited, not to be lost\n");
    scratch.write("proj/-o.c", "dash\n");
    const auto before = Checksums();
    const std::vector<std::pair<QStringList, int>> refused{
        {{"checkout", "--forse"}, 2},
        {{"checkout", "-o.c", "--force"}, 2},
        {{"checkin", "-m"}, 2},
        {{"checkin", "src/main.c"}, 2},
        {{"checkin"}, 2},
        {{"freeze"}, 2},
        {{"checkout", "src/absent.c", "--force"}, 1},
        {{"add", "proj/absent.c"}, 1},
        {{"show", "--format", "xml"}, 2},
        {{"options", "no-such-option"}, 2},
        {{"options", "release-name-file", "../../outside.h"}, 1},
    };
    for (const auto& [arguments, status] : refused) {
        const test::CliResult result = Run(arguments);
        EXPECT_EQ(result.exitCode, status) << arguments.join(' ').toStdString() << "\n" << result.out;
        EXPECT_TRUE(result.out.empty()) << arguments.join(' ').toStdString() << "\n" << result.out;
        EXPECT_EQ(std::count(result.err.begin(), result.err.end(), '\n'), 1) << result.err;
        EXPECT_EQ(Checksums(), before) << arguments.join(' ').toStdString();
    }
    // After "--" a name starting with "-" is a file.
    EXPECT_EQ(Run({"add", "--", "proj/-o.c"}).exitCode, 0);
    EXPECT_TRUE(test::Has(Run({"show"}).out, "  -o.c"));
}

TEST_F(CliContract, ACheckInMessageIsTheRunsAloneWhereverItComesFrom)
{
    scratch.write("proj/src/main.c", "two\n");
    scratch.write("proj/notes.txt", "two\n");
    scratch.write("message.txt", "from a file\nsecond line\n");
    EXPECT_EQ(Run({"checkin", "--message-file", "message.txt"}).exitCode, 0);
    EXPECT_TRUE(test::Has(Log("src/main.c"), "from a file\nsecond line\n"));
    EXPECT_TRUE(test::Has(Log("notes.txt"), "from a file\nsecond line\n"));

    scratch.write("proj/src/main.c", "three\n");
    EXPECT_EQ(Run({"checkin", "src/main.c", "--message-file", "-"}, "typed in\n").exitCode, 0);
    EXPECT_TRUE(test::Has(Log("src/main.c"), "typed in"));

    // The project keeps no message for a later run, nor for the window.
    {
        RCSOptions::instance().checkin.logMessage = "stale";
        CKestroDoc doc;
        std::string error;
        ASSERT_TRUE(doc.OnOpenDocument(scratch.path() + project, error)) << error;
        EXPECT_EQ(RCSOptions::instance().checkin.logMessage, "");
        test::ResetOptions();
    }

    // New files each get their own initial message when none is given.
    scratch.write("proj/a.c", "a\n");
    scratch.write("proj/b.c", "b\n");
    ASSERT_EQ(Run({"add", "proj/a.c", "proj/b.c"}).exitCode, 0);
    EXPECT_EQ(Run({"checkin", "a.c", "b.c"}).exitCode, 0);
    EXPECT_TRUE(test::Has(Log("a.c"), "a.c - Initial checkin"));
    EXPECT_TRUE(test::Has(Log("b.c"), "b.c - Initial checkin"));
}

TEST_F(CliContract, OptionsAreListedSetReadBackAndTakeEffect)
{
    const test::CliResult listed = Run({"options"});
    EXPECT_EQ(listed.exitCode, 0);
    for (const char* name : {"use-universal-time=false", "time-display-format=", "file-types=", "release-name-file=",
                             "release-name-template=#define RELEASE \"%s\"\\r\\n", "site-name=", "default-send-command="})
        EXPECT_TRUE(test::Has(listed.out, name)) << name << "\n" << listed.out;

    EXPECT_EQ(Run({"options", "time-display-format", "%Y=%m"}).exitCode, 0);
    EXPECT_EQ(Run({"options", "time-display-format"}).out, "%Y=%m\n");
    EXPECT_TRUE(test::Has(Run({"show"}).out, "1.1 (" + test::LoginName() + ") 20"));
    EXPECT_EQ(Run({"options", "use-universal-time", "maybe"}).exitCode, 1);

    const test::CliResult tsv = Run({"show", "--format=tsv"});
    EXPECT_TRUE(test::Has(tsv.out, "1\t"));
    EXPECT_TRUE(test::Has(tsv.out, "\tfile\tsrc\\\\main.c\tsrc\\\\main.c")) << tsv.out;
}

TEST(CliDocumentation, HelpAndManPageNameEveryCommand)
{
    const std::string text = test::RunCli({"--help"}).out;
    const std::string manual = test::ReadFile(KESTRO_MAN_PAGE);
    for (const std::string command : {"demo", "new", "show", "options", "add", "sync", "workdir", "checkin",
                                      "checkout", "compare", "merge", "report", "lock", "unlock", "set-default-branch",
                                      "reset-default-branch", "owner", "freeze", "delete", "sites", "send", "receive",
                                      "import"}) {
        EXPECT_TRUE(test::Has(text, "  " + command + " ")) << command;
        // roff writes a hyphen as "\-".
        QString roff = QString::fromStdString(command).replace("-", "\\-");
        EXPECT_TRUE(test::Has(manual, ".BI " + roff.toStdString() + " ")) << command;
    }
    EXPECT_TRUE(test::RunCli({"--version"}).out.starts_with("kestro-cli "));
}

} // namespace
} // namespace kestro
