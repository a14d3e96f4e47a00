#include "model/revision_log.h"
#include "support/test_project.h"

#include <gtest/gtest.h>

namespace kestro {
namespace {

// LC_ALL=C rlog -r1.3 m.txt, GNU RCS 5.10; the message holds an empty line
// and lines that look like the start of another entry.
const std::string LockedEntry = test::ReadFile(KESTRO_TEST_DATA "/rlog/locked_entry.txt");

TEST(RevisionLog, ReadsTheWholeMessageAndAuthor)
{
    RevisionLog log;
    ASSERT_TRUE(ReadRevisionLog(LockedEntry, "1.3", log));
    EXPECT_EQ(log.author, "root");
    EXPECT_EQ(log.message, "first line\n\n----------------------------\nrevision 9.9\nlast");

    // A branch point's "branches:" line is not part of the message; CR LF
    // line ends read as LF.
    const std::string branched = "----------------------------\r\nrevision 1.1\r\n"
                                 "date: 2026/12/07 06:37:29;  author: ann;  state: Exp;\r\n"
                                 "branches:  1.1.1;\r\nInitial revision\r\n"
                                 "=============================================================================\r\n";
    ASSERT_TRUE(ReadRevisionLog(branched, "1.1", log));
    EXPECT_EQ(log.author, "ann");
    EXPECT_EQ(log.message, "Initial revision");

    // Output cut short still gives what it has; another revision's entry or
    // an error message gives nothing.
    ASSERT_TRUE(ReadRevisionLog(LockedEntry.substr(0, 380), "1.3", log));
    EXPECT_EQ(log.message.rfind("first line", 0), 0u);
    EXPECT_FALSE(ReadRevisionLog(LockedEntry, "1.2", log));
    EXPECT_FALSE(ReadRevisionLog("rlog: RCS/m.txt,v: revision 1.7 absent\n", "1.7", log));
}

} // namespace
} // namespace kestro
