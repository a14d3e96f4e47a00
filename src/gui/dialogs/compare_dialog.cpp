#include "gui/dialogs.h"

#include "gui/dialogs/check_box.h"
#include "gui/dialogs/revision_combo.h"
#include "model/parameter_blocks.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDialogButtonBox>
#include <QGridLayout>
#include <QLabel>
#include <QVBoxLayout>

namespace kestro::gui {

CompareDialog::CompareDialog(CompareSettings& settings, QWidget* parent)
    : QDialog(parent), settings_(settings)
{
    setWindowTitle(tr("Compare Revisions"));

    revision1_ = CreateRevisionCombo(this);
    FillRevisionCombo(revision1_, settings.item, settings.revision1);
    revision2_ = CreateRevisionCombo(this);
    FillRevisionCombo(revision2_, settings.item, settings.revision2);

    ignoreCase_ = CheckBox(tr("&Ignore case"), settings.ignoreCase, this);
    ignoreWhiteSpace_ = CheckBox(tr("Ignore &White space"), settings.ignoreWhiteSpace, this);
    ignoreBlankSpace_ = CheckBox(tr("Ignore &Blank space"), settings.ignoreBlankSpace, this);
    ignoreBlankLines_ = CheckBox(tr("Ignore blank &Lines"), settings.ignoreBlankLines, this);
    contextDiff_ = CheckBox(tr("&Context diff"), settings.contextDiff, this);
    showCFunction_ = CheckBox(tr("&Show C function"), settings.showCFunction, this);
    noKeywords_ = CheckBox(tr("No &Keyword substitution"), settings.noKeywords, this);

    auto* revisions = new QGridLayout;
    auto* label1 = new QLabel(tr("Revision &1:"), this);
    label1->setBuddy(revision1_);
    auto* label2 = new QLabel(tr("Revision &2:"), this);
    label2->setBuddy(revision2_);
    revisions->addWidget(label1, 0, 0);
    revisions->addWidget(revision1_, 0, 1);
    revisions->addWidget(new QLabel(tr("(Leave blank to compare with head revision)"), this), 1, 1);
    revisions->addWidget(label2, 2, 0);
    revisions->addWidget(revision2_, 2, 1);
    revisions->addWidget(new QLabel(tr("(Leave blank to compare with working file)"), this), 3, 1);

    auto* options = new QGridLayout;
    options->addWidget(ignoreCase_, 0, 0);
    options->addWidget(ignoreWhiteSpace_, 1, 0);
    options->addWidget(ignoreBlankSpace_, 2, 0);
    options->addWidget(ignoreBlankLines_, 3, 0);
    options->addWidget(contextDiff_, 0, 1);
    options->addWidget(showCFunction_, 1, 1);
    options->addWidget(noKeywords_, 2, 1);

    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);

    auto* layout = new QVBoxLayout(this);
    layout->addLayout(revisions);
    layout->addLayout(options);
    layout->addWidget(buttons);
}

void CompareDialog::accept()
{
    settings_.revision1 = revision1_->currentText().toStdString();
    settings_.revision2 = revision2_->currentText().toStdString();
    settings_.ignoreCase = ignoreCase_->isChecked();
    settings_.ignoreWhiteSpace = ignoreWhiteSpace_->isChecked();
    settings_.ignoreBlankSpace = ignoreBlankSpace_->isChecked();
    settings_.ignoreBlankLines = ignoreBlankLines_->isChecked();
    settings_.contextDiff = contextDiff_->isChecked();
    settings_.showCFunction = showCFunction_->isChecked();
    settings_.noKeywords = noKeywords_->isChecked();
    QDialog::accept();
}

} // namespace kestro::gui
