#include "cli/command_table.h"

#include "cli/cli_session.h"

#include <limits>

namespace kestro::cli {

namespace {

constexpr std::size_t Any = std::numeric_limits<std::size_t>::max();

// Every command that opens a project may wait for its lock.
OptionSet With(OptionSet options)
{
    options.values.insert("--wait");
    return options;
}

const CommandEntry commands[] = {
    {"demo", &CommandDemo, {}, 0, 0, ""},
    {"new", &CommandNew, {}, 0, 0, ""},
    {"show", &CommandShow, With({{"--codes"}, {"--format"}}), 0, 0, ""},
    {"add", &CommandAdd, With({}), 1, Any, "the files to add"},
    {"sync", &CommandSync, With({}), 0, 1, "one item"},
    {"workdir", &CommandWorkdir, With({}), 1, 1, "the new working directory"},
    {"checkin", &CommandCheckin,
     With({{"--force", "--keep-time", "--no-lock", "--determine-revision"}, {"-m", "--message-file", "-r"}}), 0, Any,
     "items"},
    {"checkout", &CommandCheckout,
     With({{"--force", "--no-lock", "--keep-time", "--no-keywords", "--determine-revision"}, {"-r", "-d", "--to"}}),
     0, Any, "items"},
    {"compare", &CommandCompare,
     With({{"--ignore-case", "--ignore-white-space", "--ignore-blank-space", "--ignore-blank-lines", "--context",
            "--show-c-function", "--no-keywords"},
           {"-1", "-2"}}),
     0, 1, "one item"},
    {"merge", &CommandMerge, With({{"--ignore-keywords"}, {"-1", "-2"}}), 0, 1, "one item"},
    {"report", &CommandReport,
     With({{"--locked-only", "--no-symbolic-names", "--after-revision"},
           {"-r", "--dates", "--users", "--states", "--information"}}),
     0, Any, "items"},
    {"freeze", &CommandFreeze, With({}), 1, 1, "the release name"},
    {"delete", &CommandDelete, With({{"--from-rcs", "--working-file"}, {}}), 1, 1, "one item"},
    {"lock", &CommandLock, With({}), 1, 1, "one revision as NAME@REVISION"},
    {"unlock", &CommandLock, With({}), 1, 1, "one revision as NAME@REVISION"},
    {"set-default-branch", &CommandSetDefaultBranch, With({}), 1, 1, "one revision as NAME@REVISION"},
    {"reset-default-branch", &CommandResetDefaultBranch, With({}), 0, Any, "items"},
    {"owner", &CommandOwner, With({}), 2, 2, "NAME@REVISION and the site's name"},
    {"sites", &CommandSites, With({{"--master", "--not-master"}, {"--email", "--send-command", "--name"}}), 0, 2,
     "nothing, or local NAME, add NAME, edit NAME or remove NAME"},
    {"send", &CommandSend, With({{"--delete-temporary"}, {"--to", "--release", "--original", "--mode"}}), 0, 0, ""},
    {"receive", &CommandReceive, With({{"--merge"}, {}}), 1, 1, "the command file (FILE.RCC)"},
    {"import", &CommandImport,
     With({{"--subdirectories", "--merge", "--lock", "--force", "--keep-time", "--determine-revision"},
           {"--site", "--dir", "--release", "-m"}}),
     0, 0, ""},
    {"options", &CommandOptions, With({}), 0, 2, "nothing, NAME, or NAME VALUE"},
};

} // namespace

const CommandEntry* FindCommand(const std::string& name)
{
    for (const CommandEntry& entry : commands) {
        if (name == entry.name)
            return &entry;
    }
    return nullptr;
}

bool CheckItemCount(const CommandEntry& entry, const Arguments& args, std::string& error)
{
    const std::size_t count = args.items.size();
    if (count >= entry.minItems && count <= entry.maxItems)
        return true;
    error = entry.maxItems == 0 ? std::string(entry.name) + " takes no items"
                               : std::string(entry.name) + " takes " + entry.items;
    return false;
}

} // namespace kestro::cli
