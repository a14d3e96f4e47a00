#pragma once

// Applying a difference in the normal form that rcsdiff writes by default
// to the text it was made from. A pure function of the two texts: no
// program is run and nothing is read or written.
//
// The form is a series of hunks, in increasing order of the base's lines:
//
//   Na M[,M2]      add after base line N the lines M..M2 of the result
//   N[,N2]d M      delete base lines N..N2 (the result's line M is before)
//   N[,N2]c M[,M2] change base lines N..N2 into the result's lines M..M2
//
// followed by the base lines as "< line", for a change a "---" line, and the
// result lines as "> line". A line "\ No newline at end of file" after a
// "<" or ">" line says that that line is the last of its text and has no
// line break. Lines end in "\n" only; a carriage return before it belongs to
// the line.
//
// The application is strict: every base line that a hunk deletes or
// changes must equal the "<" line exactly, line break included, and every
// line number must agree with the texts, so that a difference made from
// another text is refused rather than yield a text nobody had.

#include <cstddef>
#include <string>
#include <string_view>

namespace kestro {

struct DiffApplication {
    bool applied = false;
    std::string text;  // the result, when applied
    // When refused: what is wrong, naming the line of the base or of the
    // difference where it was found.
    std::string problem;
};

DiffApplication ApplyNormalDiff(std::string_view base, std::string_view difference);

} // namespace kestro
