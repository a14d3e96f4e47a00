// Which form of the RCS programs kestro-cli starts, as installed programs
// change between runs: a remembered answer must never outlive the programs.

#include "support/cli_runner.h"
#include "support/test_project.h"

#include <gtest/gtest.h>

#include <fstream>

namespace kestro {
namespace {

namespace fs = std::filesystem;

void WriteScript(const std::string& path, const std::string& body)
{
    fs::remove(path);
    std::ofstream(path) << "#!/bin/sh\n" << body << "\n";
    fs::permissions(path, fs::perms::owner_all);
}

TEST(ProgramForms, AChangedWrapperIsAskedAboutAgain)
{
    test::ScratchDirectory scratch;
    const std::string dir = scratch.path();
    const std::string bin = dir + "bin/";
    fs::create_directories(bin);
    fs::create_symlink("/usr/bin/rcs", bin + "rcs");
    ASSERT_TRUE(fs::exists(bin + "rcs")) << "needs GNU RCS with subcommands in /usr/bin";
    WriteScript(bin + "co", "exec rcs co \"$@\"");
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert("PATH", QString::fromStdString(bin) + ":" + environment.value("PATH"));

    scratch.write("a.c", "a\n");
    ASSERT_EQ(test::RunCli({"new", "P.rcs"}, dir, {}, environment).exitCode, 0);
    ASSERT_EQ(test::RunCli({"add", "P.rcs", "a.c"}, dir, {}, environment).exitCode, 0);
    ASSERT_EQ(test::RunCli({"checkin", "P.rcs", "a.c"}, dir, {}, environment).exitCode, 0);

    const auto checkout = [&] {
        const test::CliResult result = test::RunCli({"checkout", "P.rcs", "a.c", "--force"}, dir, {}, environment);
        EXPECT_EQ(result.exitCode, 0) << result.out << result.err;
        return result.out;
    };
    EXPECT_TRUE(checkout().starts_with("rcs co ")) << "a wrapper of rcs is bypassed";
    EXPECT_TRUE(checkout().starts_with("rcs co ")) << "and still is once remembered";

    // A co that does more than hand over to rcs must run itself.
    WriteScript(bin + "co", "echo own co >&2\nexec /usr/bin/co \"$@\"");
    const std::string own = checkout();
    EXPECT_TRUE(own.starts_with("co ")) << own;
    EXPECT_TRUE(test::Has(own, "own co")) << own;
}

} // namespace
} // namespace kestro
