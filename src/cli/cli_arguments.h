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

// Options named in valueOptions take the next argument as their value;
// every other argument starting with "-" is a flag. "--" ends the options.
// Returns false with a message when an option lacks its value.
// Whether a flag was given, and the value of an option (null when absent).
bool Has(const Arguments& args, const char* flag);
const std::string* Value(const Arguments& args, const char* option);

bool ParseArguments(const std::vector<std::string>& arguments, const std::set<std::string>& valueOptions,
                    Arguments& parsed, std::string& error);

} // namespace kestro::cli
