#pragma once

#include <QCheckBox>
#include <QString>

namespace kestro::gui {

// A check box showing one setting's value.
inline QCheckBox* CheckBox(const QString& text, bool checked, QWidget* parent)
{
    auto* box = new QCheckBox(text, parent);
    box->setChecked(checked);
    return box;
}

} // namespace kestro::gui
