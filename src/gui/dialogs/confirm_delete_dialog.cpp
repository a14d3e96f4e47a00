#include "gui/dialogs.h"

#include <QCheckBox>
#include <QDialogButtonBox>
#include <QLabel>
#include <QVBoxLayout>

namespace kestro::gui {

namespace {

constexpr unsigned FromRcsAvailable = 2;
constexpr unsigned WorkingFileAvailable = 4;

} // namespace

ConfirmDeleteDialog::ConfirmDeleteDialog(const QString& description, unsigned availability, QWidget* parent)
    : QDialog(parent)
{
    setWindowTitle(tr("Confirm deletion"));

    deleteFromRcs_ = new QCheckBox(tr("&Delete from RCS"), this);
    deleteFromRcs_->setEnabled(availability & FromRcsAvailable);
    deleteFromRcs_->setChecked(availability & FromRcsAvailable);
    deleteWorkingFile_ = new QCheckBox(tr("Delete &Working file"), this);
    deleteWorkingFile_->setEnabled(availability & WorkingFileAvailable);

    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);

    auto* layout = new QVBoxLayout(this);
    layout->addWidget(new QLabel(tr("Please confirm that you wish to delete"), this));
    auto* text = new QLabel(description, this);
    text->setTextFormat(Qt::PlainText);
    text->setWordWrap(true);
    layout->addWidget(text);
    layout->addWidget(deleteFromRcs_);
    layout->addWidget(deleteWorkingFile_);
    layout->addWidget(buttons);
}

unsigned ConfirmDeleteDialog::flags() const
{
    if (result() != QDialog::Accepted)
        return 0;
    unsigned flags = 1;
    if (deleteFromRcs_->isEnabled() && deleteFromRcs_->isChecked())
        flags |= 2;
    if (deleteWorkingFile_->isEnabled() && deleteWorkingFile_->isChecked())
        flags |= 4;
    return flags;
}

} // namespace kestro::gui
