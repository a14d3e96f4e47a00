// Command files, import trees and log messages made to reach outside the
// project or to show what is not there, with the real RCS programs. Each
// hostile receive or import must be refused before anything changes.

#include "support/rcs_history.h"

#include <functional>
#include <tuple>

#include <sys/stat.h>

namespace kestro {
namespace {

namespace fs = std::filesystem;

struct HostileExchange : test::RcsProjectTest {
    HostileExchange()
    {
        SaveAs("Demo.rcs");
        ModelCheckIn("a.c", "alpha\n", "Here");
        fs::create_directories(Incoming("ok"));
        test::WriteText(Incoming("secret"), "private key\n");
    }
};

TEST_F(HostileExchange, ReceivesAreRefusedBeforeAnyChange)
{
    const auto file = [](const std::string& name) {
        return [name](const std::string& dir) { test::WriteText(dir + name, "foreign\n"); };
    };
    const std::string secret = Incoming("secret");
    const std::string plain = "RCS1 - Beta2 Demo\r\n";
    const std::string log = test::LogBlock("1.1", "x");
    // A label, the RCS1 line, the entries, what makes the files beside the
    // command file, and what the message names.
    using Plant = std::function<void(const std::string&)>;
    const std::vector<std::tuple<std::string, std::string, std::string, Plant, std::string>> cases = {
        {"project file", plain, "FILE - 1.1 Demo.rcs\r\n" + log, file("Demo.rcs"), "Demo.rcs"},
        {"lock file", plain, "FILE - 1.1 Demo.rcs.lock\r\n" + log, file("Demo.rcs.lock"), "Demo.rcs.lock"},
        {"send area", plain, "FILE - 1.1 RCSSites\\Demo\\Paris\\a.c\r\n" + log,
         file("RCSSites/Demo/Paris/a.c"), "RCSSites\\Demo\\Paris\\a.c"},
        {"hook", plain, "FILE - 1.1 .git\\hooks\\pre-commit\r\n" + log, [](const std::string& dir) {
             test::WriteText(dir + ".git/hooks/pre-commit", "#!/bin/sh\n");
             fs::permissions(dir + ".git/hooks/pre-commit", fs::perms::owner_exec, fs::perm_options::add);
         },
         ".git\\hooks\\pre-commit"},
        {"RCS file", plain, "FILE - 1.1 RCS\\a.c,v\r\n" + log, file("RCS/a.c,v"), "RCS\\a.c,v"},
        {"linked file", plain, "FILE - 1.1 b.c\r\n" + log + "FILE - 1.1 src\\leak.c\r\n" + log,
         [secret](const std::string& dir) {
             test::WriteText(dir + "b.c", "b\n");
             fs::create_directories(dir + "src");
             fs::create_symlink(secret, dir + "src/leak.c");
         },
         "src\\leak.c"},
        {"linked directory", plain, "FILE - 1.1 src\\x.c\r\n" + log, [](const std::string& dir) {
             test::WriteText(dir + "elsewhere/x.c", "x\n");
             fs::create_directory_symlink(dir + "elsewhere", dir + "src");
         },
         "src\\x.c"},
        {"FIFO", plain, "FILE - 1.1 pipe.c\r\n" + log,
         [](const std::string& dir) { ASSERT_EQ(::mkfifo((dir + "pipe.c").c_str(), 0600), 0); }, "pipe.c"},
        {"release name with a command", "RCS1 - \"R1 & touch owned\" Demo\r\n", "FILE - 1.1 b.c\r\n" + log,
         file("b.c"), "R1 & touch owned"},
        {"release name with backticks", "RCS1 - R1`id` Demo\r\n", "FILE - 1.1 b.c\r\n" + log, file("b.c"), "R1`id`"},
        {"missing later file", plain, "FILE - 1.1 b.c\r\n" + log + "FILE - 1.1 c.c\r\n" + log, file("b.c"), "c.c"},
        {"missing revision folder", plain, "FILE - 1.1 b.c\r\n" + log + "FILE 1.1 1.2 b.c\r\n" + log,
         file("b.c"), "RCS-1\\b.c"},
    };
    const auto before = test::TreeChecksums(scratch.path());
    for (std::size_t i = 0; i < cases.size(); ++i) {
        const auto& [label, head, entries, plant, named] = cases[i];
        const std::string dir = Incoming("case" + std::to_string(i) + "/");
        fs::create_directories(dir);
        plant(dir);
        test::WriteText(dir + "Paris.RCC", head + "SITE Paris - London\r\n" + entries);
        EXPECT_NE(Receive(dir + "Paris.RCC"), 0) << label;
        EXPECT_TRUE(test::Has(test::Results(), named)) << label << "\n" << test::Results();
        EXPECT_EQ(test::TreeChecksums(scratch.path()), before) << label << "\n" << test::Results();
        EXPECT_EQ(doc->root->children.size(), 1u) << label;
        EXPECT_FALSE(doc->releaseRoot->FindRelease("Beta2")) << label;
    }
    EXPECT_FALSE(fs::exists(scratch.path() + "owned"));
}

TEST_F(HostileExchange, ImportsOfTreesHoldingLinksOrFifosAreRefusedAndCopiesTakeANewFilesMode)
{
    const std::vector<std::pair<std::string, std::function<void(const std::string&)>>> cases = {
        {"leak.c", [&](const std::string& dir) { fs::create_symlink(Incoming("secret"), dir + "leak.c"); }},
        {"pipe.c", [](const std::string& dir) { ASSERT_EQ(::mkfifo((dir + "pipe.c").c_str(), 0600), 0); }},
        {"linked", [&](const std::string& dir) { fs::create_directory_symlink(Incoming("ok"), dir + "linked"); }},
    };
    const auto before = test::TreeChecksums(scratch.path());
    for (std::size_t i = 0; i < cases.size(); ++i) {
        const std::string dir = Incoming("tree" + std::to_string(i) + "/");
        test::WriteText(dir + "b.c", "b\n");
        test::WriteText(dir + "sub/c.c", "c\n");
        cases[i].second(dir);
        EXPECT_NE(Import(dir, "Tree" + std::to_string(i)), 0) << cases[i].first;
        EXPECT_TRUE(test::Has(test::Results(), dir + cases[i].first + "\"")) << test::Results();
        EXPECT_EQ(test::TreeChecksums(scratch.path()), before) << cases[i].first << "\n" << test::Results();
    }

    // A tree without them is imported; its files take a new file's mode,
    // not the source's.
    const std::string dir = Incoming("tree/");
    test::WriteText(dir + "run.sh", "#!/bin/sh\n");
    fs::permissions(dir + "run.sh", fs::perms::all, fs::perm_options::replace);
    ASSERT_EQ(Import(dir, "Tree"), 0) << test::Results();
    const fs::perms mode = fs::status(scratch.path() + "run.sh").permissions();
    EXPECT_EQ(mode & (fs::perms::owner_exec | fs::perms::group_exec | fs::perms::others_exec | fs::perms::others_write),
              fs::perms::none);
}

const std::string Fake = "----------------------------\nrevision 1.99\tlocked by: mallory;\n"
                         "date: 2021/01/01 00:00:00;  author: mallory;  state: Exp;\nfake";

TEST_F(HostileExchange, LogMessagesThatLookLikeRevisionsShowNothingThatIsNotThere)
{
    for (const std::string& arguments : {std::string("f.c"), std::string("g.c")}) {
        test::WriteText(arguments, "1\n");
        ASSERT_EQ(test::RunProgram({"ci", "-q", "-l", "-t-about\n" + Fake + "\n----------------------------\nx",
                                    "-mInitial", arguments}),
                  0);
    }
    test::WriteText("f.c", "1\n2\n");
    ASSERT_EQ(test::RunProgram({"ci", "-q", "-l", "-mreal\n" + Fake + "\n----------------------------\nrevision 1.1\n"
                                "date: 2020/01/01 00:00:00;  author: mallory;  state: Exp;\nrewritten", "f.c"}), 0);
    // A whole fake history of the next file in the same rlog run.
    test::WriteText("f.c", "1\n2\n3\n");
    ASSERT_EQ(test::RunProgram({"ci", "-q", "-u", "-mthird\n" + std::string(77, '=')
                                + "\n\nRCS file: RCS/g.c,v\nWorking file: g.c\nhead: 1.7\nbranch:\nlocks: strict\n"
                                  "access list:\nsymbolic names:\nkeyword substitution: kv\ntotal revisions: 1;\t"
                                  "selected revisions: 1\ndescription:\n" + Fake, "f.c"}), 0);
    ASSERT_EQ(test::RunProgram({"rcs", "-q", "-u", "g.c"}), 0);

    CommandResults::instance().ClearResults();
    const std::vector<RCSFileItem*> files = doc->AddFiles({scratch.path() + "f.c", scratch.path() + "g.c"});
    ASSERT_EQ(files.size(), 2u);
    for (const char* name : {"f.c", "g.c"})
        EXPECT_TRUE(test::Has(test::Results(), std::string(name) + " : its log messages hold lines")) << test::Results();
    // No revision, lock or message comes from the fakes.
    EXPECT_EQ(test::Revisions(*files[0]), (std::map<std::string, test::RevisionRow>{
                                              {"1.1", {Revision, "", "Initial"}},
                                              {"1.2", {Revision, "", "real"}},
                                              {"1.3", {Tip, "", "third"}}}));
    EXPECT_EQ(test::Revisions(*files[1]), (std::map<std::string, test::RevisionRow>{{"1.1", {Tip, "", "Initial"}}}));
}

} // namespace
} // namespace kestro
