// kestro-cli: runs one command on a project file and saves the project when
// the command changed it.

#include "cli/cli_arguments.h"
#include "cli/command_table.h"
#include "cli/cli_session.h"
#include "model/options.h"

#include <QCoreApplication>

#include <iostream>

namespace {

using namespace kestro::cli;

const char* const usage =
    "Usage: kestro-cli COMMAND PROJECT.rcs [OPTIONS] [ITEMS]\n"
    "       kestro-cli --help | --version\n"
    "\n"
    "Items: a file by its name (either separator) or by its path from the\n"
    "current directory, a revision as NAME@REVISION,\n"
    "a release as release:NAME, a release entry as release:NAME/FILE; no item\n"
    "means the project root.\n"
    "\n"
    "Project:\n"
    "  demo DIR                    build the demo project (real RCS history) in the\n"
    "                              empty or new directory DIR; prints the project\n"
    "                              file's path\n"
    "  new PROJECT.rcs             create an empty project (refuses an existing file)\n"
    "  show PROJECT.rcs [--codes] [--format text|tsv]\n"
    "      print the release tree and the file tree, one node a line, two spaces\n"
    "      of indent per level; --codes starts each line with the item's status\n"
    "      code; --format tsv prints depth, status code, kind, name and text,\n"
    "      separated by tabs, with tab, line break and backslash escaped\n"
    "  options PROJECT.rcs [NAME [VALUE]]\n"
    "      list (name=value), read or set what the Options sheet holds:\n"
    "      use-universal-time, sort-highest-revisions-first, time-display-format,\n"
    "      file-types, default-file-types, release-name-file,\n"
    "      release-name-template, default-release-name-file,\n"
    "      default-release-name-template, site-name, site-email-address,\n"
    "      send-command, default-site-name, default-site-email-address,\n"
    "      default-send-command; values are escaped as in --format tsv\n"
    "  add PROJECT.rcs FILE...     add working files (or their RCS files, inside\n"
    "                              an RCS directory or beside them as NAME,v)\n"
    "                              below the project directory; paths are taken\n"
    "                              from the current directory; a file equal to\n"
    "                              its RCS file's head (or your one lock) shows\n"
    "                              as checked in\n"
    "  sync PROJECT.rcs [ITEM]     read the item's history again from RCS\n"
    "  workdir PROJECT.rcs DIR     change the working directory\n"
    "\n"
    "Files and revisions:\n"
    "  checkin PROJECT.rcs [ITEM...] [-m MESSAGE | --message-file FILE]\n"
    "          [-r REVISION] [--force] [--keep-time] [--no-lock]\n"
    "          [--determine-revision]\n"
    "      check in (locked unless --no-lock) with the message given for every\n"
    "      file (--message-file - reads standard input); a message is needed\n"
    "      unless every file is new to RCS, which then gets its initial\n"
    "      message; without -r the revision follows your lock (the one the\n"
    "      working file came from, when you hold several); a file holding merge\n"
    "      conflict markers is refused unless --force is given\n"
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
    "      working file); exits 1 when they differ or cannot be compared\n"
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
    "  sites PROJECT.rcs                    list the sites, one a line, fields\n"
    "      separated by tabs and escaped as in --format tsv: name, e-mail\n"
    "      address, \"master\" where it is, \"local\" for the first\n"
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
    "          [--subdirectories] [--merge] [--lock] [--force] [--keep-time]\n"
    "          [--determine-revision]\n"
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
    "\n"
    "A command that changes the project locks it (PROJECT.rcs.lock) while it\n"
    "runs; another waits for the lock up to --wait SECONDS (default 60), then\n"
    "gives up, naming the program that holds it.\n"
    "\n"
    "Options are checked before anything runs; \"--\" ends them, so that an\n"
    "item may start with \"-\". \"--name=value\" equals \"--name value\".\n"
    "\n"
    "Exit status: 0 when every item succeeded; 1 when any item failed (the\n"
    "others are still done) or the project could not be opened or saved;\n"
    "2 for a usage error (unknown option, missing value or item), when\n"
    "nothing has run.\n";

int UsageError(const std::string& message)
{
    std::cerr << "kestro-cli: " << message << " (kestro-cli --help lists every command)\n";
    return 2;
}

} // namespace

int main(int argc, char** argv)
{
    QCoreApplication application(argc, argv);
    const std::vector<std::string> arguments(argv + 1, argv + argc);
    if (arguments.empty())
        return UsageError("no command given");
    if (arguments.front() == "--help" || arguments.front() == "-h" || arguments.front() == "help") {
        std::cout << usage;
        return 0;
    }
    if (arguments.front() == "--version") {
        std::cout << "kestro-cli " KESTRO_VERSION "\n";
        return 0;
    }
    const CommandEntry* entry = FindCommand(arguments.front());
    if (!entry)
        return UsageError("unknown command " + arguments.front());
    Arguments args;
    std::string error;
    if (!ParseArguments(arguments, entry->options, args, error) || !CheckItemCount(*entry, args, error))
        return UsageError(error);
    if (args.project.empty())
        return UsageError(args.command == "demo" ? "no directory given" : "no project file given");
    if (const std::string* wait = Value(args, "--wait")) {
        bool number = false;
        const int seconds = QString::fromStdString(*wait).toInt(&number);
        if (!number || seconds < 0)
            return UsageError("--wait needs a number of seconds");
        Session::lockWait = std::chrono::seconds(seconds);
    }
    kestro::RCSOptions::instance().LoadOptions();
    kestro::SetUserInteraction(&CommandLineInteraction::instance());
    return entry->run(args);
}
