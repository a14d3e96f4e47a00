#pragma once

// Splits the command line of kestro-cli: COMMAND PROJECT [OPTIONS] [ITEMS].

#include <map>
#include <set>
#include <string>
#include <vector>

namespace kestro::cli {

struct Arguments {
    std::string command;
    std::string project;
    std::vector<std::string> items;
    std::map<std::string, std::string> values;  // options that take a value
    std::set<std::string> flags;                 // options that do not
};

// The options one command knows.
struct OptionSet {
    std::set<std::string> flags;
    std::set<std::string> values;  // each takes the next argument
};

// Whether a flag was given, and the value of an option (null when absent).
bool Has(const Arguments& args, const char* flag);
const std::string* Value(const Arguments& args, const char* option);

// Every argument starting with "-" must be one of known's options, and an
// option that takes a value must have one; "--" ends the options, so what
// follows is an item even when it starts with "-". "--name=value" is the
// same as "--name value". Returns false with a one-line reason otherwise.
bool ParseArguments(const std::vector<std::string>& arguments, const OptionSet& known, Arguments& parsed,
                    std::string& error);

} // namespace kestro::cli
