#include "support/rcs_history.h"

#include "model/string_helpers.h"
#include "rcs/command_runner.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <fstream>

namespace kestro::test {

int RunProgram(const std::vector<std::string>& arguments, std::string* output)
{
    std::string command = arguments.front();
    for (std::size_t i = 1; i < arguments.size(); ++i)
        AppendArgument(command, arguments[i]);
    std::string printed;
    const int result = RunCommand(printed, command, std::string(), false);
    if (output)
        *output = printed;
    return result;
}

void WriteText(const std::string& path, const std::string& text)
{
    const std::filesystem::path target(path);
    if (target.has_parent_path())
        std::filesystem::create_directories(target.parent_path());
    std::ofstream(path, std::ios::binary | std::ios::trunc) << text;
}

void CheckIn(const std::string& path, const std::string& text, const std::string& message,
             const std::vector<std::string>& options)
{
    WriteText(path, text);
    const std::filesystem::path target(path);
    std::filesystem::create_directories(target.parent_path() / "RCS");
    std::vector<std::string> arguments{"ci", "-f", "-t-test file", "-m" + message};
    arguments.insert(arguments.end(), options.begin(), options.end());
    // Keep the working file unless the caller keeps it locked.
    const bool keeps = std::any_of(options.begin(), options.end(), [](const std::string& option) {
        return option.starts_with("-l") || option.starts_with("-u");
    });
    if (!keeps)
        arguments.push_back("-u");
    arguments.push_back(path);
    std::string output;
    ASSERT_EQ(RunProgram(arguments, &output), 0) << output;
}

std::string Rlog(const std::string& path)
{
    std::string output;
    EXPECT_EQ(RunProgram({"rlog", path}, &output), 0) << output;
    return output;
}

} // namespace kestro::test
