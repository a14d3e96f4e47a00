// kestro-cli: runs one command on a project file and saves the project when
// the command changed it.

#include "cli/cli_arguments.h"
#include "cli/cli_session.h"
#include "model/options.h"

#include <QCoreApplication>

#include <iostream>
#include <map>

namespace {

using namespace kestro::cli;

const char* const usage =
    "Usage: kestro-cli COMMAND PROJECT.rcs [OPTIONS] [ITEMS]\n"
    "\n"
    "Items: a file by its name (either separator), a revision as NAME@REVISION,\n"
    "a release as release:NAME, a release entry as release:NAME/FILE; no item\n"
    "means the project root.\n"
    "\n"
    "Commands:\n"
    "  demo DIR                    build the demo project (real RCS history) in the\n"
    "                              empty or new directory DIR and print its project\n"
    "                              file's path\n"
    "  new PROJECT.rcs             create an empty project (refuses an existing file)\n"
    "  show PROJECT.rcs [--codes]  print the release tree and the file tree, one node\n"
    "                              a line, two spaces of indent per level; --codes\n"
    "                              starts each line with the item's status code\n"
    "  add PROJECT.rcs FILE...     add working files (or RCS files inside an RCS\n"
    "                              directory) below the project directory\n"
    "  sync PROJECT.rcs [ITEM]     read the item's history again from RCS\n"
    "\n"
    "The command results are printed on standard output; the project is saved\n"
    "when the command changed it.\n"
    "Exit status: 0 on success, the failing operation's result (1 when it was\n"
    "refused) otherwise, 2 for a usage error.\n";

int UsageError(const std::string& message)
{
    std::cerr << "kestro-cli: " << message << "\n\n" << usage;
    return 2;
}

} // namespace

int main(int argc, char** argv)
{
    QCoreApplication application(argc, argv);
    const std::vector<std::string> arguments(argv + 1, argv + argc);
    for (const std::string& argument : arguments) {
        if (argument == "--help" || argument == "-h") {
            std::cout << usage;
            return 0;
        }
    }
    Arguments args;
    std::string error;
    if (!ParseArguments(arguments, {}, args, error))
        return UsageError(error);
    if (args.command.empty())
        return UsageError("no command given");
    if (args.project.empty())
        return UsageError(args.command == "demo" ? "no directory given" : "no project file given");

    const std::map<std::string, int (*)(const Arguments&)> commands{
        {"demo", &CommandDemo}, {"new", &CommandNew}, {"show", &CommandShow},
        {"add", &CommandAdd},   {"sync", &CommandSync},
    };
    const auto command = commands.find(args.command);
    if (command == commands.end())
        return UsageError("unknown command " + args.command);
    kestro::RCSOptions::instance().LoadOptions();
    return command->second(args);
}
