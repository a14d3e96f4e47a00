#pragma once

// The program's own icon, the one its desktop entry shows. The window and
// the About box take it from here, so all three match.

#include <QIcon>

namespace kestro::gui {

// Every size the icon was rendered at, from 16 to 256 pixels.
QIcon ApplicationIcon();

} // namespace kestro::gui
