#pragma once

// String helpers shared by the model, the commands and the command runner.

#include <string>
#include <string_view>
#include <vector>

namespace kestro {

// Appends a blank and the argument; the argument is enclosed in double
// quotes, with every double quote in it doubled, when it is empty or holds
// any of " \t<>|&\"". An empty argument thus becomes a blank and "".
void AppendArgument(std::string& commandLine, std::string_view argument);

// The exact inverse of AppendArgument: for any arguments (any bytes),
// SplitCommandLine(program + AppendArgument(a1) + AppendArgument(a2) ...)
// gives {program, a1, a2, ...} back when program holds no blank, tab or
// double quote. Programs are started from this vector directly, never by a
// shell.
//
// Rules, which also cover text that AppendArgument never produces (user-typed
// send commands):
//  - Blanks and tabs outside quotes separate arguments; runs of them, and
//    leading or trailing ones, produce no empty arguments. Other bytes,
//    including CR and LF, belong to the argument (AppendArgument leaves them
//    unquoted).
//  - An argument starting with a double quote runs to the closing double
//    quote; "" inside stands for one double quote. Without a closing quote
//    the rest of the text is the argument.
//  - Text right after a closing quote, up to the next blank or tab, is
//    appended literally to the same argument: "a b"c gives `a bc`.
//  - A double quote inside an argument that does not start with one is an
//    ordinary character: a"b gives `a"b`.
std::vector<std::string> SplitCommandLine(std::string_view commandLine);

// Replaces every occurrence of old, left to right, never rescanning inserted
// text. An empty old does nothing.
void ReplaceAll(std::string& text, std::string_view old, std::string_view replacement);

// Trims ASCII white space at both ends, then turns every byte <= 32 or > 126
// into "_": a release name made into an RCS symbol.
std::string MakeSymbolName(std::string_view text);

// ASCII case-insensitive comparisons. Letters are folded to lower case, then
// unsigned bytes are compared (so "_" sorts before "a");
// a proper prefix sorts first. CompareNoCase returns <0, 0 or >0.
// The text with ASCII letters in lower case: a key for lookups that ignore case.
std::string FoldCase(std::string_view text);

bool EqualsNoCase(std::string_view a, std::string_view b);
int CompareNoCase(std::string_view a, std::string_view b);

// Removes ASCII white space (blank, \t, \n, \v, \f, \r) at both ends.
std::string Trim(std::string_view text);

}  // namespace kestro
