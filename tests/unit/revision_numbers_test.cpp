#include "model/revision_numbers.h"

#include <gtest/gtest.h>

namespace kestro {
namespace {

TEST(RevisionNumbers, FieldsBranchAndBranchPoint) {
  struct Case { std::string number; int fields; std::string branch, branchPoint; };
  const std::vector<Case> cases = {
      {"", 0, "", ""},     {"1", 1, "", ""},         {"12", 1, "", ""},              {"abc", 1, "", ""},
      {"1.5", 2, "1", ""}, {"1.2.1", 3, "1.2", "1"}, {"1.2.1.3", 4, "1.2.1", "1.2"}, {"1.3.2.32767", 4, "1.3.2", "1.3"},
      {"1.2.1.1.3.1", 6, "1.2.1.1.3", "1.2.1.1"},
      {".", 2, "", ""},    {"1.", 2, "1", ""},       {"..", 3, ".", ""},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(CountRevisionFields(c.number), c.fields) << c.number;
    EXPECT_EQ(BranchOf(c.number), c.branch) << c.number;
    EXPECT_EQ(BranchPointOf(c.number), c.branchPoint) << c.number;
  }
}

TEST(RevisionNumbers, LeadingRevisionFields) {
  struct Case { std::string number; int n; std::string expected; };
  const std::vector<Case> cases = {
      {"", 0, ""},           {"", 1, ""},           {"", 5, ""},
      {"1.2.1.3", 0, ""},    {"1.2.1.3", -1, ""},   {"1.2.1.3", -100, ""},
      {"1.2.1.3", 1, "1"},   {"1.2.1.3", 2, "1.2"}, {"1.2.1.3", 3, "1.2.1"},
      {"1.2.1.3", 4, "1.2.1.3"}, {"1.2.1.3", 5, "1.2.1.3"}, {"1.2.1.3", 1000, "1.2.1.3"},
      {"7", 1, "7"},         {"7", 2, "7"},         {"1.", 1, "1"}, {".5", 1, ""},         {"10.20", 1, "10"},
  };
  for (const auto& c : cases)
    EXPECT_EQ(LeadingRevisionFields(c.number, c.n), c.expected) << c.number << " n=" << c.n;
}

TEST(RevisionNumbers, NextRevision) {
  struct Case { std::string number; std::string expected; };
  const std::vector<Case> cases = {
      {"1.2", "1.3"}, {"1.2.1", "1.2.2"}, {"1.9", "1.10"}, {"3", "4"}, {"9", "10"}, {"1.99", "1.100"},
      {"1.2.1.9", "1.2.1.10"}, {"1.32767", "1.32768"},
      {"", "1"},        // no digits read as 0
      {"1.", "1.1"},
      {"1.x", "1.1"},   // fields that are not numbers read as 0
      {"1.07", "1.8"},  // the decimal value, not the text
      {"1.-3", "1.-2"}, {"1.-1", "1.0"},
      // Long digit runs from untrusted files do not overflow.
      {"1.99999999999999999999999999999", "1.100000000000000000000000000000"},
      {"1.18446744073709551615", "1.18446744073709551616"},
      {"1.-100000000000000000000000000000", "1.-99999999999999999999999999999"},
  };
  for (const auto& c : cases) EXPECT_EQ(NextRevision(c.number), c.expected) << c.number;
}

TEST(RevisionNumbers, CompareRevisions) {
  struct Case { std::string a; std::string b; int expected; };
  const std::vector<Case> cases = {
      // The documented examples.
      {"1.10", "1.9", 1}, {"1.9", "1.10", -1}, {"2.1", "1.20", 1}, {"1.20", "2.1", -1}, {"1.2", "1.2", 0},
      {"1.2.1.1", "1.2.1.1", 0},
      {"1.2", "1.2.1.1", 0},   // a has fewer fields: 0
      {"1.2.1.1", "1.2", 1},   // a has more fields: 1
      // Field by field.
      {"1.1", "1.2", -1}, {"1.3", "1.2", 1}, {"1.2.1.3", "1.2.1.2", 1}, {"1.2.1.2", "1.2.1.3", -1},
      {"1.2.2.1", "1.2.1.9", 1}, {"1.2.1", "1.2.2", -1}, {"1.8", "1.32767", -1}, {"2.1", "2.32767", -1},
      {"1.7", "2.32767", -1}, {"3.1", "2.32767", 1}, {"1.2.1.32767", "1.2.1.2", 1}, {"1.3.1", "1.3.1", 0},
      {"1.3.2", "1.3.1", 1},
      // Common fields differ before the shorter one runs out.
      {"1.3", "1.2.1.1", 1}, {"1.2.1.1", "1.3", -1}, {"1", "1.1", 0}, {"1.1", "1", 1}, {"2", "1.5", 1},
      // Empty texts and fields that are not numbers read as 0.
      {"", "", 0}, {"", "1", -1}, {"1", "", 1}, {"0", "", 0}, {"abc", "0", 0}, {"1.x", "1.0", 0},
      {"a.b", "0.0", 0},
      {"-1", "1", -1}, {"-1", "-2", 1}, {"1.-1", "1.0", -1}, {"1.02", "1.2", 0},
      // Long digit runs compare exactly, without overflow.
      {"1.99999999999999999999999999999", "1.99999999999999999999999999998", 1},
      {"1.99999999999999999999999999998", "1.99999999999999999999999999999", -1},
      {"1.99999999999999999999999999999", "1.99999999999999999999999999999", 0},
      {"1.100000000000000000000", "1.99999999999999999999", 1},
      {"-99999999999999999999999", "-99999999999999999999998", -1},
      {"1.0000000000000000000000000005", "1.5", 0},  // equal values, same field positions
  };
  for (const auto& c : cases)
    EXPECT_EQ(CompareRevisions(c.a, c.b), c.expected) << c.a << " vs " << c.b;
}

TEST(RevisionNumbers, ArbitraryBytesNeverCrash) {
  const std::vector<std::string> texts = {
      "", ".", "..", "...", "-", "+", " ", "\t-", "1..2", ".1", "1.", std::string(1, '\0'),
      std::string("1.\0.2", 5), "\xff\xfe.\x80", std::string(10000, '9'), std::string(5000, '.'),
      "-" + std::string(300, '9') + ".1",
  };
  for (const auto& a : texts) {
    (void)CountRevisionFields(a);
    (void)BranchOf(a);
    (void)BranchPointOf(a);
    (void)NextRevision(a);
    for (const auto& b : texts) {
      int r = CompareRevisions(a, b);
      EXPECT_TRUE(r == -1 || r == 0 || r == 1);
    }
  }
  EXPECT_EQ(NextRevision(std::string(10000, '9')), "1" + std::string(10000, '0'));
}

}  // namespace
}  // namespace kestro
