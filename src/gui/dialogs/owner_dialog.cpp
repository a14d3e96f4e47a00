#include "gui/dialogs.h"

#include <QComboBox>
#include <QDialogButtonBox>
#include <QFormLayout>
#include <QLabel>
#include <QVBoxLayout>

namespace kestro::gui {

OwnerDialog::OwnerDialog(const QString& description, const QString& ownerName, const QStringList& siteNames,
                         QWidget* parent)
    : QDialog(parent)
{
    setWindowTitle(tr("Change owner of revision"));

    // Editable: a name that no site has yet creates that site.
    owner_ = new QComboBox(this);
    owner_->setEditable(true);
    owner_->setInsertPolicy(QComboBox::NoInsert);
    owner_->addItems(siteNames);
    owner_->setEditText(ownerName);

    auto* text = new QLabel(description, this);
    text->setTextFormat(Qt::PlainText);
    auto* ownerLabel = new QLabel(tr("&Owner:"), this);
    ownerLabel->setBuddy(owner_);
    auto* form = new QFormLayout;
    form->addRow(ownerLabel, owner_);

    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);

    auto* layout = new QVBoxLayout(this);
    layout->addWidget(text);
    layout->addLayout(form);
    layout->addWidget(buttons);
}

QString OwnerDialog::ownerName() const
{
    return owner_->currentText();
}

} // namespace kestro::gui
