#pragma once

// Output that scripts read: one record a line, fields separated by tabs.

#include <string>
#include <string_view>

namespace kestro {
class RCSItem;
class TextTreeView;
}

namespace kestro::cli {

// A field with every backslash, tab, line feed and carriage return written
// as "\\", "\t", "\n" and "\r", so that it holds no separator.
std::string EscapeField(std::string_view text);
// The inverse of EscapeField; a backslash before any other character stands
// for itself.
std::string UnescapeField(std::string_view text);

// Both trees, one node a line: depth, status code, kind (project, file,
// revision, releases, release, entry), the item's name and the text shown,
// each an escaped field.
std::string RenderTreeAsFields(const TextTreeView& view);

} // namespace kestro::cli
