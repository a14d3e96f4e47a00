#pragma once

// The pictures of the window: one status image per item status code, shown
// beside each tree node, and the toolbar buttons. All are drawn here rather
// than loaded, so they stay sharp at any scale.

#include <QIcon>

namespace kestro::gui {

// The images of the status codes 0 (project) to 12 (releases); any other
// code gives the project's image. Each call draws the picture afresh, so
// callers keep the icons they show often.
QIcon StatusIcon(int statusCode);

enum class ToolbarPicture {
    New,
    Open,
    Save,
    Cut,
    Copy,
    Paste,
    Insert,
    Delete,
    Checkin,
    Checkout,
    Compare,
    Report,
    Freeze,
    Locked,
    Output,
    About,
};

QIcon ToolbarIcon(ToolbarPicture picture);

} // namespace kestro::gui
