#pragma once

// Reads one revision's entry from `rlog -rREV` output: its author and its
// whole log message (the item tree keeps only the first line). A pure
// function of the text, apart from the process that produced it.
//
// The entry follows a line of 28 "-": "revision N" (with "\tlocked by: ...;"
// when locked), "date: ...;  author: NAME;  state: ...;", an optional
// "branches:  ...;" line, then the message up to the line of 77 "=" that
// ends the output. A message line may itself look like a separator, so the
// message runs to the last such line.

#include <string>
#include <string_view>

namespace kestro {

struct RevisionLog {
    std::string author;
    std::string message;
};

// False when the output holds no entry for the revision.
bool ReadRevisionLog(std::string_view rlogOutput, std::string_view revision, RevisionLog& log);

} // namespace kestro
