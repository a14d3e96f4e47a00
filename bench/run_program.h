#pragma once

// Runs an RCS program for a benchmark's setup; says what failed.

#include "model/string_helpers.h"
#include "rcs/command_runner.h"

#include <cstdio>
#include <string>
#include <vector>

inline bool RunProgram(const std::vector<std::string>& arguments)
{
    std::string command = arguments.front();
    for (std::size_t i = 1; i < arguments.size(); ++i)
        kestro::AppendArgument(command, arguments[i]);
    std::string output;
    if (kestro::RunCommand(output, command, std::string(), false) != 0) {
        std::fprintf(stderr, "%s failed:\n%s\n", command.c_str(), output.c_str());
        return false;
    }
    return true;
}
