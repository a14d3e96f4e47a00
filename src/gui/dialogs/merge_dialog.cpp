#include "gui/dialogs.h"

#include "gui/dialogs/check_box.h"
#include "gui/dialogs/revision_combo.h"
#include "model/parameter_blocks.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDialogButtonBox>
#include <QGridLayout>
#include <QLabel>
#include <QMessageBox>
#include <QVBoxLayout>

namespace kestro::gui {

MergeDialog::MergeDialog(MergeSettings& settings, QWidget* parent)
    : QDialog(parent), settings_(settings)
{
    setWindowTitle(tr("Merge"));

    revision1_ = CreateRevisionCombo(this);
    FillRevisionCombo(revision1_, settings.item, settings.revision1);
    revision2_ = CreateRevisionCombo(this);
    FillRevisionCombo(revision2_, settings.item, settings.revision2);
    ignoreKeywords_ = CheckBox(tr("&Ignore differences in RCS keywords"), settings.ignoreKeywords, this);

    auto* revisions = new QGridLayout;
    auto* label1 = new QLabel(tr("Revision &1:"), this);
    label1->setBuddy(revision1_);
    auto* label2 = new QLabel(tr("Revision &2:"), this);
    label2->setBuddy(revision2_);
    revisions->addWidget(label1, 0, 0);
    revisions->addWidget(revision1_, 0, 1);
    revisions->addWidget(new QLabel(tr("(May not be blank)"), this), 1, 1);
    revisions->addWidget(label2, 2, 0);
    revisions->addWidget(revision2_, 2, 1);
    revisions->addWidget(new QLabel(tr("(Leave blank to use head revision)"), this), 3, 1);

    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);

    auto* layout = new QVBoxLayout(this);
    layout->addWidget(new QLabel(tr("Merge differences between Revision 1 and Revision 2 into working file"), this));
    layout->addLayout(revisions);
    layout->addWidget(ignoreKeywords_);
    layout->addWidget(buttons);
}

void MergeDialog::accept()
{
    // A blank revision 1 would reach rcsmerge as a bare "-r", which merges
    // against the head revision rather than the one the user meant.
    const QString revision1 = revision1_->currentText();
    if (revision1.trimmed().isEmpty()) {
        QMessageBox::critical(this, tr("Kestro"), tr("Revision 1 must be filled in"));
        revision1_->setFocus();
        return;
    }
    settings_.revision1 = revision1.toStdString();
    settings_.revision2 = revision2_->currentText().toStdString();
    settings_.ignoreKeywords = ignoreKeywords_->isChecked();
    QDialog::accept();
}

} // namespace kestro::gui
