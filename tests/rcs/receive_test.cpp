// Receiving hand-written command files and importing directory trees, with
// the real RCS programs.

#include "model/paths.h"
#include "support/cli_runner.h"
#include "support/rcs_history.h"

namespace kestro {
namespace {

namespace fs = std::filesystem;
using namespace test;

struct ReceiveTest : RcsProjectTest {
    ReceiveTest() { SaveAs("Parser.rcs"); }

    // Writes Paris.RCC (or another name) with the RCS1 and SITE lines first.
    std::string CommandFile(const std::string& entries,
                            const std::string& head = "RCS1 - Beta2 Parser\r\nSITE Paris paul@paris.example London\r\n",
                            const std::string& fileName = "Paris.RCC") const
    {
        test::WriteText(Incoming() + fileName, head + entries);
        return Incoming() + fileName;
    }
    bool ResultsHold(const std::string& text) const { return Has(Results(), text); }

    std::string EntryOf(const std::string& release, const std::string& file)
    {
        RCSReleaseItem* item = doc->releaseRoot->FindRelease(release);
        RCSReleaseVersionItem* entry = item ? item->FindFileEntry(file) : nullptr;
        return entry && entry->revisionRef ? entry->revisionRef->name : std::string("(none)");
    }
};

TEST_F(ReceiveTest, NewFilesAndSeveralRevisionsOfOneFile)
{
    for (const auto& [name, text] : {std::pair{"a.c", "alpha\n"}, {"src/n.c", "one\n"}, {"src/RCS-1/n.c", "two\n"},
                                     {"src/RCS-2/n.c", "three\n"}})
        WriteText(Incoming() + name, text);
    const std::string path = CommandFile("FILE - 1.1 a.c\r\n" + LogBlock("1.1", "Alpha from Paris")
                                             + "FILE - 1.1 src\\n.c\r\n" + LogBlock("1.1", "First n")
                                             + "FILE 1.1 1.1.1.1 src\\n.c\r\n" + LogBlock("1.1.1.1", "Second n")
                                             + "FILE 1.1.1.1 1.1.1.2 src\\n.c\n" + LogBlock("1.1.1.2", "Third n"),
                                         "RCS1 - Beta2 PARSER\r\nSITE Paris paul@paris.example London\r\n");
    ASSERT_EQ(Receive(path), 0) << Results();

    EXPECT_EQ(RevisionText("RCS/a.c,v", "1.1"), "alpha\n");
    EXPECT_EQ(RevisionText("src/RCS/n.c,v", "1.1"), "one\n");
    EXPECT_EQ(RevisionText("src/RCS/n.c,v", "1.1.1.1"), "two\n");
    EXPECT_EQ(RevisionText("src/RCS/n.c,v", "1.1.1.2"), "three\n");
    const std::string log = Rlog("src/RCS/n.c,v");
    // The receive's check-ins lock, whatever the receive dialog says.
    for (const std::string text : {"First n", "Second n", "Third n", "Beta2: 1.1.1.2", "1.1.1.2\tlocked by: "})
        EXPECT_TRUE(Has(log, text)) << text << "\n" << log;
    EXPECT_EQ(EntryOf("Beta2", "a.c"), "1.1");
    EXPECT_EQ(EntryOf("Beta2", "src\\n.c"), "1.1.1.2");

    Site* paris = doc->siteList->Find("Paris");
    ASSERT_NE(paris, nullptr);
    EXPECT_EQ(paris->emailAddress, "paul@paris.example");
    EXPECT_EQ(paris->lastRelease, "Beta2");
    EXPECT_EQ(doc->root->FindFile("src\\n.c")->FindRevision("1.1.1.2")->owningSite, paris);
    EXPECT_TRUE(doc->root->CanFreeze()) << "every received file is checked in";
}

TEST_F(ReceiveTest, ChangesAgainstTheBaseReleaseAndRevisionPairs)
{
    ModelCheckIn("a.c", "a one\n", "a first");
    ModelCheckIn("a.c", "a two\n", "a second");
    ModelCheckIn("b.c", "b one\n", "b first");
    ModelCheckIn("c.c", "c one\n", "c first");
    ASSERT_NE(FreezeProject(*doc, "Beta1"), nullptr);
    ModelCheckIn("b.c", "b two, here only\n", "b second");

    WriteText(Incoming() + "a.c", "a from Paris\n");
    ASSERT_EQ(Receive(CommandFile("FILE 1.2 1.3 a.c\r\n" + LogBlock("1.3", "Changed in Paris")
                                      + "DELE 1.1 - c.c\r\nDELE 1.4 - gone.c\r\n",
                                  "RCS1 Beta1 Beta2 Parser\r\nSITE Paris - London\r\n")),
              0) << Results();
    // 1.2 belongs to this site, so the other site's revision starts its branch.
    EXPECT_EQ(RevisionText("RCS/a.c,v", "1.2.1.1"), "a from Paris\n");
    EXPECT_EQ(EntryOf("Beta2", "a.c"), "1.2.1.1");
    EXPECT_EQ(EntryOf("Beta2", "b.c"), "1.1");
    EXPECT_EQ(EntryOf("Beta2", "c.c"), "(none)");
    EXPECT_EQ(doc->siteList->Find("Paris")->emailAddress, "");
    EXPECT_EQ(doc->siteList->Find("Paris")->TranslateRevision("1.3", Site::Direction::SiteToLocal), "1.2.1.1");
}

TEST_F(ReceiveTest, ARevisionThatExistsIsAcceptedOnlyWithTheSameText)
{
    ModelCheckIn("a.c", "line\n$Id$\n", "a first");
    ASSERT_NE(FreezeProject(*doc, "Beta1"), nullptr);
    // Keyword values differ from site to site; the text is the same.
    WriteText(Incoming() + "a.c", "line\n$Id: a.c,v 1.1 2020/01/01 00:00:00 paul Exp $\n");
    ASSERT_EQ(Receive(CommandFile("FILE - 1.1 a.c\r\n" + LogBlock("1.1", "a first"))), 0) << Results();
    EXPECT_TRUE(ResultsHold("a.c : 1.1 not checked in as it already exists\r\n")) << Results();
    EXPECT_EQ(EntryOf("Beta2", "a.c"), "1.1");
    EXPECT_TRUE(doc->root->CanFreeze());

    const std::string before = ReadFile(scratch.path() + "a.c");
    WriteText(Incoming() + "a.c", "another history\n");
    EXPECT_EQ(Receive(CommandFile("FILE - 1.1 a.c\r\n" + LogBlock("1.1", "a first"),
                                  "RCS1 - Beta3 Parser\r\nSITE Paris - London\r\n")),
              1);
    EXPECT_TRUE(ResultsHold("a.c : cannot checkin 1.1 - a revision of that number with another text exists here\r\n"))
        << Results();
    EXPECT_EQ(ReadFile(scratch.path() + "a.c"), before);
    EXPECT_EQ(doc->releaseRoot->FindRelease("Beta3"), nullptr);
}

TEST_F(ReceiveTest, AFailedReceiveLeavesTheSymbolsOfOlderReleases)
{
    ModelCheckIn("a.c", "a one\n", "a first");
    ModelCheckIn("c.c", "c one\n", "c first");
    ASSERT_NE(FreezeProject(*doc, "Beta_2"), nullptr);
    ASSERT_NE(FreezeProject(*doc, "Beta1"), nullptr);

    // The new release's symbol would be Beta_2's.
    for (const char* name : {"a.c", "b.c"})
        WriteText(Incoming() + name, name + std::string(" from Paris\n"));
    const std::string entries = "FILE 1.1 1.2 a.c\r\n" + LogBlock("1.2", "a") + "FILE - 1.1 b.c\r\n" + LogBlock("1.1", "b");
    EXPECT_EQ(Receive(CommandFile(entries, "RCS1 Beta1 \"Beta 2\" Parser\r\nSITE Paris - London\r\n")), 1);
    EXPECT_EQ(Results(), "Reading import file\r\n"
                         "Release name Beta 2 would share the RCS symbol Beta_2 with release Beta_2\r\n");
    EXPECT_EQ(doc->releaseRoot->children.size(), 2u);

    // c.c, which the command file leaves alone, cannot take the new symbol
    // after a.c and b.c were checked in and took it: theirs is removed.
    WriteText("RCS/,c.c,", "");
    EXPECT_NE(Receive(CommandFile(entries, "RCS1 Beta1 Beta3 Parser\r\nSITE Paris - London\r\n")), 0);
    EXPECT_TRUE(ResultsHold("c.c : cannot freeze as Beta3")) << Results();
    EXPECT_TRUE(ResultsHold("rcs -NBeta3 RCS/a.c,v")) << Results();
    EXPECT_EQ(doc->releaseRoot->FindRelease("Beta3"), nullptr);
    EXPECT_FALSE(Has(Rlog("RCS/b.c,v"), "Beta3"));
    const std::string log = Rlog("RCS/a.c,v");
    EXPECT_TRUE(Has(log, "\tBeta_2: 1.1\n") && Has(log, "\tBeta1: 1.1\n") && !Has(log, "Beta3")) << log;
}

// Thirty files at the base release share two ci runs (one per log message);
// one busy RCS file fails alone and is named, the others keep their new
// revisions, and no RCS file loses anything.
TEST_F(ReceiveTest, ABusyFileInSharedRunsIsNamedAndTheOthersAreCheckedIn)
{
    constexpr int Files = 30;
    std::string entries;
    for (int i = 0; i < Files; ++i) {
        const std::string name = "f" + std::to_string(i) + ".c";
        ModelCheckIn(name, name + " here\n", "first");
        WriteText(Incoming() + name, name + " from Paris\n");
        entries += "FILE 1.1 1.2 " + name + "\r\n" + LogBlock("1.2", i % 2 ? "odd" : "even");
    }
    ASSERT_NE(FreezeProject(*doc, "Beta1"), nullptr);
    // Two base revisions nobody holds: ci needs them locked, in one rcs run.
    for (const char* name : {"f0.c", "f1.c"})
        ASSERT_EQ(doc->root->FindFile(name)->FindRevision("1.1")->SetLocked(false), 0);
    const std::string busy = ReadFile("RCS/f13.c,v");
    WriteText("RCS/,f13.c,", "");

    EXPECT_NE(Receive(CommandFile(entries)), 0);
    EXPECT_TRUE(ResultsHold("ci: RCS file RCS/f13.c,v is in use")) << Results();
    EXPECT_EQ(doc->releaseRoot->FindRelease("Beta2"), nullptr);
    // Every file already stands at the base release: nothing is checked out.
    EXPECT_FALSE(ResultsHold("co -f")) << Results();
    EXPECT_EQ(Count(Results(), "ci -f -l"), 3u) << Results();
    EXPECT_TRUE(ResultsHold("rcs -l1.1 RCS/f0.c,v RCS/f1.c,v\r\n")) << Results();
    EXPECT_EQ(ReadFile("RCS/f13.c,v"), busy);
    for (int i = 0; i < Files; ++i) {
        const std::string name = "f" + std::to_string(i) + ".c";
        const std::string rcs = "RCS/" + name + ",v";
        if (i == 13)
            continue;
        EXPECT_EQ(RevisionText(rcs, "1.1"), name + " here\n");
        EXPECT_EQ(RevisionText(rcs, "1.1.1.1"), name + " from Paris\n");
        EXPECT_EQ(doc->root->FindFile(name)->workingRevision, "1.1.1.1");
        const std::string log = Rlog(rcs);
        EXPECT_TRUE(Has(log, "\tBeta1: 1.1\n") && !Has(log, "Beta2")) << log;
    }
}

TEST_F(ReceiveTest, RefusedCommandFilesChangeNothing)
{
    ModelCheckIn("a.c", "a one\n", "a first");
    ASSERT_NE(FreezeProject(*doc, "Beta1"), nullptr);
    WriteText(Incoming() + "new.c", "new\n");
    WriteText(Incoming() + "a.c", "1c1\n< a uno\n---\n> a two\n");
    const std::string good = "FILE - 1.1 new.c\r\n" + LogBlock("1.1", "new");
    const std::string site = "SITE Paris - London\r\n";
    // An empty head stands for the usual one.
    const std::tuple<std::string, std::string, std::string> cases[] = {
        {"", "", "Import file missing RCS1 command\r\n"},
        {"RCS1 - Beta2 Other\r\n" + site, good, "Import file is for RCS project Other\r\n"},
        {"RCS1 - Beta2 Parser\r\n", good, "Import file missing SITE command\r\n"},
        {"RCS1 Nope Beta2 Parser\r\n" + site, good, "Release Nope does not exist\r\n"},
        {"RCS1 - Beta1 Parser\r\n" + site, good, "Release already exists:Beta1\r\n"},
        {"RCS1 - Beta2 Parser\r\nSITE Paris $(reboot) London\r\n", good,
         "Import file - e-mail address refused: $(reboot)\r\n"},
        {"RCS1 - Beta2 Parser\r\nSITE ..\\Paris - London\r\n", good,
         "Import file names a site that cannot be used: ..\\Paris\r\n"},
        {"", good + "FILE 1.1 1.2 x.c\r\n.\r\n", "Import:x.c doesn't exist\r\n"},
        {"", good + "DIFF 1.5 1.6 a.c\r\n.\r\n",
         "Import file - a.c : the base revision 1.5 of its differences is not here\r\n"},
        {"", good + "DIFF 1.1 1.2 a.c\r\n.\r\n", "Import file - the differences for a.c 1.2 do not fit its base revision 1.1"
                                                 " here: line 1 of the base revision is not the line that the differences change"},
        {"", good + "DIFF - 1.2 a.c\r\n.\r\n", "Import file - the differences for a.c name no base revision: -\r\n"},
        {"", good + "MOVE 1.1 1.2 a.c\r\n", "Import file - unexpected command:MOVE\r\n"},
        {"", good + "FILE - 1.1 a.c\r\n", "RCS command file - Unexpected EOF\r\n"},
        {"", good + "FILE - 1.1 ..\\escaped.c\r\n.\r\n",
         "Import file - file name refused: ..\\escaped.c (the name holds \".\" or \"..\")\r\n"},
        {"", good + "FILE - 1.1 " + scratch.path() + "x.c\r\n.\r\n",
         "Import file - file name refused: " + ModelName(scratch.path()) + "x.c (the name is absolute)\r\n"},
        {"", good + "FILE - 1.1 RCS\\a.c,v\r\n.\r\n",
         "Import file - file name refused: RCS\\a.c,v (the name lies in an RCS directory)\r\n"},
    };
    for (const auto& [head, entries, message] : cases) {
        EXPECT_EQ(Receive(CommandFile(entries, head.empty() && !entries.empty() ? "RCS1 - Beta2 Parser\r\n" + site : head)),
                  1) << message;
        EXPECT_TRUE(ResultsHold(message)) << Results();
        EXPECT_EQ(doc->releaseRoot->children.size(), 1u) << message;
        EXPECT_EQ(doc->root->FindFile("new.c"), nullptr) << message;
        EXPECT_FALSE(fs::exists(scratch.path() + "new.c") || fs::exists(scratch.path() + "../escaped.c")) << message;
    }
    EXPECT_EQ(doc->siteList->Find("Paris")->emailAddress, "");

    EXPECT_EQ(Receive(CommandFile(good, "RCS1 - Beta2 Parser\r\n" + site, "Paris.txt")), 1);
    EXPECT_EQ(Results(), Incoming() + "Paris.txt is not a .RCC file\r\n");

    // A receive forces check-outs, so a changed working file stops it first.
    WriteText(scratch.path() + "a.c", "edited here\n");
    doc->root->FindFile("a.c")->recordedTime = 1;
    doc->root->FindFile("a.c")->UpdateStatus();
    EXPECT_EQ(Receive(CommandFile(good, "RCS1 Beta1 Beta2 Parser\r\n" + site)), 1);
    EXPECT_EQ(interaction.messages.back(), "a.c is not checked in");
    EXPECT_EQ(ReadFile(scratch.path() + "a.c"), "edited here\n");
}

TEST_F(ReceiveTest, ImportTakesSubdirectoriesOnlyWhenAskedAndNeverRcsOrProjectFiles)
{
    const std::string source = Incoming();
    for (const char* name : {"a.c", "sub/b.c", ".hidden.c", "RCS/a.c,v", "sub/RCS/b.c,v", "RCSSites/Parser/Paris/x.c",
                             "Other.rcs", "Kestro.IN", "Kestro.OUT", "y.c,v"})
        WriteText(source + name, std::string(name) + "\n");

    ASSERT_EQ(Import(source, "R1", false), 0) << Results();
    EXPECT_EQ(doc->root->children.size(), 1u);
    EXPECT_EQ(EntryOf("R1", "a.c"), "1.1");
    EXPECT_EQ(doc->siteList->Find("Paris")->lastRelease, "R1");

    WriteText(source + "a.c", "a.c changed\n");
    ASSERT_EQ(Import(source, "R2", true), 0) << Results();
    ASSERT_EQ(doc->root->children.size(), 2u);
    EXPECT_EQ(doc->root->children[1]->name, "sub\\b.c");
    EXPECT_EQ(RevisionText("sub/RCS/b.c,v", "1.1"), "sub/b.c\n");
    EXPECT_EQ(RevisionText("RCS/a.c,v", EntryOf("R2", "a.c")), "a.c changed\n");
    EXPECT_TRUE(Has(Rlog("RCS/a.c,v"), "Delivered by Paris"));

    EXPECT_EQ(Import(source, "R2", true), 1);
    EXPECT_EQ(Results(), "Release already exists:R2\r\n");
}

TEST_F(ReceiveTest, ImportRefusesTheProjectsOwnTreeAndReadOnlyFiles)
{
    WriteText(scratch.path() + "sub/a.c", "a\n");
    for (const std::string& directory : {scratch.path(), scratch.path() + "sub", scratch.path() + ".."}) {
        EXPECT_EQ(Import(directory, "R1", true), 1) << directory;
        EXPECT_TRUE(ResultsHold("Cannot import from \"" + directory + "\"")) << Results();
    }
    EXPECT_EQ(Import(scratch.path() + "missing", "R1", true), 1);
    EXPECT_EQ(Results(), "Directory \"" + scratch.path() + "missing\" does not exist\r\n");
    EXPECT_TRUE(doc->root->children.empty());

    WriteText(Incoming() + "a.c", "from Paris\n");
    WriteText(scratch.path() + "a.c", "kept\n");
    fs::permissions(scratch.path() + "a.c", fs::perms::owner_write | fs::perms::group_write | fs::perms::others_write,
                    fs::perm_options::remove);
    EXPECT_EQ(Import(Incoming(), "R1", false), 1);
    EXPECT_EQ(Results(), "Cannot import \"a.c\" as its working file is read-only\r\n");
    EXPECT_EQ(ReadFile(scratch.path() + "a.c"), "kept\n");
    EXPECT_EQ(doc->releaseRoot->FindRelease("R1"), nullptr);

    // With the working files elsewhere, the import writes them there.
    QTemporaryDir working;
    ASSERT_TRUE(doc->SetWorkingDirectory(working.path().toStdString(), true));
    WriteText(Incoming() + "src/b.c", "from Paris\n");
    ASSERT_EQ(Import(Incoming(), "R1", true), 0) << Results();
    EXPECT_EQ(ReadFile(working.path().toStdString() + "/src/b.c"), "from Paris\n");
    EXPECT_FALSE(fs::exists(scratch.path() + "src/b.c"));
    EXPECT_EQ(RevisionText("src/RCS/b.c,v", "1.1"), "from Paris\n");
}

TEST_F(ReceiveTest, MergeAfterImportKeepsTheChangesMadeHere)
{
    const std::string source = Incoming();
    WriteText(source + "a.c", "1\n2\n3\n4\n5\n");
    ASSERT_EQ(Import(source, "R1", false), 0) << Results();
    ModelCheckIn("a.c", "1 here\n2\n3\n4\n5\n", "changed here");

    WriteText(source + "a.c", "1\n2\n3\n4\n5 in Paris\n");
    WriteText(source + "b.c", "new\n");
    ASSERT_EQ(Import(source, "R2", false, true), 0) << Results();
    EXPECT_EQ(ReadFile(scratch.path() + "a.c"), "1 here\n2\n3\n4\n5 in Paris\n");
    EXPECT_EQ(RevisionText("RCS/a.c,v", EntryOf("R2", "a.c")), "1\n2\n3\n4\n5 in Paris\n");
    EXPECT_EQ(ReadFile(scratch.path() + "b.c"), "new\n") << "no merge for a file new here";
}

TEST_F(ReceiveTest, ReceiveFromTheCommandLine)
{
    const QString project = QString::fromStdString(scratch.path() + "Parser.rcs");
    WriteText(Incoming() + "a.c", "alpha\n");
    CommandFile("FILE - 1.1 a.c\r\n" + LogBlock("1.1", "Alpha"));
    EXPECT_EQ(RunCli({"receive", project, "Paris.RCC"}, Incoming()).exitCode, 0);
    EXPECT_EQ(RevisionText("RCS/a.c,v", "1.1"), "alpha\n");
    EXPECT_EQ(RunCli({"receive", project, "Missing.RCC"}, Incoming()).exitCode, 1);
    EXPECT_EQ(RunCli({"import", project, "--site", "Rome", "--dir", "."}, Incoming()).exitCode, 2)
        << "a missing --release is a usage error";
}

} // namespace
} // namespace kestro
