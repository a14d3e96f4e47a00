#include "gui/dialogs.h"

#include "gui/dialogs/check_box.h"

#include "gui/gui_interaction.h"
#include "model/site.h"
#include "model/site_list.h"
#include "model/user_interaction.h"

#include <QCheckBox>
#include <QDialogButtonBox>
#include <QFormLayout>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTreeWidget>
#include <QVBoxLayout>

#include <memory>

namespace kestro::gui {

EditSiteDialog::EditSiteDialog(SiteList& sites, Site& site, QWidget* parent)
    : QDialog(parent), sites_(sites), site_(site)
{
    setWindowTitle(tr("Edit Remote Site Details"));

    name_ = new QLineEdit(QString::fromStdString(site.name), this);
    email_ = new QLineEdit(QString::fromStdString(site.emailAddress), this);
    master_ = CheckBox(tr("&Master site"), sites.IsMaster(&site), this);
    sendCommand_ = new QLineEdit(QString::fromStdString(site.sendCommand), this);
    // A site without a name has no send directory yet.
    removeOldFiles_ = new QCheckBox(tr("&Remove old \"Send release\" files"), this);
    removeOldFiles_->setChecked(!site.name.empty());
    removeOldFiles_->setEnabled(!site.name.empty());

    auto* form = new QFormLayout;
    const auto addRow = [&](const QString& text, QWidget* field) {
        auto* label = new QLabel(text, this);
        label->setBuddy(field);
        form->addRow(label, field);
    };
    addRow(tr("&Name:"), name_);
    addRow(tr("&Email address:"), email_);
    form->addRow(QString(), master_);
    addRow(tr("&Send Command:"), sendCommand_);

    auto* help = new QLabel(tr("%p for the project name.\n"
                               "%r for the release name.\n"
                               "%s for the remote site name.\n"
                               "%m for the remote email address.\n"
                               "%d for the directory containing the exported files."),
                            this);
    auto* dateHelp = new QLabel(tr("Use:\n%D for the day\n%M for the month\n%Y for the year"), this);
    auto* helpRow = new QHBoxLayout;
    helpRow->addWidget(help);
    helpRow->addWidget(dateHelp);

    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);

    auto* layout = new QVBoxLayout(this);
    layout->addLayout(form);
    layout->addLayout(helpRow);
    layout->addWidget(removeOldFiles_);
    layout->addWidget(buttons);
}

bool EditSiteDialog::masterChecked() const
{
    return master_->isChecked();
}

void EditSiteDialog::accept()
{
    const std::string name = name_->text().toStdString();
    // The name becomes a directory below the project that is later cleared
    // recursively, so it must stay a single path component.
    if (!IsValidSiteName(name)) {
        ShowMessageBox(this,
                       tr("\"%1\" cannot name a site: a site name must not be blank, \".\" or \"..\", "
                          "nor hold \"/\" or \"\\\"")
                           .arg(name_->text()),
                       MessageIcon::Stop);
        name_->setFocus();
        return;
    }
    const Site* other = sites_.Find(name);
    if (other && other != &site_) {
        ShowMessageBox(this, QString::fromStdString("Site " + name + " already exists"), MessageIcon::None);
        name_->setFocus();
        return;
    }
    if (removeOldFiles_->isChecked())
        site_.ClearSendDirectory();
    site_.name = name;
    site_.emailAddress = email_->text().toStdString();
    site_.sendCommand = sendCommand_->text().toStdString();
    QDialog::accept();
}

RemoteSitesDialog::RemoteSitesDialog(SiteList& sites, QWidget* parent) : QDialog(parent), sites_(sites)
{
    setWindowTitle(tr("Remote sites"));

    list_ = new QTreeWidget(this);
    list_->setColumnCount(2);
    list_->setHeaderHidden(true);
    list_->setRootIsDecorated(false);
    list_->header()->resizeSection(0, 180);
    connect(list_, &QTreeWidget::itemDoubleClicked, this, [this] { EditSelected(); });

    auto* edit = new QPushButton(tr("&Edit"), this);
    auto* insert = new QPushButton(tr("&Insert"), this);
    auto* remove = new QPushButton(tr("&Delete"), this);
    auto* ok = new QPushButton(tr("OK"), this);
    ok->setDefault(true);
    connect(edit, &QPushButton::clicked, this, [this] { EditSelected(); });
    connect(insert, &QPushButton::clicked, this, [this] { InsertSite(); });
    connect(remove, &QPushButton::clicked, this, [this] { DeleteSelected(); });
    connect(ok, &QPushButton::clicked, this, &QDialog::accept);

    auto* buttons = new QVBoxLayout;
    for (QPushButton* button : {ok, edit, insert, remove})
        buttons->addWidget(button);
    buttons->addStretch();
    auto* layout = new QHBoxLayout(this);
    layout->addWidget(list_, 1);
    layout->addLayout(buttons);
    resize(440, 260);
    Fill(nullptr);
}

void RemoteSitesDialog::Fill(const Site* selected)
{
    // Filled anew after every change: a new master takes the marker from
    // the line of the old one.
    list_->clear();
    std::vector<SiteEntry> lines;
    sites_.FillListBox(lines);
    for (const SiteEntry& line : lines) {
        const QString text = QString::fromStdString(line.text);
        auto* item = new QTreeWidgetItem(list_, {text.section(QLatin1Char('\t'), 0, 0), text.section(QLatin1Char('\t'), 1)});
        item->setData(0, Qt::UserRole, QVariant::fromValue(static_cast<void*>(line.site)));
        if (line.site == selected)
            list_->setCurrentItem(item);
    }
}

Site* RemoteSitesDialog::SelectedSite() const
{
    QTreeWidgetItem* item = list_->currentItem();
    return item ? static_cast<Site*>(item->data(0, Qt::UserRole).value<void*>()) : nullptr;
}

void RemoteSitesDialog::EditSelected()
{
    Site* site = SelectedSite();
    if (!site)
        return;
    EditSiteDialog dialog(sites_, *site, this);
    if (dialog.exec() != QDialog::Accepted)
        return;
    if (dialog.masterChecked() && !sites_.IsMaster(site))
        sites_.SetMaster(site);
    else if (!dialog.masterChecked() && sites_.IsMaster(site))
        sites_.SetMaster(nullptr);
    Fill(site);
}

void RemoteSitesDialog::InsertSite()
{
    auto site = std::make_unique<Site>(std::string(), std::string());
    EditSiteDialog dialog(sites_, *site, this);
    if (dialog.exec() != QDialog::Accepted)
        return;
    Site* added = site.get();
    // The dialog accepted only a valid name that no site has.
    if (!sites_.Add(site))
        return;
    if (dialog.masterChecked())
        sites_.SetMaster(added);
    Fill(added);
}

void RemoteSitesDialog::DeleteSelected()
{
    Site* site = SelectedSite();
    if (!site)
        return;
    site->ClearSendDirectory();
    // Remove says itself why it keeps a site that owns revisions.
    if (sites_.Remove(site))
        Fill(nullptr);
}

} // namespace kestro::gui
