#pragma once

// Every kestro-cli command: what runs it, the options it knows and how many
// items it takes, so that a command line is checked in full before anything
// runs.

#include "cli/cli_arguments.h"

#include <cstddef>
#include <string>

namespace kestro::cli {

struct CommandEntry {
    const char* name;
    int (*run)(const Arguments&);
    OptionSet options;
    std::size_t minItems;
    std::size_t maxItems;
    const char* items;  // what the items are, for a usage error
};

// Null for a command that does not exist.
const CommandEntry* FindCommand(const std::string& name);

// Checks the item count; false with a one-line reason.
bool CheckItemCount(const CommandEntry& entry, const Arguments& args, std::string& error);

} // namespace kestro::cli
