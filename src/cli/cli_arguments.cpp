#include "cli/cli_arguments.h"

namespace kestro::cli {

bool Has(const Arguments& args, const char* flag)
{
    return args.flags.count(flag) > 0;
}

const std::string* Value(const Arguments& args, const char* option)
{
    const auto it = args.values.find(option);
    return it == args.values.end() ? nullptr : &it->second;
}

bool ParseArguments(const std::vector<std::string>& arguments, const std::set<std::string>& valueOptions,
                    Arguments& parsed, std::string& error)
{
    bool optionsEnded = false;
    std::size_t positional = 0;
    for (std::size_t i = 0; i < arguments.size(); ++i) {
        const std::string& argument = arguments[i];
        if (!optionsEnded && argument == "--") {
            optionsEnded = true;
            continue;
        }
        if (!optionsEnded && argument.size() > 1 && argument[0] == '-') {
            if (valueOptions.count(argument)) {
                if (i + 1 >= arguments.size()) {
                    error = "Option " + argument + " needs a value";
                    return false;
                }
                parsed.values[argument] = arguments[++i];
            } else {
                parsed.flags.insert(argument);
            }
            continue;
        }
        if (positional == 0)
            parsed.command = argument;
        else if (positional == 1)
            parsed.project = argument;
        else
            parsed.items.push_back(argument);
        ++positional;
    }
    return true;
}

} // namespace kestro::cli
