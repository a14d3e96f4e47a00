#include "model/string_helpers.h"
#include "rcs/command_runner.h"
#include "support/rcs_history.h"

#include <chrono>
#include <cstdlib>
#include <future>
#include <thread>

#include <signal.h>

namespace kestro {
namespace {

using namespace std::chrono_literals;

// A command line for the fake program, each argument added as the commands
// add theirs.
std::string Fake(const std::vector<std::string>& arguments)
{
    std::string line;
    AppendArgument(line, KESTRO_FAKE_PROGRAM);
    for (const std::string& argument : arguments)
        AppendArgument(line, argument);
    return line;
}

struct CommandRunnerTest : test::RcsProjectTest {
    std::string output;
};

TEST_F(CommandRunnerTest, OutputInputAndExitCodes)
{
    // Huge output comes back whole.
    const std::size_t size = 20 * 1024 * 1024;
    EXPECT_EQ(RunCommand(output, Fake({"huge", std::to_string(size)}), "", false), 0);
    ASSERT_EQ(output.size(), size);
    std::string expected(size, '\0');
    for (std::size_t i = 0; i < size; ++i)
        expected[i] = static_cast<char>('a' + i % 26);
    EXPECT_TRUE(output == expected);
    // The next run must not see what the last left in the scratch file,
    // which lives outside the project.
    EXPECT_EQ(RunCommand(output, Fake({"stdin"}), "first line\nsecond line\n", false), 0);
    EXPECT_EQ(output, "first line\nsecond line\n");
    EXPECT_TRUE(std::filesystem::is_empty(std::filesystem::current_path()));
    EXPECT_EQ(RunCommand(output, Fake({"stdin"}), "", false), 0);
    EXPECT_EQ(output, "");
    EXPECT_EQ(RunCommand(output, Fake({"exit", "3"}), "", false), 3);
    EXPECT_EQ(RunCommand(output, Fake({"crash"}), "", false), 128 + SIGSEGV);
    EXPECT_EQ(RunCommand(output, "", "", false), -1);
}

TEST_F(CommandRunnerTest, KeptOutputsAreEachReadWholeAfterLaterRuns)
{
    CommandOutput first, second, none;
    EXPECT_EQ(RunCommandKeepingOutput(first, Fake({"stderr", "error text", "normal text"})), 0);
    EXPECT_EQ(RunCommandKeepingOutput(second, Fake({"exit", "3"})), 3);
    EXPECT_EQ(RunCommandKeepingOutput(none, "no-such-program-here"), -1);
    EXPECT_EQ(first.Read(), "error textnormal text");
    EXPECT_EQ(first.Read(), "error textnormal text") << "read again from the start";
    EXPECT_EQ(second.Read(), "");
    EXPECT_FALSE(none.file.valid());
    EXPECT_TRUE(test::Has(test::Results(), "Cannot run no-such-program-here: ")) << test::Results();
    EXPECT_TRUE(std::filesystem::is_empty(std::filesystem::current_path()));
}

TEST_F(CommandRunnerTest, RedirectionKeepsOnlyStandardErrorInTheOutputAndNeverOverwrites)
{
    EXPECT_EQ(RunCommand(output, Fake({"stderr", "error text", "normal text"}), "", false), 0);
    EXPECT_EQ(output, "error textnormal text");

    const std::string line = Fake({"stderr", "error text", "normal text"});
    EXPECT_EQ(RunCommand(output, line, "", true, "saved.txt"), 0);
    EXPECT_EQ(output, "error text");
    EXPECT_EQ(test::ReadFile("saved.txt"), "normal text");
    EXPECT_EQ(test::Results(), line + " >saved.txt\r\nerror text\r\n");

    test::TakeResults();
    EXPECT_EQ(RunCommand(output, line, "", true, "saved.txt", true), 0);
    EXPECT_EQ(test::ReadFile("saved.txt"), "normal textnormal text");
    EXPECT_EQ(test::Results(), line + " >>saved.txt\r\nerror text\r\n");

    // A file that exists is never written over, and nothing runs.
    test::TakeResults();
    EXPECT_EQ(RunCommand(output, line, "", true, "saved.txt"), -1);
    EXPECT_EQ(test::Results(), line + " >saved.txt\r\nCannot create saved.txt\r\n");
    EXPECT_EQ(test::ReadFile("saved.txt"), "normal textnormal text");
    EXPECT_EQ(output, "");  // the program would have written "error text" here
}

TEST_F(CommandRunnerTest, EchoesCommandLineThenOutputAndPassesEveryArgumentWhole)
{
    const std::string hello = Fake({"echo-args", "hello"});
    EXPECT_EQ(RunCommand(output, hello, "", true), 0);
    EXPECT_EQ(test::Results(), hello + "\r\n[hello]\n\r\n");

    const std::string silent = Fake({"exit", "0"});
    EXPECT_EQ(RunCommand(output, silent, "", true), 0);
    EXPECT_EQ(test::Results(), hello + "\r\n[hello]\n\r\n" + silent + "\r\n\r\n");

    // A program that cannot be started is named, with the reason.
    test::TakeResults();
    const std::string missing = "kestro-no-such-program -r1.1 file.c";
    const std::string reason = "Cannot run kestro-no-such-program: No such file or directory";
    EXPECT_EQ(RunCommand(output, missing, "", true), -1);
    EXPECT_EQ(test::Results(), missing + "\r\n" + reason + "\r\n");
    EXPECT_EQ(output, reason);

    EXPECT_EQ(RunCommand(output, hello, "", false), 0);
    EXPECT_EQ(test::Results(), missing + "\r\n" + reason + "\r\n");

    // Every argument arrives whole, and no shell runs.
    const std::vector<std::string> arguments = {
        "two words", "say \"hi\"", "a;b", "p|q", "$(touch pwned)", "`touch pwned`",
        "-rf", "", "tab\there", "&", "<in", ">out", "*", "\"",
    };
    std::vector<std::string> line = {"echo-args"};
    line.insert(line.end(), arguments.begin(), arguments.end());
    std::string expected;
    for (const std::string& argument : arguments)
        expected += "[" + argument + "]\n";

    EXPECT_EQ(RunCommand(output, Fake(line), "", false), 0);
    EXPECT_EQ(output, expected);
    EXPECT_FALSE(std::filesystem::exists("pwned"));
    EXPECT_FALSE(std::filesystem::exists("out"));
}

TEST_F(CommandRunnerTest, ChildAloneGetsTimeZoneAndLocale)
{
    const std::string ownTimeZone = std::getenv("TZ") != nullptr ? std::getenv("TZ") : "<unset>";

    RCSOptions::instance().childTimeZone = "EST5";
    EXPECT_EQ(RunCommand(output, Fake({"env", "TZ"}), "", false), 0);
    EXPECT_EQ(output, "EST5\n");
    EXPECT_EQ(RunCommand(output, Fake({"env", "LC_ALL"}), "", false), 0);
    EXPECT_EQ(output, "C\n");

    // Without a value of its own the child keeps this process's.
    RCSOptions::instance().childTimeZone.clear();
    EXPECT_EQ(RunCommand(output, Fake({"env", "TZ"}), "", false), 0);
    EXPECT_EQ(output, ownTimeZone + "\n");

    const char* timeZone = std::getenv("TZ");
    EXPECT_EQ(timeZone != nullptr ? timeZone : "<unset>", ownTimeZone);
}

// Runs a hanging program on another thread, stops it once it runs, and
// returns RunCommand's result.
int RunAndStop(const std::vector<std::string>& hangArguments)
{
    std::string output;
    auto running = std::async(std::launch::async,
                              [&] { return RunCommand(output, Fake(hangArguments), "", false); });
    // Once it runs, for a minute at most.
    const auto deadline = std::chrono::steady_clock::now() + 60s;
    while (!std::filesystem::exists("running.pid") && std::chrono::steady_clock::now() < deadline)
        std::this_thread::sleep_for(10ms);
    StopRunningProgram();
    if (running.wait_for(60s) != std::future_status::ready) {
        ADD_FAILURE() << "the program did not stop";
        ::kill(std::stoi(test::ReadFile("running.pid")), SIGKILL);  // so the test ends
    }
    return running.get();
}

TEST_F(CommandRunnerTest, StopEndsHangingProgram)
{
    EXPECT_EQ(RunAndStop({"hang", "running.pid"}), 128 + SIGTERM);
    std::filesystem::remove("running.pid");
    EXPECT_EQ(RunAndStop({"hang", "running.pid", "ignore-term"}), 128 + SIGKILL);

    // Nothing runs now: a stop does nothing, and the next run is unharmed.
    StopRunningProgram();
    EXPECT_EQ(RunCommand(output, Fake({"exit", "0"}), "", false), 0);
}

TEST_F(CommandRunnerTest, RunsFromTwoThreadsDoNotMix)
{
    std::vector<std::string> blocks[2];
    auto work = [&](int thread) {
        bool allRight = true;
        for (int i = 0; i < 10; ++i) {
            const std::string id = std::to_string(thread) + "." + std::to_string(i);
            const std::string line = Fake({"echo-args", id});
            std::string text;
            allRight = RunCommand(text, line, "", true) == 0 && text == "[" + id + "]\n" && allRight;
            blocks[thread].push_back(line + "\r\n" + text + "\r\n");
        }
        return allRight;
    };
    auto first = std::async(std::launch::async, work, 0);
    auto second = std::async(std::launch::async, work, 1);
    EXPECT_TRUE(first.get());
    EXPECT_TRUE(second.get());

    // Each command line is followed by its own output.
    const std::string results = test::Results();
    std::size_t total = 0;
    for (const auto& thread : blocks) {
        for (const std::string& block : thread) {
            EXPECT_TRUE(test::Has(results, block)) << block;
            total += block.size();
        }
    }
    EXPECT_EQ(results.size(), total);
}

} // namespace
} // namespace kestro
