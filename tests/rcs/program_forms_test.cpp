// Which form of the RCS programs kestro-cli starts, as installed programs
// change between runs: a remembered answer must never outlive the programs.

#include "support/cli_runner.h"

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

using ProgramForms = test::CliProjectTest;

TEST_F(ProgramForms, AChangedWrapperIsAskedAboutAgain)
{
    const std::string bin = dir + "bin/";
    fs::create_directories(bin);
    fs::create_symlink("/usr/bin/rcs", bin + "rcs");
    ASSERT_TRUE(fs::exists(bin + "rcs")) << "needs GNU RCS with subcommands in /usr/bin";
    WriteScript(bin + "co", "exec rcs co \"$@\"");
    environment.insert("PATH", QString::fromStdString(bin) + ":" + environment.value("PATH"));

    scratch.write("a.c", "a\n");
    for (const QStringList& step : {QStringList{"new"}, {"add", "a.c"}, {"checkin", "a.c"}})
        Ok(step);

    const auto checkout = [&] {
        const test::CliResult result = Run({"checkout", "a.c", "--force"});
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
