#pragma once

// What right-click and double-click on a node of the tree do. The context
// menu holds the window's own actions for the commands that act on an item,
// as far as the window's enabling allows them for that item, so menus,
// toolbar and context menu never disagree.

#include <QPoint>

class QMenu;
class QTreeWidgetItem;

namespace kestro::gui {

class CMainFrame;

// Makes the node at pos current and fills menu with the item commands that
// are enabled for it; false when there is no node there.
bool FillItemMenu(CMainFrame& frame, const QPoint& pos, QMenu& menu);

// A revision opens its differences from the revision it was made from; a
// modified file its differences from the revision it was checked out from;
// any other node opens or closes.
void ActivateNode(CMainFrame& frame, QTreeWidgetItem* node);

} // namespace kestro::gui
