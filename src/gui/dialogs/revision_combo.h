#pragma once

// The revision box of the command dialogs: an editable drop-down list of the
// revision numbers and release names an item offers.

#include <string>

class QComboBox;
class QWidget;

namespace kestro {

class RCSItem;

namespace gui {

// An editable combo box whose list stays sorted; typing a text and pressing
// Enter does not add it to the list.
QComboBox* CreateRevisionCombo(QWidget* parent);

// Replaces the list with what item's FillCombo gives (nothing when item is
// null), sorted, and shows text in the edit field.
void FillRevisionCombo(QComboBox* combo, RCSItem* item, const std::string& text);

} // namespace gui
} // namespace kestro
