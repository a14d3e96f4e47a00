#pragma once

// Arithmetic on RCS revision numbers held as text.
// Every function accepts any text: fields that are not numbers read as 0,
// and digit runs of any length are handled exactly (no overflow).

#include <string>
#include <string_view>

namespace kestro {

// Number of "." characters + 1; 0 for the empty string.
int CountRevisionFields(std::string_view number);

// Revision items nest one level per two fields. RCS never goes anywhere near
// this many; numbers with more come from damaged input and are ignored, so
// that it cannot nest items without end.
constexpr int MaxRevisionFields = 200;

// The text before the n-th "."; the whole number when it has n fields or
// fewer; empty when the number is empty or n <= 0.
std::string LeadingRevisionFields(std::string_view number, int n);

// LeadingRevisionFields(number, count - 1): 1.2.1.3 -> 1.2.1, 1.5 -> 1.
std::string BranchOf(std::string_view number);

// LeadingRevisionFields(number, count - 2): 1.2.1.3 -> 1.2, 1.2.1 -> 1.
std::string BranchPointOf(std::string_view number);

// Text up to and including the last ".", then the value of the last field
// plus one: 1.9 -> 1.10, 3 -> 4. The value is read as CompareRevisions reads
// a field (white space, sign, digits; 0 without digits) and incremented
// exactly, so "1.x" -> "1.1" and "1.-3" -> "1.-2".
std::string NextRevision(std::string_view number);

// -1, 0 or 1: field by field by value; when one number runs out of fields,
// the positions at which the last compared fields start decide. So
// CompareRevisions("1.2", "1.2.1.1") == 0 but
// CompareRevisions("1.2.1.1", "1.2") == 1.
int CompareRevisions(std::string_view a, std::string_view b);

}  // namespace kestro
