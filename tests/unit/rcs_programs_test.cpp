#include "rcs/rcs_programs.h"

#include <gtest/gtest.h>

namespace kestro {
namespace {

// `rcs --aliases` of GNU RCS 5.10.1.
constexpr const char* kAliases = "(command)   (aliases)\n"
                                 " ci          checkin, commit\n"
                                 " co          checkout\n"
                                 " frob        rcs, admin\n"
                                 " clean       rcsclean\n"
                                 " diff        rcsdiff\n"
                                 " merge       rcsmerge\n"
                                 " log         rlog\n";

TEST(RcsPrograms, SubcommandsAreCommandsOrAliasesAndWrappersHandOnToThem)
{
    for (const char* name : {"co", "ci", "rlog", "rcsdiff", "rcsmerge", "log"})
        EXPECT_TRUE(ListsSubcommand(kAliases, name)) << name;
    for (const char* name : {"command", "aliases", "ident", "c", ""})
        EXPECT_FALSE(ListsSubcommand(kAliases, name)) << name;
    EXPECT_FALSE(ListsSubcommand("", "co")) << "rcs without subcommands";

    // Only a script handing on to the same subcommand is a wrapper.
    const std::string debian = "#!/bin/sh\n# co (GNU RCS) 5.10.1\n"
                               "d=`echo \"$0\" | sed 's|[^/]*$||'`\nexec \"$d\"rcs co \"$@\"\n";
    EXPECT_TRUE(IsRcsWrapperScript(debian, "co"));
    EXPECT_FALSE(IsRcsWrapperScript(debian, "ci")) << "another subcommand";
    EXPECT_FALSE(IsRcsWrapperScript("\x7f" "ELF rcs co \"$@\"", "co")) << "a program, not a script";
    EXPECT_FALSE(IsRcsWrapperScript("#!/bin/sh\nexec /opt/old/co \"$@\"\n", "co"));
}

} // namespace
} // namespace kestro
