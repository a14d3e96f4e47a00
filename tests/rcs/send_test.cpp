// Sending releases to another site with the real RCS programs: the command
// file, the revision files beside it, the send command, and kestro-cli's
// sites and send commands.

#include "exchange/rcc_writer.h"
#include "support/cli_runner.h"
#include "support/rcs_history.h"

#include <algorithm>
#include <regex>

namespace kestro {
namespace {

namespace fs = std::filesystem;
using namespace test;
using Lines = std::vector<std::string>;

// A command file taken apart: its command lines, and the log block that
// follows each FILE or DIFF line (without the closing "." line).
struct CommandFileLines {
    explicit CommandFileLines(const std::string& text) : allCrLf(Count(text, "\n") == Count(text, "\r\n"))
    {
        Lines lines;
        for (std::size_t begin = 0, end; (end = text.find("\r\n", begin)) != std::string::npos; begin = end + 2)
            lines.push_back(text.substr(begin, end - begin));
        for (std::size_t i = 0; i < lines.size(); ++i) {
            commands.push_back(lines[i]);
            if (!lines[i].starts_with("FILE") && !lines[i].starts_with("DIFF"))
                continue;
            Lines block;
            while (++i < lines.size() && lines[i] != ".")
                block.push_back(lines[i]);
            blocks.push_back(block);
        }
    }
    bool allCrLf;
    Lines commands;
    std::vector<Lines> blocks;
};

bool Holds(const Lines& lines, const std::string& line)
{
    return std::find(lines.begin(), lines.end(), line) != lines.end();
}

// The revisions whose log a block holds, from its "revision N" lines.
Lines Revisions(const Lines& block)
{
    Lines revisions;
    for (const std::string& line : block) {
        if (line.starts_with("revision "))
            revisions.push_back(line.substr(9, line.find_first_of("\t", 9) - 9));
    }
    return revisions;
}

// A project "Parser" with a history worth sending:
//   src\a.c    1.1 1.2 1.3, branches 1.2.1.1-1.2.1.3 and 1.2.2.1
//   b.c, c.c, "my file.c"   1.1
struct SendTest : RcsProjectTest {
    SendTest()
    {
        SaveAs("Parser.rcs");
        CheckIn("src/a.c", "a1\n", "first a", {"-l"});
        CheckIn("src/a.c", "a2\n", "second a", {"-l"});
        CheckIn("src/a.c", "a3\n", "third a\n.\nafter the dot", {"-l"});
        EXPECT_EQ(RunProgram({"rcs", "-q", "-l1.2", "src/RCS/a.c,v"}), 0);
        CheckIn("src/a.c", "a2 b1\n", "branch one", {"-l1.2.1"});
        CheckIn("src/a.c", "a2 b2\n", "branch two", {"-l1.2.1"});
        CheckIn("src/a.c", "a2 b3\n", "branch three", {"-u1.2.1"});
        EXPECT_EQ(RunProgram({"rcs", "-q", "-l1.2", "src/RCS/a.c,v"}), 0);
        CheckIn("src/a.c", "a2 other\n", "other branch", {"-u1.2.2"});
        CheckIn("b.c", "b1\n", "first b");
        CheckIn("c.c", "c1\n", "first c");
        CheckIn("my file.c", "spaced\n", "first spaced");
        for (const char* path : {"src/a.c", "b.c", "c.c", "my file.c"})
            EXPECT_NE(doc->AddFile(path), nullptr) << path;

        MakeRelease("Beta-1", {{"src\\a.c", "1.2"}, {"b.c", "1.1"}, {"c.c", "1.1"}});
        MakeRelease("Beta-2", {{"src\\a.c", "1.3"}, {"b.c", "1.1"}, {"my file.c", "1.1"}});
        MakeRelease("Branch", {{"src\\a.c", "1.2.1.3"}, {"b.c", "1.1"}});
        MakeRelease("Other", {{"src\\a.c", "1.2.2.1"}});
        paris = doc->siteList->Add("Paris", "paris@example.org");
        paris->sendCommand.clear();
    }
    void MakeRelease(const std::string& name, const std::vector<std::pair<std::string, std::string>>& entries)
    {
        RCSReleaseItem* release = doc->releaseRoot->FindOrCreateRelease(name, nullptr);
        for (const auto& [file, revision] : entries)
            release->AddRevision(doc->root->FindFile(file)->FindRevision(revision));
    }
    std::string SendDirectory() const { return scratch.path() + "RCSSites/Parser/Paris/"; }
    CommandFileLines CommandFile() const { return CommandFileLines(ReadFile(SendDirectory() + "London.RCC")); }
    Site* paris = nullptr;
};

TEST_F(SendTest, ChangedFilesAgainstTheOriginalWithLogBlocksAndDeletions)
{
    paris->lastRelease = "Branch";  // an original given outright wins
    ASSERT_EQ(Send("Paris", "Beta-2", "Beta-1", 1), 0) << Results();

    const CommandFileLines rcc = CommandFile();
    EXPECT_TRUE(rcc.allCrLf);
    EXPECT_EQ(rcc.commands, (Lines{"RCS1 Beta-1 Beta-2 Parser", "SITE London - Paris", "FILE 1.2 1.3 src\\a.c",
                                   "FILE - 1.1 \"my file.c\"", "DELE 1.1 - c.c"}))
        << "b.c is unchanged; an empty e-mail address is written as \"-\"";
    ASSERT_EQ(rcc.blocks.size(), 2u);
    const Lines& a = rcc.blocks[0];
    ASSERT_GE(a.size(), 6u);
    EXPECT_EQ(a.front(), std::string(28, '-'));
    EXPECT_EQ(Revisions(a), Lines{"1.3"}) << "only what came after the base";
    EXPECT_EQ(Lines(a.begin() + 3, a.end()), (Lines{"third a", " .", "after the dot", std::string(77, '=')}))
        << "a lone \".\" in a log cannot end the block";
    EXPECT_TRUE(Holds(rcc.blocks[1], "first spaced"));

    EXPECT_EQ(ReadFile(SendDirectory() + "src/a.c"), "a3\n");
    EXPECT_EQ(ReadFile(SendDirectory() + "my file.c"), "spaced\n");
    EXPECT_FALSE(fs::exists(SendDirectory() + "b.c"));
    EXPECT_EQ(paris->lastRelease, "Beta-2");
    EXPECT_TRUE(doc->IsModified());
    EXPECT_TRUE(Has(Results(), DirectProgram("rlog") + " -N -r1.3 src/RCS/a.c,v >>" + SendDirectory() + "London.RCC\r\n"))
        << Results();
}

TEST_F(SendTest, AllFilesSendsUnchangedFilesAndJustDifferencesSendsRcsdiffOutput)
{
    doc->siteList->GetLocalSite()->emailAddress = "london@example.org";
    ASSERT_EQ(Send("Paris", "Beta-2", "Beta-1", 0), 0) << Results();
    EXPECT_EQ(CommandFile().commands,
              (Lines{"RCS1 Beta-1 Beta-2 Parser", "SITE London london@example.org Paris", "FILE 1.2 1.3 src\\a.c",
                     "FILE 1.1 1.1 b.c", "FILE - 1.1 \"my file.c\"", "DELE 1.1 - c.c"}));
    EXPECT_EQ(ReadFile(SendDirectory() + "b.c"), "b1\n");

    ASSERT_EQ(Send("Paris", "Beta-2", "Beta-1", 2), 0) << Results();
    EXPECT_EQ(CommandFile().commands, (Lines{"RCS1 Beta-1 Beta-2 Parser", "SITE London london@example.org Paris",
                                               "DIFF 1.2 1.3 src\\a.c", "FILE - 1.1 \"my file.c\"",
                                               "DELE 1.1 - c.c"}));
    EXPECT_EQ(ReadFile(SendDirectory() + "src/a.c"), "1c1\n< a2\n---\n> a3\n");
    EXPECT_EQ(ReadFile(SendDirectory() + "my file.c"), "spaced\n");
}

TEST_F(SendTest, TheLastReleaseExchangedIsTheOriginalAndMovesOnlyAfterSuccess)
{
    paris->lastRelease = "Beta-1";
    ASSERT_EQ(Send("Paris", "Beta-2", "", 1), 0) << Results();
    EXPECT_EQ(CommandFile().commands.front(), "RCS1 Beta-1 Beta-2 Parser");
    EXPECT_EQ(paris->lastRelease, "Beta-2");

    // Nothing changed since: only the two header lines.
    ASSERT_EQ(Send("Paris", "Beta-2", "", 1), 0) << Results();
    EXPECT_EQ(CommandFile().commands, (Lines{"RCS1 Beta-2 Beta-2 Parser", "SITE London - Paris"}));

    // A failing send command leaves the files but not the last release.
    paris->sendCommand = std::string(KESTRO_FAKE_PROGRAM) + " exit 3";
    EXPECT_EQ(Send("Paris", "Beta-1", "", 2), 3);
    EXPECT_EQ(paris->lastRelease, "Beta-2");
    EXPECT_EQ(CommandFile().commands.front(), "RCS1 Beta-2 Beta-1 Parser");

    // A failing program stops the send at once, as does a missing RCS file.
    paris->sendCommand.clear();
    fs::remove(scratch.path() + "RCS/c.c,v");
    EXPECT_EQ(Send("Paris", "Beta-1", "", 0), 1);
    EXPECT_TRUE(Has(Results(), "Cannot check out c.c as it has never been checked in\r\n"));
    EXPECT_EQ(paris->lastRelease, "Beta-2");
    EXPECT_EQ(CommandFile().commands.back(), "FILE - 1.1 b.c") << "what was written so far stays";

    // Temporary files go only after a send that succeeded.
    RCSOptions::instance().send.deleteTemporary = true;
    ASSERT_EQ(Send("Paris", "Beta-2", "", 0), 0) << Results();
    EXPECT_TRUE(fs::is_empty(SendDirectory()));
}

TEST_F(SendTest, ARevisionOnABranchBringsItsAncestorsOnThatBranch)
{
    ASSERT_EQ(Send("Paris", "Branch", "Beta-1", 1), 0) << Results();
    const CommandFileLines rcc = CommandFile();
    EXPECT_EQ(rcc.commands, (Lines{"RCS1 Beta-1 Branch Parser", "SITE London - Paris", "FILE 1.2 1.2.1.1 src\\a.c",
                                   "FILE 1.2.1.1 1.2.1.2 src\\a.c", "FILE 1.2.1.2 1.2.1.3 src\\a.c",
                                   "DELE 1.1 - c.c"}));
    EXPECT_EQ(ReadFile(SendDirectory() + "src/a.c"), "a2 b1\n");
    EXPECT_EQ(ReadFile(SendDirectory() + "src/RCS-1/a.c"), "a2 b2\n");
    EXPECT_EQ(ReadFile(SendDirectory() + "src/RCS-2/a.c"), "a2 b3\n");
    ASSERT_EQ(rcc.blocks.size(), 3u);
    for (std::size_t i = 0; i < 3; ++i)
        EXPECT_EQ(Revisions(rcc.blocks[i]), Lines{"1.2.1." + std::to_string(i + 1)});

    // From one branch to a sibling branch: rlog takes no range across them.
    ASSERT_EQ(Send("Paris", "Other", "Branch", 1), 0) << Results();
    EXPECT_EQ(CommandFile().commands, (Lines{"RCS1 Branch Other Parser", "SITE London - Paris",
                                               "FILE 1.2.1.3 1.2.2.1 src\\a.c", "DELE 1.1 - b.c"}));
    EXPECT_TRUE(Holds(CommandFile().blocks[0], "other branch"));
}

TEST_F(SendTest, TheSendCommandGetsEveryValueAsOneArgumentWithoutAShell)
{
    Site* site = doc->siteList->Add("Pa\"ris; touch pwned", "");
    ASSERT_NE(site, nullptr);
    MakeRelease("Beta $(touch pwned2)", {{"b.c", "1.1"}});
    site->sendCommand = std::string(KESTRO_FAKE_PROGRAM)
                        + " echo-args %d %p \"site %s\" %r %l %m %D%M%Y %%d 100%%";
    ASSERT_EQ(Send(site->name, "Beta $(touch pwned2)", "", 0), 0) << Results();

    const std::string directory = scratch.path() + "RCSSites/Parser/Pa\"ris; touch pwned";
    const std::string results = Results();
    const std::string expected = "\r\n[" + directory + "]\n[Parser]\n[site Pa\"ris; touch pwned]\n"
                                 "[Beta $(touch pwned2)]\n[London]\n[]\n";
    EXPECT_TRUE(Has(results, expected)) << results;
    EXPECT_TRUE(std::regex_search(results, std::regex(R"(\n\[\d{6}\]\n\[%d\]\n\[100%\]\n)"))) << results;
    EXPECT_FALSE(fs::exists(scratch.path() + "pwned"));
    EXPECT_FALSE(fs::exists(scratch.path() + "pwned2"));
    EXPECT_EQ(site->lastRelease, "Beta $(touch pwned2)");

    const Lines commands = CommandFileLines(ReadFile(directory + "/London.RCC")).commands;
    EXPECT_EQ(commands, (Lines{"RCS1 - \"Beta $(touch pwned2)\" Parser", "SITE London - \"Pa\"\"ris; touch pwned\"",
                               "FILE - 1.1 b.c"}));
}

TEST_F(SendTest, RefusalsWriteNothing)
{
    EXPECT_EQ(Send("Paris", "Gamma", "", 0), 1);
    EXPECT_EQ(Results(), "Release Gamma does not exist\r\n");
    EXPECT_EQ(Send("  ", "Beta-1", "", 0), 1);
    EXPECT_EQ(Results(), "Cannot create site (blank name)\r\n");
    EXPECT_FALSE(fs::exists(scratch.path() + "RCSSites"));

    // A command file that cannot be made is reported with the system's error.
    doc->siteList->GetLocalSite()->name = std::string(300, 'L');
    EXPECT_EQ(Send("Paris", "Beta-1", "", 0), 1);
    EXPECT_EQ(Results(), "File error 3 (36) : file " + SendDirectory() + std::string(300, 'L') + ".RCC\r\n");
    EXPECT_EQ(paris->lastRelease, "");

    // A damaged project's file name must not lead out of the send directory.
    doc->siteList->GetLocalSite()->name = "London";
    doc->root->FindFile("b.c")->name = "..\\..\\b.c";
    EXPECT_EQ(Send("Paris", "Beta-1", "", 0), 1);
    EXPECT_TRUE(Has(Results(), "Cannot send ..\\..\\b.c as its name leads outside the send directory\r\n"));
    EXPECT_FALSE(fs::exists(scratch.path() + "RCSSites/b.c"));
}

TEST_F(SendTest, ManyFilesShareRunsAndADamagedFileIsNamed)
{
    RCSReleaseItem* release = doc->releaseRoot->FindOrCreateRelease("Many", nullptr);
    for (int i = 0; i < 30; ++i) {
        const std::string name = "f" + std::to_string(i) + ".c";
        CheckIn(name, name + "\n", "first " + name);
        release->AddRevision(doc->AddFile(name)->FindRevision("1.1"));
    }
    const std::string kept = ReadFile("RCS/f12.c,v");
    Rewrite("RCS/f12.c,v", "not an RCS file\n");

    EXPECT_NE(Send("Paris", "Many", "", 0), 0);
    std::string results = Results();
    const std::size_t alone = results.find(DirectProgram("co") + " -f -ko -r1.1 " + SendDirectory() + "f12.c RCS/f12.c,v\r\n");
    ASSERT_NE(alone, std::string::npos) << "run alone, so co names it: " << results;
    EXPECT_EQ(results.find("co: RCS/f12.c,v", alone), results.find("\r\n", alone) + 3) << results;
    EXPECT_EQ(ReadFile(SendDirectory() + "f29.c"), "f29.c\n") << "the files after it are written";
    EXPECT_EQ(paris->lastRelease, "") << "a failed send is not the last exchanged";

    WriteText("RCS/f12.c,v", kept);
    ASSERT_EQ(Send("Paris", "Many", "", 0), 0) << Results();
    results = Results();
    EXPECT_EQ(Count(results, DirectProgram("co") + " -"), 1u) << results;
    EXPECT_EQ(Count(results, DirectProgram("rlog") + " -"), 1u) << results;
    const CommandFileLines rcc = CommandFile();
    ASSERT_EQ(rcc.blocks.size(), 30u);
    for (int i = 0; i < 30; ++i) {
        const std::string name = "f" + std::to_string(i) + ".c";
        EXPECT_EQ(ReadFile(SendDirectory() + name), name + "\n");
        EXPECT_EQ(std::count_if(rcc.blocks.begin(), rcc.blocks.end(),
                                [&](const Lines& block) { return Holds(block, "first " + name); }),
                  1) << name;
    }
}

using RccWriter = RcsProjectTest;

TEST_F(RccWriter, CommandLinesAreQuotedAndLineBreaksRefused)
{
    {
        kestro::CommandFile file;
        ASSERT_TRUE(file.Open(scratch.path() + "X.RCC"));
        EXPECT_TRUE(WriteCommandLine(file, "FILE", "", "a<b", "x\"y z"));
        EXPECT_FALSE(WriteCommandLine(file, "DELE", "1.1", "-", "evil\r\nDELE 1.1 - main.c"));
        EXPECT_TRUE(file.Close());
    }
    EXPECT_EQ(ReadFile(scratch.path() + "X.RCC"), "FILE - \"a<b\" \"x\"\"y z\"\r\n");
    EXPECT_TRUE(Has(test::Results(), "holds a line break"));
}

// kestro-cli's sites and send commands, as a script would use them.
using SiteCommands = test::CliProjectTest;

TEST_F(SiteCommands, ListAddEditRemoveAndSend)
{
    WriteText("a.c", "one\n");
    WriteText("b.c", "bee\n");
    for (const QStringList& step : std::vector<QStringList>{
             {"new"}, {"sites", "local", "London", "--email", "", "--send-command", ""}, {"add", "a.c", "b.c"},
             {"checkin", "-m", "first"}, {"freeze", "R1"}})
        Ok(step);
    WriteText("a.c", "two\n");
    Ok({"checkin", "a.c", "-m", "second"});
    Ok({"freeze", "R2"});
    Ok({"sites", "add", "Paris", "--email", "p@example.org", "--send-command", ""});
    Ok({"sites", "add", "Oslo", "--master", "--send-command", ""});
    EXPECT_EQ(Run({"sites"}).out, "London\t\tlocal\nParis\tp@example.org\nOslo\t\tmaster\n");
    EXPECT_EQ(Run({"sites", "add", "PARIS"}).exitCode, 1);
    EXPECT_EQ(Run({"sites", "add", ".."}).exitCode, 1);

    Ok({"sites", "edit", "Oslo", "--name", "Bergen", "--email", "b@example.org", "--not-master"});
    Ok({"sites", "remove", "Bergen"});
    EXPECT_EQ(Run({"sites"}).out, "London\t\tmaster\tlocal\nParis\tp@example.org\n");

    Ok({"send", "--to", "Paris", "--release", "R1", "--mode", "changed"});
    const std::string rcc = scratch.path() + "RCSSites/P/Paris/London.RCC";
    EXPECT_EQ(CommandFileLines(ReadFile(rcc)).commands,
              (Lines{"RCS1 - R1 P", "SITE London - Paris", "FILE - 1.1 a.c", "FILE - 1.1 b.c"}));

    // The project remembers what Paris has.
    Ok({"send", "--to", "Paris", "--release", "R2", "--mode", "changed"});
    EXPECT_EQ(CommandFileLines(ReadFile(rcc)).commands,
              (Lines{"RCS1 R1 R2 P", "SITE London - Paris", "FILE 1.1 1.2 a.c"}));

    Ok({"send", "--to", "Paris", "--release", "R2", "--original", "R1", "--delete-temporary"});
    EXPECT_FALSE(fs::exists(rcc));
}

} // namespace
} // namespace kestro
