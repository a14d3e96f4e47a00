#include "cli/cli_arguments.h"
#include "cli/output_format.h"
#include "support/cli_runner.h"
#include "support/test_project.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

namespace kestro {
namespace {

TEST(CliArguments, OnlyKnownOptionsAndDashNamesAfterTheEnd)
{
    const cli::OptionSet known{{"--force"}, {"-m", "--message-file"}};
    cli::Arguments parsed;
    std::string error;
    ASSERT_TRUE(cli::ParseArguments({"checkin", "P.rcs", "-m", "a message", "--force", "a.c", "--message-file=m.txt",
                                     "--", "-o.c", "--force"},
                                    known, parsed, error))
        << error;
    EXPECT_TRUE(parsed.command == "checkin" && parsed.project == "P.rcs");
    EXPECT_EQ(parsed.values, (std::map<std::string, std::string>{{"-m", "a message"}, {"--message-file", "m.txt"}}));
    EXPECT_EQ(parsed.flags, std::set<std::string>{"--force"});
    EXPECT_EQ(parsed.items, (std::vector<std::string>{"a.c", "-o.c", "--force"}));

    const std::vector<std::pair<std::vector<std::string>, std::string>> refused{
        {{"checkin", "P.rcs", "-m"}, "option -m needs a value"},
        {{"checkin", "P.rcs", "--forse"}, "unknown option --forse for checkin"},
        {{"checkin", "P.rcs", "-o.c"}, "unknown option -o.c for checkin"},
        {{"checkin", "P.rcs", "--force=yes"}, "option --force takes no value"},
    };
    for (const auto& [arguments, reason] : refused) {
        cli::Arguments ignored;
        EXPECT_FALSE(cli::ParseArguments(arguments, known, ignored, error));
        EXPECT_EQ(error, reason);
    }
}

TEST(CliOutput, EscapedFieldsHoldNoSeparatorAndReadBack)
{
    const std::string text = std::string("a\\b\tc\nd\re");
    EXPECT_EQ(cli::EscapeField(text), "a\\\\b\\tc\\nd\\re");
    EXPECT_EQ(cli::UnescapeField(cli::EscapeField(text)), text);
    EXPECT_EQ(cli::EscapeField(text).find_first_of("\t\n\r"), std::string::npos);
    EXPECT_EQ(cli::UnescapeField("#define R \"%s\"\\r\\n"), "#define R \"%s\"\r\n");
}

// A project is never overwritten by "new"; a damaged one is named and left alone.
TEST(Cli, NewNeverOverwritesAndADamagedProjectIsNamed)
{
    test::ScratchDirectory scratch;
    const QString project = QString::fromStdString(scratch.path() + "Parser.rcs");
    test::CliResult created = test::RunCli({"new", project});
    ASSERT_EQ(created.exitCode, 0) << created.err;
    test::CliResult again = test::RunCli({"new", project});
    EXPECT_EQ(again.exitCode, 1) << "an existing project is never overwritten";

    const std::string path = scratch.path() + "Broken.rcs";
    std::ofstream(path, std::ios::binary) << std::string("\x05\x00\x00\x00\xff\xff", 6);
    test::CliResult shown = test::RunCli({"show", QString::fromStdString(path)});
    EXPECT_EQ(shown.exitCode, 1);
    EXPECT_NE(shown.err.find(path), std::string::npos) << shown.err;
    EXPECT_EQ(std::filesystem::file_size(path), 6u) << "a failed open leaves the file alone";

    test::CliResult usage = test::RunCli({"frobnicate", "P.rcs"});
    EXPECT_EQ(usage.exitCode, 2);
}

} // namespace
} // namespace kestro
