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
    "Project:\n"
    "  demo DIR                    build the demo project (real RCS history) in the\n"
    "                              empty or new directory DIR; prints the project\n"
    "                              file's path\n"
    "  new PROJECT.rcs             create an empty project (refuses an existing file)\n"
    "  show PROJECT.rcs [--codes]  print the release tree and the file tree, one node\n"
    "                              a line, two spaces of indent per level; --codes\n"
    "                              starts each line with the item's status code\n"
    "  add PROJECT.rcs FILE...     add working files (or RCS files inside an RCS\n"
    "                              directory) below the project directory\n"
    "  sync PROJECT.rcs [ITEM]     read the item's history again from RCS\n"
    "  workdir PROJECT.rcs DIR     change the working directory\n"
    "\n"
    "Files and revisions:\n"
    "  checkin PROJECT.rcs [ITEM...] [-m MESSAGE] [-r REVISION] [--force]\n"
    "          [--keep-time] [--no-lock] [--determine-revision]\n"
    "      check in (locked unless --no-lock); without -r the revision follows\n"
    "      your lock\n"
    "  checkout PROJECT.rcs [ITEM...] [-r REVISION] [--force] [--no-lock]\n"
    "          [--keep-time] [-d DATE] [--no-keywords] [--to FILE]\n"
    "          [--determine-revision]\n"
    "      check out (locked unless --no-lock); a working file changed since its\n"
    "      last check-in or check-out is replaced only with --force; --to writes\n"
    "      the revision to another, new file\n"
    "  compare PROJECT.rcs [ITEM] [-1 REVISION] [-2 REVISION] [--ignore-case]\n"
    "          [--ignore-white-space] [--ignore-blank-space] [--ignore-blank-lines]\n"
    "          [--context] [--show-c-function] [--no-keywords]\n"
    "      compare revision 1 (default: head) with revision 2 (default: the\n"
    "      working file); exits 1 when they differ\n"
    "  merge PROJECT.rcs [ITEM] -1 REVISION [-2 REVISION] [--ignore-keywords]\n"
    "      merge the differences between two revisions into the working file\n"
    "  report PROJECT.rcs [ITEM...] [-r REVISIONS] [--dates DATES] [--users USERS]\n"
    "          [--states STATES] [--locked-only] [--no-symbolic-names]\n"
    "          [--information all|name|header|header-text|log|unique]\n"
    "          [--after-revision]\n"
    "      report the history; log and unique list log messages only\n"
    "  lock PROJECT.rcs NAME@REVISION       lock a revision\n"
    "  unlock PROJECT.rcs NAME@REVISION     unlock it\n"
    "  set-default-branch PROJECT.rcs NAME@REVISION\n"
    "      make the revision's branch the file's default branch\n"
    "  reset-default-branch PROJECT.rcs [ITEM...]\n"
    "      back to the trunk (the root: every file)\n"
    "  owner PROJECT.rcs NAME@REVISION SITE  change the site owning a revision\n"
    "\n"
    "Releases:\n"
    "  freeze PROJECT.rcs NAME     freeze every file's checked-in revision as a\n"
    "                              release (every file must be checked in); when\n"
    "                              rcs refuses a file, nothing is frozen\n"
    "  checkout PROJECT.rcs release:NAME ...  check a release out\n"
    "\n"
    "Sites and release exchange:\n"
    "  sites PROJECT.rcs                    list the sites: name, e-mail address,\n"
    "                                       \"master\" where it is, \"local\" for the first\n"
    "  sites PROJECT.rcs local NAME [--email ADDRESS] [--send-command COMMAND]\n"
    "      set the local site's details\n"
    "  sites PROJECT.rcs add NAME [--email ADDRESS] [--send-command COMMAND] [--master]\n"
    "      add a remote site\n"
    "  sites PROJECT.rcs edit NAME [--name NEW] [--email ADDRESS]\n"
    "          [--send-command COMMAND] [--master] [--not-master]\n"
    "      change a remote site\n"
    "  sites PROJECT.rcs remove NAME        remove a remote site that owns no revision\n"
    "  send PROJECT.rcs --to SITE --release NAME [--original NAME]\n"
    "          [--mode all|changed|differences] [--delete-temporary]\n"
    "      write the release for the site into its send directory and run the\n"
    "      site's send command\n"
    "  receive PROJECT.rcs FILE.RCC [--merge]  apply a release sent by another site\n"
    "  import PROJECT.rcs --site SITE --dir DIRECTORY --release NAME [-m MESSAGE]\n"
    "          [--subdirectories] [--merge]\n"
    "      import a directory tree as a release from the site\n"
    "\n"
    "Deleting:\n"
    "  delete PROJECT.rcs ITEM [--from-rcs] [--working-file]\n"
    "      the item always leaves the project; --from-rcs also deletes the RCS\n"
    "      file, outdates the revisions or removes the release's symbols;\n"
    "      --working-file also deletes a file's working file\n"
    "\n"
    "The command results are printed on standard output, messages on standard\n"
    "error; the project is saved when the command changed it.\n"
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
    if (!ParseArguments(arguments,
                        {"-m", "-r", "-d", "-1", "-2", "--to", "--dates", "--users", "--states", "--information",
                         "--email", "--send-command", "--name", "--release", "--original", "--mode", "--site", "--dir"},
                        args, error))
        return UsageError(error);
    if (args.command.empty())
        return UsageError("no command given");
    if (args.project.empty())
        return UsageError(args.command == "demo" ? "no directory given" : "no project file given");

    const std::map<std::string, int (*)(const Arguments&)> commands{
        {"demo", &CommandDemo},
        {"new", &CommandNew},
        {"show", &CommandShow},
        {"add", &CommandAdd},
        {"sync", &CommandSync},
        {"checkin", &CommandCheckin},
        {"checkout", &CommandCheckout},
        {"compare", &CommandCompare},
        {"merge", &CommandMerge},
        {"report", &CommandReport},
        {"freeze", &CommandFreeze},
        {"delete", &CommandDelete},
        {"lock", &CommandLock},
        {"unlock", &CommandLock},
        {"set-default-branch", &CommandSetDefaultBranch},
        {"reset-default-branch", &CommandResetDefaultBranch},
        {"owner", &CommandOwner},
        {"workdir", &CommandWorkdir},
        {"sites", &CommandSites},
        {"send", &CommandSend},
        {"receive", &CommandReceive},
        {"import", &CommandImport},
    };
    const auto command = commands.find(args.command);
    if (command == commands.end())
        return UsageError("unknown command " + args.command);
    kestro::RCSOptions::instance().LoadOptions();
    kestro::SetUserInteraction(&CommandLineInteraction::instance());
    return command->second(args);
}
