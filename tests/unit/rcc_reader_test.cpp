#include "exchange/rcc_reader.h"
#include "exchange/rcc_writer.h"
#include "model/command_results.h"

#include <gtest/gtest.h>

#include <sstream>

namespace kestro {
namespace {

struct RccReader : ::testing::Test {
    RccReader() { CommandResults::instance().ClearResults(); }
    static std::string Results() { return CommandResults::instance().Text(); }
};

TEST_F(RccReader, CommandLines)
{
    // The line, the result, the keyword and arguments when read, and what
    // the command results hold afterwards.
    const std::vector<std::tuple<const char*, std::string, int, std::vector<std::string>, std::string>> cases = {
        {"crlf", "FILE 1.3 1.4 src\\lex.c\r\nnext", 1, {"FILE", "1.3", "1.4", "src\\lex.c"}, ""},
        {"lf", "DELE 1.2 - doc\\old.txt\n", 1, {"DELE", "1.2", "-", "doc\\old.txt"}, ""},
        {"last line without line end", "DELE 1.2 - a.c", 1, {"DELE", "1.2", "-", "a.c"}, ""},
        {"doubled quote", "FILE - 1.1 \"a \"\"b\"\" c.c\"", 1, {"FILE", "-", "1.1", "a \"b\" c.c"}, ""},
        {"quoted token runs into the next", "FILE \"1\"2 3 4", 1, {"FILE", "1", "2", "3"}, ""},
        {"tab belongs to a token", "FILE 1.1\tx 1.2 a.c", 1, {"FILE", "1.1\tx", "1.2", "a.c"}, ""},
        {"blanks around tokens", "  FILE   1   2   3   ", 1, {"FILE", "1", "2", "3"}, ""},
        {"text after the fourth token", "FILE 1 2 3 and more", 1, {"FILE", "1", "2", "3"}, ""},
        {"unclosed quote ends at line end", "FILE - 1.1 \"a b", 1, {"FILE", "-", "1.1", "a b"}, ""},
        {"three tokens", "FILE 1.1 1.2\r\n", 0, {}, "RCS command file error:FILE 1.1 1.2\r\n"},
        {"empty quoted argument", "SITE London \"\" Paris", 0, {}, "RCS command file error:SITE London \"\" Paris\r\n"},
        {"unbalanced quote swallows the rest", "RCS1 \"unbalanced Beta Parser\n", 0, {},
         "RCS command file error:RCS1 \"unbalanced Beta Parser\r\n"},
        {"blank line", "\r\nFILE 1 2 3", 0, {}, "Import file error - blank line\r\n"},
        {"blanks only", "   \n", 0, {}, "RCS command file error:   \r\n"}, {"end of file", "", -1, {}, ""},
    };
    for (const auto& [name, text, result, tokens, results] : cases) {
        CommandResults::instance().ClearResults();
        std::istringstream file(text);
        std::string keyword, a1, a2, a3;
        EXPECT_EQ(ReadCommandLine(file, keyword, a1, a2, a3), result) << name;
        EXPECT_TRUE(result != 1 || (std::vector<std::string>{keyword, a1, a2, a3}) == tokens) << name;
        EXPECT_EQ(Results(), results) << name;
    }
}

TEST_F(RccReader, LinesAreBoundedInLength)
{
    // The bound counts the line with its CR, without its LF.
    const std::string longest(MaxCommandFileLine - std::string("FILE 1 2 \r").size(), 'x');
    std::istringstream fits("FILE 1 2 " + longest + "\r\n");
    std::string keyword, a1, a2, a3;
    EXPECT_EQ(ReadCommandLine(fits, keyword, a1, a2, a3), 1);
    EXPECT_EQ(a3.size(), longest.size());

    // No line end at all: the reader stops at the bound instead of taking it all.
    std::istringstream huge("FILE 1 2 " + std::string(2 * MaxCommandFileLine, 'x'));
    EXPECT_EQ(ReadCommandLine(huge, keyword, a1, a2, a3), 0);
    EXPECT_EQ(Results(), "RCS command file error: a line is longer than 1048576 bytes\r\n");

    CommandResults::instance().ClearResults();
    std::istringstream hugeLog(std::string(MaxCommandFileLine + 1, '-') + "\n.\n");
    std::string message;
    EXPECT_FALSE(ReadLogMessage(hugeLog, message));
    EXPECT_EQ(Results(), "RCS command file error: a line is longer than 1048576 bytes\r\n");
}

TEST_F(RccReader, LogBlocksKeepOnlyTheLogText)
{
    std::istringstream file("----------------------------\r\nrevision 1.2.1.2\tlocked by: fred;\r\n"
                            "date: 1998/02/12 09:00:00;  author: builder;  state: Exp;  lines: +3 -1\r\n"
                            "Fixed the scanner\r\nrevision 2 follows\r\n----------------------------\r\n"
                            "revision 1.2.1.1\r\ndate: 1998/02/11 09:00:00;  author: builder;  state: Exp;  lines: +1 -0\r\n"
                            "branches:  1.2.1.1.1;\r\ndate: is text here\r\n\r\nStarted the branch\r\n"
                            + std::string(77, '=') + "\r\n.\r\nDELE 1.1 - a.c\r\n");
    std::string message;
    ASSERT_TRUE(ReadLogMessage(file, message));
    EXPECT_EQ(message, "Fixed the scanner\r\nrevision 2 follows\r\ndate: is text here\r\n\r\nStarted the branch\r\n");
    std::string keyword, a1, a2, a3;
    EXPECT_EQ(ReadCommandLine(file, keyword, a1, a2, a3), 1) << "the block ends at its \".\" line";
    EXPECT_EQ(keyword, "DELE");

    std::istringstream empty(".\n");
    EXPECT_TRUE(ReadLogMessage(empty, message));
    EXPECT_EQ(message, "");

    // A log line holding a dot survives the writer and the reader.
    std::istringstream dotted(LogBlock("RCS file: RCS/a.c,v\n----------------------------\nrevision 1.2\n"
                                       "date: 2024/01/01 00:00:00;  author: fred;  state: Exp;  lines: +1 -1\n"
                                       "First\n.\n .\nLast\n" + std::string(77, '=') + "\n"));
    ASSERT_TRUE(ReadLogMessage(dotted, message));
    EXPECT_EQ(message, "First\r\n.\r\n.\r\nLast\r\n");
}

TEST_F(RccReader, EntriesToTheEndOfTheFile)
{
    std::istringstream file("FILE - 1.1 a.c\r\n----------------------------\r\nrevision 1.1\r\nInitial\r\n.\r\n"
                            "DIFF 1.1 1.2 b.c\n.\n"
                            "DELE 1.3 - c.c\r\n");
    std::vector<CommandFileEntry> entries;
    ASSERT_TRUE(ReadCommandEntries(file, entries));
    ASSERT_EQ(entries.size(), 3u);
    EXPECT_TRUE(entries[0].logMessage == "Initial\r\n" && entries[1].keyword == "DIFF" && entries[2].fileName == "c.c");
    EXPECT_EQ(Results(), "");

    for (const auto& [text, results] : std::vector<std::pair<std::string, std::string>>{
             {"MOVE 1 2 3\n", "Import file - unexpected command:MOVE\r\n"},
             {"file - 1.1 a.c\n.\n", "Import file - unexpected command:file\r\n"},
             {"FILE - 1.1 a.c\n", "RCS command file - Unexpected EOF\r\n"},
             {"DELE 1.1 - a.c\n\n", "Import file error - blank line\r\n"},
         }) {
        CommandResults::instance().ClearResults();
        std::istringstream damaged(text);
        entries.clear();
        EXPECT_FALSE(ReadCommandEntries(damaged, entries)) << text;
        EXPECT_EQ(Results(), results) << text;
    }
}

TEST(RccNames, OnlyNamesBelowTheWorkingDirectoryOutsideRcsData)
{
    for (const char* safe : {"a.c", "src\\lex.c", "src/lex.c", "src\\RCS-1\\lex.c", "a..b.c", "RCSfile.c",
                             "dir with blanks\\x y.c", "v,x"})
        EXPECT_EQ(UnsafeFileNameReason(safe), "") << safe;
    const std::vector<std::pair<std::string, std::string>> unsafe = {
        {"", "the name is empty"}, {"\\etc\\passwd", "the name is absolute"},
        {"/etc/passwd", "the name is absolute"}, {"C:\\autoexec.bat", "the name is absolute"},
        {"..\\x.c", "the name holds \".\" or \"..\""}, {"src\\..\\..\\x.c", "the name holds \".\" or \"..\""},
        {"src/../x.c", "the name holds \".\" or \"..\""}, {"src\\.\\x.c", "the name holds \".\" or \"..\""},
        {"src\\..", "the name holds \".\" or \"..\""}, {"a\\\\b.c", "the name holds an empty directory name"},
        {"src\\", "the name holds an empty directory name"},
        {"src\\RCS\\a.c", "the name lies in an RCS directory"},
        {"rcs/a.c", "the name lies in an RCS directory"}, {"a.c,v", "the name is that of an RCS file"}, {"a,v", "the name is that of an RCS file"},
        {std::string("a\nb.c"), "the name holds a control character"},
        {std::string("a\0b.c", 5), "the name holds a control character"},
    };
    for (const auto& [name, reason] : unsafe)
        EXPECT_EQ(UnsafeFileNameReason(name), reason) << name;
}

TEST(RccNames, EmailAddressesThatCannotReachAShell)
{
    for (const char* accepted : {"", "fred@example.org", "a.b+c%d=e@x-y.org", "x,y@z"})
        EXPECT_TRUE(IsAcceptableEmailAddress(accepted)) << accepted;
    for (const char* refused : {"a b@x", "a\tb", "\"x\"@y", "x;rm -rf", "$(id)@x", "`id`", "a|b", "a'b", "a&b",
                                "a>b", "a\\b", "\xC3\xA9@x"})
        EXPECT_FALSE(IsAcceptableEmailAddress(refused)) << refused;
}

} // namespace
} // namespace kestro
