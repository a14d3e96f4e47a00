// Project files, command-file names and rlog output made by someone who
// wants the program to act outside the project or show what is not there.

#include "app/release_name_file.h"
#include "exchange/exchange_checks.h"
#include "model/command_results.h"
#include "model/string_helpers.h"
#include "rcs/rlog_layout.h"
#include "support/test_project.h"

#include <gtest/gtest.h>

#include <filesystem>

namespace kestro {
namespace {

namespace fs = std::filesystem;

std::string Results()
{
    return CommandResults::instance().Text();
}

// A project in proj/ beside a folder outside/ that it must never touch.
struct HostileProjectFile : ::testing::Test, test::ProjectFixture {
    HostileProjectFile()
    {
        scratch.write("outside/victim.c", "precious\n");
        scratch.write("outside/victim.h", "precious\n");
        fs::create_directories(scratch.path() + "proj");
    }

    // Saves a project holding a file item of that name and that release
    // name file, then opens it again as a user who was sent it would.
    bool SaveAndOpen(const std::string& itemName, const std::string& releaseNameFile, std::string& error)
    {
        doc->OnNewDocument();
        doc->root->AddChild(std::make_unique<RCSFileItem>(itemName, doc->root.get()));
        doc->releaseNameFile = releaseNameFile;
        doc->releaseNameTemplate = "echo owned %s\n";
        const std::string path = scratch.path() + "proj/P.rcs";
        EXPECT_TRUE(doc->OnSaveDocument(path, error)) << error;
        doc->OnNewDocument();
        CommandResults::instance().ClearResults();
        return doc->OnOpenDocument(path, error);
    }

