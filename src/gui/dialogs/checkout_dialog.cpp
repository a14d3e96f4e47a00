#include "gui/dialogs.h"

#include "gui/dialogs/check_box.h"
#include "gui/dialogs/revision_combo.h"
#include "model/parameter_blocks.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDialogButtonBox>
#include <QFormLayout>
#include <QLabel>
#include <QLineEdit>
#include <QVBoxLayout>

namespace kestro::gui {

CheckoutDialog::CheckoutDialog(CheckoutSettings& settings, QWidget* parent)
    : QDialog(parent), settings_(settings)
{
    setWindowTitle(tr("Check out"));

    revision_ = CreateRevisionCombo(this);
    FillRevisionCombo(revision_, settings.item, settings.revision);
    lock_ = CheckBox(tr("&Lock"), settings.lock, this);
    // Force overwrites or discards work, so it is chosen afresh for each use.
    force_ = CheckBox(tr("&Force"), false, this);
    determineRevision_ = CheckBox(tr("&Determine revision from source file"), settings.determineRevision, this);
    keepTime_ = CheckBox(tr("&Keep original file time"), settings.keepTime, this);
    date_ = new QLineEdit(QString::fromStdString(settings.checkoutDate), this);
    noKeywords_ = CheckBox(tr("No &Keyword substitution"), settings.noKeywords, this);
    // Only a single file can be written to another file.
    targetFile_ = new QLineEdit(QString::fromStdString(settings.targetFile), this);
    targetFile_->setEnabled(settings.allowTargetFile);

    auto* revisionLabel = new QLabel(tr("&Revision:"), this);
    revisionLabel->setBuddy(revision_);
    auto* dateLabel = new QLabel(tr("&Date"), this);
    dateLabel->setBuddy(date_);
    auto* targetLabel = new QLabel(tr("&Check out to file"), this);
    targetLabel->setBuddy(targetFile_);

    auto* form = new QFormLayout;
    form->addRow(revisionLabel, revision_);
    form->addRow(dateLabel, date_);
    form->addRow(targetLabel, targetFile_);

    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);

    auto* layout = new QVBoxLayout(this);
    layout->addLayout(form);
    layout->addWidget(lock_);
    layout->addWidget(force_);
    layout->addWidget(determineRevision_);
    layout->addWidget(keepTime_);
    layout->addWidget(noKeywords_);
    layout->addWidget(buttons);
}

void CheckoutDialog::accept()
{
    settings_.revision = revision_->currentText().toStdString();
    settings_.lock = lock_->isChecked();
    settings_.force = force_->isChecked();
    settings_.determineRevision = determineRevision_->isChecked();
    settings_.keepTime = keepTime_->isChecked();
    settings_.checkoutDate = date_->text().toStdString();
    settings_.noKeywords = noKeywords_->isChecked();
    settings_.targetFile = targetFile_->text().toStdString();
    QDialog::accept();
}

} // namespace kestro::gui
