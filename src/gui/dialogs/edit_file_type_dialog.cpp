#include "gui/dialogs.h"

#include <QDialogButtonBox>
#include <QFormLayout>
#include <QLabel>
#include <QLineEdit>
#include <QVBoxLayout>

namespace kestro::gui {

EditFileTypeDialog::EditFileTypeDialog(const QString& description, const QString& patterns, QWidget* parent)
    : QDialog(parent)
{
    setWindowTitle(tr("Edit File Type"));

    description_ = new QLineEdit(description, this);
    patterns_ = new QLineEdit(patterns, this);
    patterns_->setMinimumWidth(fontMetrics().averageCharWidth() * 32);

    auto* form = new QFormLayout;
    auto* descriptionLabel = new QLabel(tr("&Description"), this);
    descriptionLabel->setBuddy(description_);
    auto* patternsLabel = new QLabel(tr("&File types"), this);
    patternsLabel->setBuddy(patterns_);
    form->addRow(descriptionLabel, description_);
    form->addRow(patternsLabel, patterns_);

    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);

    auto* layout = new QVBoxLayout(this);
    layout->addLayout(form);
    layout->addWidget(buttons);
}

QString EditFileTypeDialog::description() const
{
    return description_->text();
}

QString EditFileTypeDialog::patterns() const
{
    return patterns_->text();
}

} // namespace kestro::gui