    std::string Outside() const { return scratch.path() + "outside"; }
};

TEST_F(HostileProjectFile, FileItemsLeadingOutsideRefuseTheProject)
{
    const auto before = test::TreeChecksums(Outside());
    // Each reason a name is refused for is in RccNames, as both use one check.
    for (const std::string name : {"..\\outside\\victim.c", "/etc/passwd"}) {
        std::string error;
        EXPECT_FALSE(SaveAndOpen(name, std::string(), error)) << name;
        EXPECT_NE(error.find("\"" + name + "\" is refused"), std::string::npos) << error;
        // The project open before stays; nothing of the refused one is kept.
        ASSERT_TRUE(doc->root) << name;
        EXPECT_TRUE(doc->root->children.empty()) << name;
    }
    EXPECT_EQ(test::TreeChecksums(Outside()), before);
}

// Each kind of name outside is in ReleaseNameFile below; one of them here,
// and links that lead outside.
TEST_F(HostileProjectFile, AReleaseNameFileOutsideIsReportedAndOnlyOneInsideIsWritten)
{
    const auto before = test::TreeChecksums(Outside());
    std::string error;
    ASSERT_TRUE(SaveAndOpen("a.c", "sub/../../outside/victim.h", error)) << error;
    EXPECT_NE(Results().find("Release name file \"sub/../../outside/victim.h\""), std::string::npos) << Results();
    // Kept as stored, so that saving loses nothing, but never written.
    EXPECT_EQ(doc->releaseNameFile, "sub/../../outside/victim.h");
    fs::create_symlink(Outside() + "/victim.h", "linked.h");
    fs::create_directory_symlink(Outside(), "out");
    for (const char* name : {"sub/../../outside/victim.h", "linked.h", "out/victim.h"}) {
        doc->releaseNameFile = name;
        CommandResults::instance().ClearResults();
        doc->WriteReleaseNameFile("Beta1");
        EXPECT_NE(Results().find("not written"), std::string::npos) << name << Results();
    }
    EXPECT_EQ(test::TreeChecksums(Outside()), before);
    fs::create_directories("include");
    doc->releaseNameFile = "include/version.h";
    doc->WriteReleaseNameFile("Beta1");
    EXPECT_EQ(test::ReadFile("include/version.h"), "echo owned Beta1\n");
}

TEST(ReleaseNameFile, MustLieInsideTheWorkingDirectory)
{
    const std::string project = "/p/proj/";
    for (const char* inside : {"", "version.h", "src\\version.h", "/p/proj/src/version.h"})
        EXPECT_EQ(ReleaseNameFileProblem(inside, project, project), "") << inside;
    // Relative to the project directory, inside a working directory above it.
    EXPECT_EQ(ReleaseNameFileProblem("version.h", project, "/p/"), "");
    EXPECT_NE(ReleaseNameFileProblem("version.h", project, "/p/work/"), "");
    for (const char* outside : {"../version.h", "/p/proj", "/p/project2/version.h", "a/../../x", "/etc/profile",
                                "RCS/a,v", "a\nb"})
        EXPECT_NE(ReleaseNameFileProblem(outside, project, project), "") << outside;
}

TEST(ExchangeTargets, OnlyOrdinaryWorkingFiles)
{
    test::ScratchDirectory scratch;
    const ProjectPlaces places{scratch.path(), scratch.path() + "Demo.rcs"};
    for (const char* ordinary : {"src/RCS-1/lex.c", "doc\\notes.rcs.txt", "my.git\\x"})
        EXPECT_EQ(ForbiddenTargetReason(places, ordinary), "") << ordinary;
    // What already lies at the target decides too.
    fs::create_directories(scratch.path() + "dir");
    fs::create_symlink("/etc/passwd", scratch.path() + "passwd.c");
    fs::create_directory_symlink("/tmp", scratch.path() + "tmp");
    // Project files, lock files and the send area as a receive names them are
    // refused in tests/rcs; here the other spellings and the scratch file.
    const std::vector<std::pair<std::string, std::string>> refused = {
        {"src\\.profile", "a part of the name begins with \".\""},
        {"other\\Old.RCS", "the name is that of a project file or its lock file"},
        {"Kestro.OUT", "the name is that of the program's scratch file"},
        {"dir", "the working file is a directory"}, {"passwd.c", "the working file is a symbolic link"},
        {"tmp\\x.c", "the working file would be reached through a link that leads out of the working directory"},
    };
    for (const auto& [name, reason] : refused)
        EXPECT_EQ(ForbiddenTargetReason(places, name), reason) << name;
}

TEST(ExchangeReleaseNames, AsAFreezeAllowsAndNothingAShellActsOn)
{
    for (const char* accepted : {"Beta2", "Release 2", "R-1_2", "v+3"})
        EXPECT_EQ(UnsafeReleaseNameReason(accepted), "") << accepted;
    for (const char* refused : {"", "2Beta", "_x", "R1.2", "R$x", "R;x", "R@x", "R:x", "R`id`", "R$(id)", "R'x",
                                "R\"x", "R|x", "R&x", "R>x", "R\nx", "R\tx", "R*", "R%r"})
        EXPECT_NE(UnsafeReleaseNameReason(refused), "") << refused;
}

TEST(ExchangeSendCommands, ThoseThatStartAShellAreKnown)
{
    for (const char* shell : {"sh -c \"echo %r > log\"", "/bin/bash -c x", "env sh -c x", "env A=1 dash -c x",
                              "busybox sh -c x"})
        EXPECT_TRUE(StartsAShell(shell)) << shell;
    for (const char* plain : {"", "mail -s %r %m", "/usr/bin/scp -r %d host:", "shasum %d", "ssh host x"})
        EXPECT_FALSE(StartsAShell(plain)) << plain;
}

// rlog output for two revisions whose log message or description may hold
// text of its own.
std::string History(const std::string& description, const std::string& message, int selected = 2)
{
    return "\nRCS file: RCS/f.c,v\nWorking file: f.c\nhead: 1.2\nbranch:\nlocks: strict\naccess list:\n"
           "symbolic names:\nkeyword substitution: kv\ntotal revisions: 2;\tselected revisions: "
           + std::to_string(selected) + "\ndescription:\n" + description
           + "----------------------------\nrevision 1.2\ndate: 2024/01/02 03:04:05;  author: a;  state: Exp;  "
             "lines: +1 -0\n"
           + message
           + "\n----------------------------\nrevision 1.1\ndate: 2024/01/01 03:04:05;  author: a;  state: Exp;\n"
             "Initial revision\n=============================================================================\n";
}

const std::string FakeBlock = "----------------------------\nrevision 1.99\tlocked by: mallory;\n"
                              "date: 2021/01/01 00:00:00;  author: m;  state: Exp;\nfake";

TEST(RlogLayout, BlocksAreTrustedOnlyWhenTheHeaderAgrees)
{
    const RlogLayout plain = ScanRlogLayout(History("", "real"));
    ASSERT_EQ(plain.blocks.size(), 2u);
    EXPECT_TRUE(plain.blocks[0].number == "1.2" && plain.blocks[1].number == "1.1" && plain.head == "1.2");
    EXPECT_TRUE(plain.totalRevisions == 2 && plain.selectedRevisions == 2 && IsUnambiguous(plain));

    // A row of dashes that is not followed by a revision line is no block.
    EXPECT_TRUE(IsUnambiguous(ScanRlogLayout(History("", "real\n----------------------------\nmore"))));
    EXPECT_TRUE(IsUnambiguous(ScanRlogLayout(History("", "real\n-----------------------------\nrevision 1.9"))));

    // Also with counts that agree: a number twice, or a head among no block.
    const std::string again = History("", "real\n----------------------------\nrevision 1.1\ndate: 2024/01/01 03:04:05;\nfake");
    std::string twice = again, headless = History("", "real");
    ReplaceAll(twice, "2;\tselected revisions: 2", "3;\tselected revisions: 3");
    ReplaceAll(headless, "head: 1.2", "head: 1.5");
    for (const std::string& output : {History("", "real\n" + FakeBlock), History("desc\n" + FakeBlock + "\n", "real"),
                                      History("", "real\n" + FakeBlock, 3), History("", "real", 1), again, twice,
                                      headless})
        EXPECT_FALSE(IsUnambiguous(ScanRlogLayout(output))) << output;
}

TEST(RlogLayout, ASingleRevisionIsFoundBehindTheDescription)
{
    const std::string description = "desc\n" + FakeBlock + "\n";
    std::string found;
    ASSERT_TRUE(DescriptionOf("\nRCS file: x\ntotal revisions: 2\ndescription:\n" + description
                                  + "=============================================================================\n",
                              found));
    EXPECT_EQ(found, description);

    std::string one = History(description, "real\n" + FakeBlock, 1);
    one.erase(one.find("\n----------------------------\nrevision 1.1\n"));
    one += "\n=============================================================================\n";
    std::string block;
    ASSERT_TRUE(SingleRevisionBlock(one, description, "1.2", block)) << one;
    EXPECT_EQ(block, "----------------------------\nrevision 1.2\ndate: 2024/01/02 03:04:05;  author: a;  state: Exp;  "
                     "lines: +1 -0\nreal\n");
    EXPECT_FALSE(SingleRevisionBlock(one, description, "1.99", block));
    EXPECT_FALSE(SingleRevisionBlock(one, "", "1.2", block));
    EXPECT_FALSE(SingleRevisionBlock(History(description, "real"), description, "1.2", block));
}

TEST(RlogLayout, RevisionNumbersAndTheirOrder)
{
    for (const char* number : {"1.1", "1.2.1.3", "10.20"})
        EXPECT_TRUE(IsRevisionNumber(number)) << number;
    for (const char* number : {"", "1", "1.2.1", "1..2", ".1.2", "1.2.", "1.x", "1.2;"})
        EXPECT_FALSE(IsRevisionNumber(number)) << number;
    std::vector<std::string> numbers = {"1.2.1.1", "1.9", "1.10", "1.2.1.2", "1.1", "1.3.1.1"};
    SortAsRlogLists(numbers);
    EXPECT_EQ(numbers, (std::vector<std::string>{"1.10", "1.9", "1.1", "1.3.1.1", "1.2.1.2", "1.2.1.1"}));
}

} // namespace
} // namespace kestro
