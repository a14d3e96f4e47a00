#include "gui/dialogs.h"

#include <QDialogButtonBox>
#include <QLabel>
#include <QLineEdit>
#include <QVBoxLayout>

namespace kestro::gui {

WorkingDirectoryDialog::WorkingDirectoryDialog(const QString& directory, QWidget* parent) : QDialog(parent)
{
    setWindowTitle(tr("Enter new Working Directory"));

    directory_ = new QLineEdit(directory, this);
    directory_->setMinimumWidth(fontMetrics().averageCharWidth() * 48);
    auto* label = new QLabel(tr("New Working Directory:"), this);
    label->setBuddy(directory_);

    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);

    auto* layout = new QVBoxLayout(this);
    layout->addWidget(label);
    layout->addWidget(directory_);
    layout->addWidget(buttons);
}

QString WorkingDirectoryDialog::directory() const
{
    return directory_->text();
}

} // namespace kestro::gui
