#include "gui/dialogs.h"

#include "gui/dialogs/check_box.h"
#include "gui/dialogs/message_keys.h"
#include "gui/dialogs/revision_combo.h"
#include "model/file_item.h"
#include "model/parameter_blocks.h"
#include "model/paths.h"
#include "model/version_item.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDialogButtonBox>
#include <QFormLayout>
#include <QLabel>
#include <QMessageBox>
#include <QPlainTextEdit>
#include <QVBoxLayout>

namespace kestro::gui {

namespace {

// The file, or the number of files, that the check-in covers.
QString CheckinTarget(RCSItem* item)
{
    RCSItem* file = item && item->IsRevision() ? OwningFileOf(item) : item;
    if (!file)
        return QString();
    if (dynamic_cast<RCSFileItem*>(file))
        return QString::fromStdString(NativePath(file->name));
    std::size_t files = 0;
    for (const auto& child : file->children)
        files += dynamic_cast<RCSFileItem*>(child.get()) != nullptr;
    return files == 1 ? QStringLiteral("1 file") : QStringLiteral("%1 files").arg(files);
}

} // namespace

CheckinDialog::CheckinDialog(CheckinSettings& settings, QWidget* parent)
    : QDialog(parent), settings_(settings)
{
    setWindowTitle(tr("Check in"));

    revision_ = CreateRevisionCombo(this);
    FillRevisionCombo(revision_, settings.item, settings.revision);
    lock_ = CheckBox(tr("&Lock"), settings.lock, this);
    // Force overwrites or discards work, so it is chosen afresh for each use.
    force_ = CheckBox(tr("&Force"), false, this);
    determineRevision_ = CheckBox(tr("&Determine revision from source file"), settings.determineRevision, this);
    keepTime_ = CheckBox(tr("&Keep original file time"), settings.keepTime, this);

    message_ = new QPlainTextEdit(this);
    // Messages from older project files may carry CR LF line ends.
    message_->setPlainText(QString::fromStdString(settings.logMessage).replace(QLatin1String("\r\n"), QLatin1String("\n")));
    message_->setTabChangesFocus(true);
    new MessageKeys(message_, this);

    auto* target = new QLabel(tr("Check in: %1").arg(CheckinTarget(settings.item)), this);
    target->setObjectName(QStringLiteral("target"));
    target->setTextFormat(Qt::PlainText);

    auto* form = new QFormLayout;
    auto* revisionLabel = new QLabel(tr("&Revision:"), this);
    revisionLabel->setBuddy(revision_);
    form->addRow(revisionLabel, revision_);

    auto* messageLabel = new QLabel(tr("&Message (use Ctrl-Enter to start a new line)"), this);
    messageLabel->setBuddy(message_);

    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);

    auto* layout = new QVBoxLayout(this);
    layout->addWidget(target);
    layout->addLayout(form);
    layout->addWidget(lock_);
    layout->addWidget(force_);
    layout->addWidget(determineRevision_);
    layout->addWidget(keepTime_);
    layout->addWidget(messageLabel);
    layout->addWidget(message_, 1);
    layout->addWidget(buttons);
    resize(480, 360);
    // Typing starts in the message: Enter there must not take the text
    // typed as a revision number.
    message_->setFocus();
}

void CheckinDialog::accept()
{
    if (message_->toPlainText().trimmed().isEmpty()
        && QMessageBox::question(this, QStringLiteral("Kestro"), tr("Check in with an empty message?"),
                                 QMessageBox::Yes | QMessageBox::No, QMessageBox::No)
               != QMessageBox::Yes) {
        message_->setFocus();
        return;
    }
    settings_.revision = revision_->currentText().toStdString();
    settings_.lock = lock_->isChecked();
    settings_.force = force_->isChecked();
    settings_.determineRevision = determineRevision_->isChecked();
    settings_.keepTime = keepTime_->isChecked();
    settings_.logMessage = message_->toPlainText().toStdString();
    QDialog::accept();
}

} // namespace kestro::gui
