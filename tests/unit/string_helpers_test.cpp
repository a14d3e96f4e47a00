#include "model/string_helpers.h"

#include <gtest/gtest.h>

#include <random>

namespace kestro {
namespace {

using Args = std::vector<std::string>;

std::string Join(const std::string& program, const Args& args) {
  std::string line = program;
  for (const auto& a : args) AppendArgument(line, a);
  return line;
}

TEST(StringHelpers, AppendArgument) {
  struct Case { std::string argument; std::string expected; };
  const std::vector<Case> cases = {
      {"file.c", " file.c"}, {"-r1.2", " -r1.2"},
      {"", " \"\""},  // an empty argument becomes a blank and two double quotes
      {"a b", " \"a b\""}, {"a\tb", " \"a\tb\""}, {"a<b", " \"a<b\""}, {"a>b", " \"a>b\""},
      {"a|b", " \"a|b\""}, {"a&b", " \"a&b\""}, {"say \"hi\"", " \"say \"\"hi\"\"\""}, {"\"", " \"\"\"\""},
      {"a;b", " a;b"},        // not in the quoting set
      {"$(rm -rf x)", " \"$(rm -rf x)\""},  // quoted only for its blank
      {"$(id)", " $(id)"}, {"a\nb", " a\nb"}, {"\xc3\xa9t\xc3\xa9", " \xc3\xa9t\xc3\xa9"},
  };
  for (const auto& c : cases) {
    std::string line = "rlog";
    AppendArgument(line, c.argument);
    EXPECT_EQ(line, "rlog" + c.expected) << c.argument;
  }
}

TEST(StringHelpers, SplitCommandLine) {
  struct Case { std::string line; Args expected; };
  const std::vector<Case> cases = {
      {"", {}}, {"   ", {}}, {"rlog", {"rlog"}}, {"rlog file.c", {"rlog", "file.c"}},
      {"rlog \"\"", {"rlog", ""}}, {"rlog \"a b\" c", {"rlog", "a b", "c"}},
      {"rlog \"say \"\"hi\"\"\"", {"rlog", "say \"hi\""}}, {"rlog \"\"\"\"", {"rlog", "\""}},
      {"rlog \"\"\"\"\"\"", {"rlog", "\"\""}},
      // Text AppendArgument never produces.
      {"  rlog   a  \t b  ", {"rlog", "a", "b"}}, {"rlog \"unclosed arg", {"rlog", "unclosed arg"}},
      {"rlog \"unclosed \"\"q", {"rlog", "unclosed \"q"}}, {"rlog \"", {"rlog", ""}},
      {"rlog \"a b\"c d", {"rlog", "a bc", "d"}}, {"rlog \"a\"\"", {"rlog", "a\""}},
      {"rlog a\"b c", {"rlog", "a\"b", "c"}}, {"rlog a\nb", {"rlog", "a\nb"}},
      {"rlog a\r\n", {"rlog", "a\r\n"}},
      {"sh -c \"mail -s \"\"x y\"\" u@h < f\"", {"sh", "-c", "mail -s \"x y\" u@h < f"}},
  };
  for (const auto& c : cases) EXPECT_EQ(SplitCommandLine(c.line), c.expected) << c.line;
}

TEST(StringHelpers, SplitInvertsAppendArgumentProperty) {
  std::mt19937 rng(20240611u);
  // Bytes that matter to the quoting get extra weight; any byte can appear.
  std::string special = " \t<>|&\"\r\n;$()-'\\`";
  special += '\0';
  auto randomByte = [&]() -> char {
    return rng() % 2 == 0 ? special[rng() % special.size()] : static_cast<char>(rng() % 256);
  };
  for (int round = 0; round < 5000; ++round) {
    Args args;
    const int count = static_cast<int>(rng() % 7);
    for (int i = 0; i < count; ++i) {
      std::string arg;
      const int length = static_cast<int>(rng() % 4 == 0 ? 0 : rng() % 12);
      for (int j = 0; j < length; ++j) arg += randomByte();
      args.push_back(arg);
    }
    Args expected = {"rlog"};
    expected.insert(expected.end(), args.begin(), args.end());
    ASSERT_EQ(SplitCommandLine(Join("rlog", args)), expected) << "round " << round;
    // Without a program name the leading blank is ignored.
    ASSERT_EQ(SplitCommandLine(Join("", args)), args) << "round " << round;
  }
}

TEST(StringHelpers, ReplaceAll) {
  struct Case { std::string text; std::string old; std::string replacement; std::string expected; };
  const std::vector<Case> cases = {
      {"a.b.c", ".", "_", "a_b_c"},
      {"aaa", "a", "aa", "aaaaaa"},       // inserted text is not rescanned
      {"aaaa", "aa", "a", "aa"}, {"abcabc", "abc", "", ""}, {"hello", "x", "y", "hello"},
      {"hello", "", "y", "hello"},        // empty old does nothing
      {"", "a", "b", ""}, {"", "", "b", ""}, {"\r\n\r\n", "\r\n", "\n", "\n\n"},
      {"line\n.\nend", "\n.\n", "\n .\n", "line\n .\nend"}, {"aXbXc", "X", "XX", "aXXbXXc"},
      {"ababab", "aba", "-", "-bab"},
  };
  for (const auto& c : cases) {
    std::string text = c.text;
    ReplaceAll(text, c.old, c.replacement);
    EXPECT_EQ(text, c.expected) << c.text << " / " << c.old;
  }
}

TEST(StringHelpers, MakeSymbolName) {
  struct Case { std::string text; std::string expected; };
  const std::vector<Case> cases = {
      {"Release_1", "Release_1"}, {"  Release 1  ", "Release_1"}, {"\t\r\nRel\tA\r\n", "Rel_A"},
      {"\v\fx\v\f", "x"}, {"", ""}, {"   ", ""}, {"a\x01z", "a_z"},
      {"a\x7f" "b", "a_b"},   // 127 is above 126
      {"~!@#", "~!@#"},       // 126 and other printable bytes are kept
      {"caf\xc3\xa9", "caf__"}, {"a  b", "a__b"},
  };
  for (const auto& c : cases) EXPECT_EQ(MakeSymbolName(c.text), c.expected) << c.text;
}

TEST(StringHelpers, CompareNoCase) {
  struct Case { std::string a; std::string b; int sign; };
  const std::vector<Case> cases = {
      {"", "", 0}, {"abc", "ABC", 0}, {"JSmith", "jsmith", 0}, {"abc", "abd", -1}, {"ABD", "abc", 1},
      {"ab", "abc", -1},      // a shorter prefix sorts first
      {"abc", "AB", 1}, {"", "a", -1},
      {"_", "a", -1},         // letters fold to lower case
      {"_", "A", -1}, {"[", "a", -1},
      {"\xe9", "a", 1},       // unsigned bytes
      {"\xc9", "\xe9", -1},   // only ASCII letters fold
      {"a\x80", "a\x7f", 1},
  };
  const auto sign = [](int r) { return (r > 0) - (r < 0); };
  for (const auto& c : cases) {
    EXPECT_EQ(sign(CompareNoCase(c.a, c.b)), c.sign) << c.a << " vs " << c.b;
    EXPECT_EQ(sign(CompareNoCase(c.b, c.a)), -c.sign) << c.b << " vs " << c.a;
    EXPECT_EQ(EqualsNoCase(c.a, c.b), c.sign == 0) << c.a << " vs " << c.b;
  }
}

TEST(StringHelpers, Trim) {
  struct Case { std::string text; std::string expected; };
  const std::vector<Case> cases = {
      {"", ""}, {"  ", ""}, {"a", "a"}, {" a ", "a"}, {"\t\r\n a b \v\f", "a b"},
      {"a\n", "a"}, {"\xa0" "a", "\xa0" "a"},  // only ASCII white space
  };
  for (const auto& c : cases) EXPECT_EQ(Trim(c.text), c.expected) << c.text;
}

}  // namespace
}  // namespace kestro
