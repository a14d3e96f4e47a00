#include "gui/dialogs.h"

#include "ops/commands.h"

#include <QDialogButtonBox>
#include <QLabel>
#include <QLineEdit>
#include <QVBoxLayout>

namespace kestro::gui {

FreezeDialog::FreezeDialog(QWidget* parent) : QDialog(parent)
{
    setWindowTitle(tr("Freeze a release"));

    name_ = new QLineEdit(this);
    auto* label = new QLabel(tr("Enter a descriptive name for the release"), this);
    label->setBuddy(name_);

    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);

    auto* layout = new QVBoxLayout(this);
    layout->addWidget(label);
    layout->addWidget(name_);
    layout->addWidget(buttons);
}

QString FreezeDialog::releaseName() const
{
    return name_->text();
}

void FreezeDialog::accept()
{
    // IsValidReleaseName tells the user what is wrong with the name.
    if (!IsValidReleaseName(name_->text().toStdString())) {
        name_->setFocus();
        return;
    }
    QDialog::accept();
}

} // namespace kestro::gui
