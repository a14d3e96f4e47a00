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

bool ParseArguments(const std::vector<std::string>& arguments, const OptionSet& known, Arguments& parsed,
                    std::string& error)
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
            const std::size_t equals = argument.starts_with("--") ? argument.find('=') : std::string::npos;
            const std::string name = argument.substr(0, equals);
            if (known.values.count(name)) {
                if (equals != std::string::npos) {
                    parsed.values[name] = argument.substr(equals + 1);
                } else if (i + 1 < arguments.size()) {
                    parsed.values[name] = arguments[++i];
                } else {
                    error = "option " + name + " needs a value";
                    return false;
                }
            } else if (known.flags.count(name) && equals == std::string::npos) {
                parsed.flags.insert(name);
            } else {
                error = known.flags.count(name) ? "option " + name + " takes no value"
                                                : "unknown option " + argument
                                                      + (parsed.command.empty() ? std::string()
                                                                                : " for " + parsed.command);
                return false;
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
