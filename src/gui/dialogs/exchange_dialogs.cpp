#include "gui/dialogs.h"

#include "gui/dialogs/check_box.h"
#include "gui/dialogs/message_keys.h"
#include "gui/gui_interaction.h"
#include "model/item.h"
#include "model/parameter_blocks.h"
#include "model/release_root.h"
#include "model/site.h"
#include "model/site_list.h"
#include "ops/commands.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDialogButtonBox>
#include <QFormLayout>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QRadioButton>
#include <QVBoxLayout>

namespace kestro::gui {

namespace {

QDialogButtonBox* OkCancel(QDialog* dialog)
{
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, dialog);
    QObject::connect(buttons, &QDialogButtonBox::accepted, dialog, &QDialog::accept);
    QObject::connect(buttons, &QDialogButtonBox::rejected, dialog, &QDialog::reject);
    return buttons;
}

void AddRow(QFormLayout* form, QWidget* owner, const QString& text, QWidget* field)
{
    auto* label = new QLabel(text, owner);
    label->setBuddy(field);
    form->addRow(label, field);
}

QComboBox* RemoteSiteCombo(const SiteList& sites, const std::string& current, QWidget* parent)
{
    // Editable: a name that no site has yet creates that site.
    auto* combo = new QComboBox(parent);
    combo->setEditable(true);
    combo->setInsertPolicy(QComboBox::NoInsert);
    std::vector<SiteEntry> entries;
    sites.FillComboBox(entries, false);
    for (const SiteEntry& entry : entries)
        combo->addItem(QString::fromStdString(entry.text));
    combo->setEditText(QString::fromStdString(current));
    return combo;
}

// A required field left empty keeps the dialog open with the field in focus.
bool IsFilledIn(QDialog* dialog, QWidget* field, const QString& text, const QString& what)
{
    if (!text.trimmed().isEmpty())
        return true;
    ShowMessageBox(dialog, what + QStringLiteral(" must be given"), MessageIcon::Stop);
    field->setFocus();
    return false;
}

} // namespace

SendDialog::SendDialog(SendSettings& settings, const SiteList& sites, RCSReleaseRoot& releases, QWidget* parent)
    : QDialog(parent), settings_(settings), sites_(sites)
{
    setWindowTitle(tr("Send release to remote site"));

    destination_ = RemoteSiteCombo(sites, settings.destinationSite, this);
    release_ = new QComboBox(this);
    original_ = new QComboBox(this);
    original_->addItem(QString());
    std::vector<ComboEntry> names;
    releases.FillCombo(names);
    for (const ComboEntry& name : names) {
        release_->addItem(QString::fromStdString(name.text));
        original_->addItem(QString::fromStdString(name.text));
    }
    release_->setCurrentIndex(release_->findText(QString::fromStdString(settings.releaseToSend)));
    original_->setCurrentIndex(original_->findText(QString::fromStdString(settings.originalRelease)));

    auto* choices = new QGroupBox(this);
    auto* choiceLayout = new QVBoxLayout(choices);
    for (const QString& text : {tr("Send &All files"), tr("Send &Complete changed files"),
                                tr("Send &Just differences to changed files")}) {
        auto* choice = new QRadioButton(text, choices);
        choiceLayout->addWidget(choice);
        choices_.push_back(choice);
    }
    if (settings.sendChoice >= 0 && settings.sendChoice < static_cast<int>(choices_.size()))
        choices_[static_cast<std::size_t>(settings.sendChoice)]->setChecked(true);
    deleteTemporary_ = CheckBox(tr("Delete &temporary files afterwards"), settings.deleteTemporary, this);

    auto* form = new QFormLayout;
    AddRow(form, this, tr("&Destination site:"), destination_);
    AddRow(form, this, tr("&Release to send:"), release_);
    AddRow(form, this, tr("&Original release:"), original_);

    auto* layout = new QVBoxLayout(this);
    layout->addLayout(form);
    layout->addWidget(choices);
    layout->addWidget(deleteTemporary_);
    layout->addWidget(OkCancel(this));

    PresetOriginalRelease();
    connect(destination_, &QComboBox::currentIndexChanged, this, [this] { PresetOriginalRelease(); });
}

void SendDialog::PresetOriginalRelease()
{
    // By default only what changed since the destination's last exchanged
    // release is sent.
    const Site* site = sites_.Find(destination_->currentText().toStdString());
    const int index =
        site ? original_->findText(QString::fromStdString(site->lastRelease), Qt::MatchFixedString) : -1;
    original_->setCurrentIndex(index);
}

