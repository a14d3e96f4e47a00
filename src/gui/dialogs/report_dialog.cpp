#include "gui/dialogs.h"

#include "gui/dialogs/check_box.h"
#include "gui/dialogs/revision_combo.h"
#include "model/parameter_blocks.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDialogButtonBox>
#include <QFormLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QRadioButton>
#include <QVBoxLayout>

namespace kestro::gui {

namespace {

// The information choices that condense the output to log messages; only
// they can start after a given revision.
bool IsLogMessageChoice(int information)
{
    return information == 4 || information == 5;
}

} // namespace

ReportDialog::ReportDialog(ReportSettings& settings, QWidget* parent)
    : QDialog(parent), settings_(settings)
{
    setWindowTitle(tr("Report"));

    revisions_ = CreateRevisionCombo(this);
    FillRevisionCombo(revisions_, settings.item, settings.revisions);
    dates_ = new QLineEdit(QString::fromStdString(settings.dates), this);
    users_ = new QLineEdit(QString::fromStdString(settings.users), this);
    states_ = new QLineEdit(QString::fromStdString(settings.states), this);
    lockedOnly_ = CheckBox(tr("&Locked only"), settings.lockedOnly, this);
    symbolicNames_ = CheckBox(tr("S&ymbolic names"), settings.symbolicNames, this);

    auto* versions = new QGroupBox(tr("Versions to include"), this);
    auto* versionsForm = new QFormLayout(versions);
    const auto addRow = [this, versionsForm](const QString& text, QWidget* field) {
        auto* label = new QLabel(text, this);
        label->setBuddy(field);
        versionsForm->addRow(label, field);
    };
    addRow(tr("&Revisions:"), revisions_);
    addRow(tr("&Dates:"), dates_);
    addRow(tr("&Users:"), users_);
    addRow(tr("&States:"), states_);
    versionsForm->addRow(lockedOnly_);
    versionsForm->addRow(symbolicNames_);

    auto* information = new QGroupBox(tr("Information to include"), this);
    auto* informationLayout = new QVBoxLayout(information);
    const QStringList choices = {tr("&All information"),    tr("&Name only"),
                                 tr("&Header only"),        tr("Header && &Text"),
                                 tr("&Log messages only"), tr("Uni&que log messages only")};
    afterRevision_ = CheckBox(tr("Revisions a&fter specified revision"), settings.afterRevision, this);
    for (int index = 0; index < choices.size(); ++index) {
        auto* choice = new QRadioButton(choices[index], information);
        choice->setChecked(index == settings.information);
        connect(choice, &QRadioButton::clicked, this,
                [this, index] { afterRevision_->setEnabled(IsLogMessageChoice(index)); });
        informationLayout->addWidget(choice);
        information_.push_back(choice);
    }
    informationLayout->addWidget(afterRevision_);

    auto* groups = new QHBoxLayout;
    groups->addWidget(versions);
    groups->addWidget(information);

    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);

    auto* layout = new QVBoxLayout(this);
    layout->addLayout(groups);
    layout->addWidget(buttons);
}

void ReportDialog::accept()
{
    settings_.revisions = revisions_->currentText().toStdString();
    settings_.dates = dates_->text().toStdString();
    settings_.users = users_->text().toStdString();
    settings_.states = states_->text().toStdString();
    settings_.lockedOnly = lockedOnly_->isChecked();
    settings_.symbolicNames = symbolicNames_->isChecked();
    for (std::size_t index = 0; index < information_.size(); ++index) {
        if (information_[index]->isChecked())
            settings_.information = static_cast<int>(index);
    }
    settings_.afterRevision = afterRevision_->isChecked();
    QDialog::accept();
}

} // namespace kestro::gui
