#include "model/string_helpers.h"

#include <cstddef>

namespace kestro {

namespace {

bool IsAsciiSpace(char c) {
  return c == ' ' || c == '\t' || c == '\n' || c == '\v' || c == '\f' || c == '\r';
}

bool IsSeparator(char c) { return c == ' ' || c == '\t'; }

unsigned char FoldCase(char c) {
  auto u = static_cast<unsigned char>(c);
  return (u >= 'A' && u <= 'Z') ? static_cast<unsigned char>(u + ('a' - 'A')) : u;
}

std::string_view TrimView(std::string_view text) {
  std::size_t begin = 0;
  std::size_t end = text.size();
  while (begin < end && IsAsciiSpace(text[begin])) ++begin;
  while (end > begin && IsAsciiSpace(text[end - 1])) --end;
  return text.substr(begin, end - begin);
}

}  // namespace

void AppendArgument(std::string& commandLine, std::string_view argument) {
  commandLine += ' ';
  if (!argument.empty() && argument.find_first_of(" \t<>|&\"") == std::string_view::npos) {
    commandLine += argument;
    return;
  }
  commandLine += '"';
  for (char c : argument) {
    if (c == '"') commandLine += '"';
    commandLine += c;
  }
  commandLine += '"';
}

std::vector<std::string> SplitCommandLine(std::string_view commandLine) {
  std::vector<std::string> arguments;
  std::size_t i = 0;
  const std::size_t n = commandLine.size();
  for (;;) {
    while (i < n && IsSeparator(commandLine[i])) ++i;
    if (i == n) break;
    std::string argument;
    if (commandLine[i] == '"') {
      ++i;
      while (i < n) {
        if (commandLine[i] == '"') {
          if (i + 1 < n && commandLine[i + 1] == '"') {
            argument += '"';
            i += 2;
            continue;
          }
          ++i;  // closing quote
          break;
        }
        argument += commandLine[i++];
      }
    }
    // Unquoted text, or text glued to a closing quote, runs to the next separator.
    while (i < n && !IsSeparator(commandLine[i])) argument += commandLine[i++];
    arguments.push_back(std::move(argument));
  }
  return arguments;
}

void ReplaceAll(std::string& text, std::string_view old, std::string_view replacement) {
  if (old.empty()) return;
  std::string result;
  std::size_t from = 0;
  for (std::size_t at = text.find(old); at != std::string::npos; at = text.find(old, from)) {
    result.append(text, from, at - from);
    result += replacement;
    from = at + old.size();
  }
  if (from == 0) return;  // nothing found
  result.append(text, from, std::string::npos);
  text = std::move(result);
}

std::string MakeSymbolName(std::string_view text) {
  std::string name(TrimView(text));
  for (char& c : name) {
    auto u = static_cast<unsigned char>(c);
    if (u <= 32 || u > 126) c = '_';
  }
  return name;
}

bool EqualsNoCase(std::string_view a, std::string_view b) {
  return a.size() == b.size() && CompareNoCase(a, b) == 0;
}

int CompareNoCase(std::string_view a, std::string_view b) {
  const std::size_t common = a.size() < b.size() ? a.size() : b.size();
  for (std::size_t i = 0; i < common; ++i) {
    int d = static_cast<int>(FoldCase(a[i])) - static_cast<int>(FoldCase(b[i]));
    if (d != 0) return d;
  }
  if (a.size() == b.size()) return 0;
  return a.size() < b.size() ? -1 : 1;
}

std::string Trim(std::string_view text) { return std::string(TrimView(text)); }

std::string FoldCase(std::string_view text)
{
    std::string folded(text);
    for (char& c : folded) {
        if (c >= 'A' && c <= 'Z')
            c = static_cast<char>(c - 'A' + 'a');
    }
    return folded;
}

}  // namespace kestro
