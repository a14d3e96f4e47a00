#include "gui/dialogs/revision_combo.h"

#include "model/item.h"

#include <QComboBox>
#include <QStringList>

#include <algorithm>

namespace kestro::gui {

QComboBox* CreateRevisionCombo(QWidget* parent)
{
    auto* combo = new QComboBox(parent);
    combo->setEditable(true);
    combo->setInsertPolicy(QComboBox::NoInsert);
    combo->setMinimumContentsLength(16);
    return combo;
}

void FillRevisionCombo(QComboBox* combo, RCSItem* item, const std::string& text)
{
    combo->clear();
    if (item) {
        std::vector<ComboEntry> entries;
        item->FillCombo(entries);
        QStringList texts;
        for (const ComboEntry& entry : entries)
            texts.append(QString::fromStdString(entry.text));
        // Sorted as a list box sorts: letter case decides only between
        // otherwise equal texts, so "r1" and "R2" stay neighbours.
        std::stable_sort(texts.begin(), texts.end(), [](const QString& a, const QString& b) {
            const int folded = a.compare(b, Qt::CaseInsensitive);
            return folded != 0 ? folded < 0 : a < b;
        });
        combo->addItems(texts);
    }
    combo->setEditText(QString::fromStdString(text));
}

} // namespace kestro::gui
