#pragma once

// Turns parsed differences into the rows of the diff view: one column for the
// unified form, two aligned columns for the side-by-side form. Files without
// differences take no rows.

#include "gui/diff_pane.h"
#include "model/unified_diff.h"

#include <vector>

namespace kestro::gui {

std::vector<DiffRow> UnifiedRows(const std::vector<FileDiff>& files);

struct SideBySide {
    std::vector<DiffRow> left;
    std::vector<DiffRow> right;
};
SideBySide SideBySideRows(const std::vector<FileDiff>& files);

} // namespace kestro::gui