void SendDialog::accept()
{
    if (!IsFilledIn(this, destination_, destination_->currentText(), tr("The site to send to"))
        || !IsFilledIn(this, release_, release_->currentText(), tr("The release to send")))
        return;
    settings_.destinationSite = destination_->currentText().toStdString();
    settings_.releaseToSend = release_->currentText().toStdString();
    settings_.originalRelease = original_->currentText().toStdString();
    for (std::size_t i = 0; i < choices_.size(); ++i) {
        if (choices_[i]->isChecked())
            settings_.sendChoice = static_cast<int>(i);
    }
    settings_.deleteTemporary = deleteTemporary_->isChecked();
    QDialog::accept();
}

ReceiveDialog::ReceiveDialog(ReceiveSettings& settings, QWidget* parent) : QDialog(parent), settings_(settings)
{
    setWindowTitle(tr("Receive release"));

    lock_ = CheckBox(tr("&Lock"), settings.lock, this);
    lock_->setToolTip(tr("Received revisions are always checked in locked, whatever this box says"));
    keepTime_ = CheckBox(tr("&Keep original file time"), settings.keepTime, this);
    keepTime_->setToolTip(tr("Received revisions always take the time of the check-in, whatever this box says"));
    mergeAfterImport_ = CheckBox(tr("Merge &After import"), settings.mergeAfterImport, this);

    auto* layout = new QVBoxLayout(this);
    layout->addWidget(lock_);
    layout->addWidget(keepTime_);
    layout->addWidget(mergeAfterImport_);
    layout->addWidget(OkCancel(this));
}

void ReceiveDialog::accept()
{
    settings_.lock = lock_->isChecked();
    settings_.keepTime = keepTime_->isChecked();
    settings_.mergeAfterImport = mergeAfterImport_->isChecked();
    QDialog::accept();
}

ImportDialog::ImportDialog(ImportSettings& settings, const SiteList& sites, QWidget* parent)
    : QDialog(parent), settings_(settings)
{
    setWindowTitle(tr("Import release"));

    site_ = RemoteSiteCombo(sites, settings.sourceSite, this);
    directory_ = new QLineEdit(QString::fromStdString(settings.sourceDirectory), this);
    releaseName_ = new QLineEdit(QString::fromStdString(settings.releaseName), this);
    message_ = new QPlainTextEdit(this);
    // Messages from older project files may carry CR LF line ends.
    message_->setPlainText(QString::fromStdString(settings.message).replace(QLatin1String("\r\n"), QLatin1String("\n")));
    message_->setTabChangesFocus(true);
    new MessageKeys(message_, this);
    determineRevision_ = CheckBox(tr("&Determine revision from source file"), settings.determineRevision, this);
    lock_ = CheckBox(tr("&Lock"), settings.lock, this);
    // Force overwrites or discards work, so it is chosen afresh for each use.
    force_ = CheckBox(tr("&Force"), false, this);
    keepTime_ = CheckBox(tr("&Keep original file time"), settings.keepTime, this);
    includeSubdirectories_ = CheckBox(tr("&Include subdirectories"), settings.includeSubdirectories, this);
    mergeAfterImport_ = CheckBox(tr("Merge &After import"), settings.mergeAfterImport, this);

    auto* form = new QFormLayout;
    AddRow(form, this, tr("&Source site:"), site_);
    AddRow(form, this, tr("Source &Directory:"), directory_);
    AddRow(form, this, tr("&Release name:"), releaseName_);
    auto* messageLabel = new QLabel(tr("&Message (use Ctrl-Enter to start a new line)"), this);
    messageLabel->setBuddy(message_);

    auto* layout = new QVBoxLayout(this);
    layout->addLayout(form);
    layout->addWidget(messageLabel);
    layout->addWidget(message_, 1);
    for (QCheckBox* box : {determineRevision_, lock_, force_, keepTime_, includeSubdirectories_, mergeAfterImport_})
        layout->addWidget(box);
    layout->addWidget(OkCancel(this));
    resize(500, 460);
}

void ImportDialog::accept()
{
    if (!IsFilledIn(this, site_, site_->currentText(), tr("The source site"))
        || !IsFilledIn(this, directory_, directory_->text(), tr("The source directory")))
        return;
    // IsValidReleaseName tells the user what is wrong with the name.
    if (!IsValidReleaseName(releaseName_->text().toStdString())) {
        releaseName_->setFocus();
        return;
    }
    settings_.sourceSite = site_->currentText().toStdString();
    settings_.sourceDirectory = directory_->text().toStdString();
    settings_.releaseName = releaseName_->text().toStdString();
    settings_.message = message_->toPlainText().toStdString();
    settings_.determineRevision = determineRevision_->isChecked();
    settings_.lock = lock_->isChecked();
    settings_.force = force_->isChecked();
    settings_.keepTime = keepTime_->isChecked();
    settings_.includeSubdirectories = includeSubdirectories_->isChecked();
    settings_.mergeAfterImport = mergeAfterImport_->isChecked();
    QDialog::accept();
}

} // namespace kestro::gui
