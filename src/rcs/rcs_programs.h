#pragma once

// GNU RCS 5.10 is one program, `rcs`, with subcommands; the installed `co`,
// `ci`, `rlog`, `rcsdiff` and `rcsmerge` are then small shell scripts that
// only run `rcs co ...` and so on. Starting `rcs` directly spares a shell and
// its tools per run, which dominates commands over thousands of files.

#include <string>
#include <string_view>

namespace kestro {

// The program as started: "rcs co" for "co" where the installed co is such a
// wrapper and `rcs` lists co among its subcommands, else the name unchanged.
// Found once, on first use.
std::string DirectProgram(const std::string& program);

// The command line as it runs: "rcs co ..." for "co ..." where co is such a
// wrapper, else the line unchanged.
std::string DirectCommandLine(const std::string& commandLine);

// Whether the text of a program found on PATH is a script that only hands
// its arguments to `rcs` with the same subcommand.
bool IsRcsWrapperScript(std::string_view script, std::string_view program);

// Every command and alias that `rcs --aliases` lists.
bool ListsSubcommand(std::string_view aliasesOutput, std::string_view subcommand);

} // namespace kestro
