#include "gui/dialogs/options_sheet.h"

#include "app/command_locks.h"
#include "app/document.h"
#include "app/release_name_file.h"
#include "gui/dialogs.h"
#include "model/options.h"
#include "model/site_list.h"
#include "model/user_interaction.h"

#include <QCheckBox>
#include <QCoreApplication>
#include <QDialogButtonBox>
#include <QFormLayout>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTabWidget>
#include <QTreeWidget>
#include <QVBoxLayout>

#include <chrono>
#include <mutex>

namespace kestro::gui {

namespace {

const QChar FieldSeparator = QLatin1Char('|');
const QChar LineTab = QLatin1Char('\t');

// A separator typed into a description or a pattern would shift every later
// pair of the filter.
QString WithoutSeparators(QString text)
{
    text.remove(FieldSeparator);
    text.remove(LineTab);
    return text;
}

// Multi-line templates are edited with "\n" line ends whatever the project
// file holds.
QString ForEditing(const QString& text)
{
    return QString(text).replace(QLatin1String("\r\n"), QLatin1String("\n"));
}

void AddFileTypeLine(QTreeWidget* list, int position, const QString& description, const QString& patterns)
{
    auto* item = new QTreeWidgetItem(QStringList{description, patterns});
    list->insertTopLevelItem(position, item);
    list->setCurrentItem(item);
}

} // namespace

QStringList FileTypeLines(const QString& filter)
{
    QStringList lines;
    QString rest = filter;
    for (int bar = rest.indexOf(FieldSeparator); bar >= 0; bar = rest.indexOf(FieldSeparator)) {
        // The description shown in the file dialog repeats the patterns in
        // parentheses; the line keeps only the words before them.
        QString description = rest.left(bar);
        const int parenthesis = description.indexOf(QLatin1Char('('));
        if (parenthesis >= 0)
            description.truncate(parenthesis);
        while (!description.isEmpty() && description.back().isSpace())
            description.chop(1);

        const int next = rest.indexOf(FieldSeparator, bar + 1);
        const QString patterns = next < 0 ? rest.mid(bar + 1) : rest.mid(bar + 1, next - bar - 1);
        lines.append(description + LineTab + patterns);
        rest = next < 0 ? QString() : rest.mid(next + 1);
    }
    return lines;
}

QString FileTypeFilter(const QStringList& lines)
{
    QString filter;
    for (const QString& line : lines) {
        const int tab = line.indexOf(LineTab);
        const QString description = tab < 0 ? line : line.left(tab);
        const QString patterns = tab < 0 ? QString() : line.mid(tab + 1);
        if (!filter.isEmpty())
            filter += FieldSeparator;
        filter += description + QLatin1String(" (") + patterns + QLatin1String(")|") + patterns;
    }
    return filter;
}

OptionsSheet::OptionsSheet(const OptionsSheetValues& values, QWidget* parent) : QDialog(parent)
{
    setWindowTitle(tr("Kestro Options"));

    pages_ = new QTabWidget(this);
    pages_->addTab(createGeneralPage(values), tr("General"));
    pages_->addTab(createFileTypesPage(values), tr("File Types"));
    pages_->addTab(createReleaseNamePage(values), tr("Release name file"));
    pages_->addTab(createSiteDetailsPage(values), tr("Site details"));
    connect(pages_, &QTabWidget::currentChanged, this, [this](int index) {
        if (index == FileTypesPage)
            fileTypesPageOpened_ = true;
    });

    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);

    auto* layout = new QVBoxLayout(this);
    layout->addWidget(pages_);
    layout->addWidget(buttons);
}

QWidget* OptionsSheet::createGeneralPage(const OptionsSheetValues& values)
{
    auto* page = new QWidget(this);
    timeFormat_ = new QLineEdit(values.timeFormat, page);
    useUniversalTime_ = new QCheckBox(tr("&Use Universal Time"), page);
    useUniversalTime_->setChecked(values.useUniversalTime);
    sortHighestFirst_ = new QCheckBox(tr("&Sort highest revisions first"), page);
    sortHighestFirst_->setChecked(values.sortHighestFirst);

    auto* formatLabel = new QLabel(tr("&Time Display Format"), page);
    formatLabel->setBuddy(timeFormat_);
    auto* layout = new QVBoxLayout(page);
    layout->addWidget(formatLabel);
    layout->addWidget(timeFormat_);
    layout->addWidget(useUniversalTime_);
    layout->addWidget(sortHighestFirst_);
    layout->addStretch();
    layout->addWidget(new QLabel(tr("These options apply to all projects"), page));
    return page;
}

QWidget* OptionsSheet::createFileTypesPage(const OptionsSheetValues& values)
{
    auto* page = new QWidget(this);
    originalFileTypes_ = values.fileTypes;

    // One line per file type, the description in a column as wide as the
    // list box's tab stop.
    fileTypes_ = new QTreeWidget(page);
    fileTypes_->setColumnCount(2);
    fileTypes_->setHeaderHidden(true);
    fileTypes_->setRootIsDecorated(false);
    fileTypes_->setSelectionMode(QAbstractItemView::SingleSelection);
    fileTypes_->setColumnWidth(0, fontMetrics().averageCharWidth() * 25);
    for (const QString& line : FileTypeLines(values.fileTypes)) {
        const int tab = line.indexOf(LineTab);
        fileTypes_->addTopLevelItem(new QTreeWidgetItem(QStringList{line.left(tab), line.mid(tab + 1)}));
    }
    connect(fileTypes_, &QTreeWidget::itemDoubleClicked, this, &OptionsSheet::editFileType);

    fileTypesAreDefault_ = new QCheckBox(tr("&Make these file types the default for new projects"), page);
    fileTypesAreDefault_->setChecked(values.fileTypesAreDefault);

    auto* edit = new QPushButton(tr("&Edit"), page);
    auto* insert = new QPushButton(tr("&Insert"), page);
    auto* remove = new QPushButton(tr("&Delete"), page);
    for (QPushButton* button : {edit, insert, remove})
        button->setAutoDefault(false);
    connect(edit, &QPushButton::clicked, this, &OptionsSheet::editFileType);
    connect(insert, &QPushButton::clicked, this, &OptionsSheet::insertFileType);
    connect(remove, &QPushButton::clicked, this, &OptionsSheet::deleteFileType);

    auto* buttons = new QHBoxLayout;
    buttons->addWidget(edit);
    buttons->addWidget(insert);
    buttons->addWidget(remove);
    buttons->addStretch();
    auto* layout = new QVBoxLayout(page);
    layout->addWidget(fileTypes_, 1);
    layout->addWidget(fileTypesAreDefault_);
    layout->addLayout(buttons);
    return page;
}

QWidget* OptionsSheet::createReleaseNamePage(const OptionsSheetValues& values)
{
    auto* page = new QWidget(this);
    originalTemplate_ = values.releaseNameTemplate;
    releaseNameFile_ = new QLineEdit(values.releaseNameFile, page);
    releaseNameTemplate_ = new QPlainTextEdit(ForEditing(values.releaseNameTemplate), page);
    releaseNameTemplate_->setTabChangesFocus(true);
    releaseNameIsDefault_ = new QCheckBox(tr("&Make this file name && template the default for new projects"), page);
    releaseNameIsDefault_->setChecked(values.releaseNameIsDefault);

    auto* fileLabel = new QLabel(tr("Output release name to &File"), page);
    fileLabel->setBuddy(releaseNameFile_);
    auto* templateLabel = new QLabel(tr("Release name file &Template (use %s for release name):"), page);
    templateLabel->setBuddy(releaseNameTemplate_);
    auto* layout = new QVBoxLayout(page);
    layout->addWidget(fileLabel);
    layout->addWidget(releaseNameFile_);
    layout->addWidget(templateLabel);
    layout->addWidget(releaseNameTemplate_, 1);
    layout->addWidget(releaseNameIsDefault_);
    return page;
}

QWidget* OptionsSheet::createSiteDetailsPage(const OptionsSheetValues& values)
{
    auto* page = new QWidget(this);
    siteName_ = new QLineEdit(values.siteName, page);
    siteEmail_ = new QLineEdit(values.siteEmail, page);
    sendCommand_ = new QLineEdit(values.sendCommand, page);
    siteIsDefault_ = new QCheckBox(tr("&Make these site details the default for new projects"), page);
    siteIsDefault_->setChecked(values.siteIsDefault);
    // The master is chosen among the remote sites, not here.
    masterSite_ = new QCheckBox(tr("Master site"), page);
    masterSite_->setChecked(values.masterSite);
    masterSite_->setEnabled(false);

    auto* form = new QFormLayout;
    const auto addRow = [page, form](const QString& text, QWidget* field) {
        auto* label = new QLabel(text, page);
        label->setBuddy(field);
        form->addRow(label, field);
    };
    addRow(tr("Site &Name:"), siteName_);
    addRow(tr("Site &Email address:"), siteEmail_);
    addRow(tr("&Send command:"), sendCommand_);

    auto* layout = new QVBoxLayout(page);
    layout->addLayout(form);
    for (const QString& help : {tr("Use %p for the project name."), tr("Use %r for the release name."),
                                tr("Use %s for the remote site name."), tr("Use %m for the remote email address."),
                                tr("Use %d for the directory containing the exported files.")})
        layout->addWidget(new QLabel(help, page));
    layout->addStretch();
    layout->addWidget(siteIsDefault_);
    layout->addWidget(masterSite_);
    return page;
}

void OptionsSheet::showPage(Page page)
{
    pages_->setCurrentIndex(page);
}

void OptionsSheet::editFileType()
{
    QTreeWidgetItem* line = fileTypes_->selectedItems().value(0);
    if (!line)
        return;
    EditFileTypeDialog dialog(line->text(0), line->text(1), this);
    if (dialog.exec() != QDialog::Accepted)
        return;
    const int position = fileTypes_->indexOfTopLevelItem(line);
    delete fileTypes_->takeTopLevelItem(position);
    AddFileTypeLine(fileTypes_, position, WithoutSeparators(dialog.description()),
                    WithoutSeparators(dialog.patterns()));
}

void OptionsSheet::insertFileType()
{
    EditFileTypeDialog dialog(QString(), QString(), this);
    if (dialog.exec() != QDialog::Accepted)
        return;
    const QString description = WithoutSeparators(dialog.description());
    const QString patterns = WithoutSeparators(dialog.patterns());
    if (description.isEmpty() || patterns.isEmpty())
        return;
    QTreeWidgetItem* selected = fileTypes_->selectedItems().value(0);
    const int position = selected ? fileTypes_->indexOfTopLevelItem(selected) : fileTypes_->topLevelItemCount();
    AddFileTypeLine(fileTypes_, position, description, patterns);
}

void OptionsSheet::deleteFileType()
{
    if (QTreeWidgetItem* line = fileTypes_->selectedItems().value(0))
        delete line;
}

QString OptionsSheet::templateText() const
{
    const QString edited = releaseNameTemplate_->toPlainText();
    if (edited == ForEditing(originalTemplate_))
        return originalTemplate_;
    // A changed template keeps the line ends the project used.
    if (originalTemplate_.contains(QLatin1String("\r\n")))
        return QString(edited).replace(QLatin1Char('\n'), QLatin1String("\r\n"));
    return edited;
}

OptionsSheetValues OptionsSheet::values() const
{
    OptionsSheetValues values;
    values.timeFormat = timeFormat_->text();
    values.useUniversalTime = useUniversalTime_->isChecked();
    values.sortHighestFirst = sortHighestFirst_->isChecked();

    // Rebuilding a filter from lines normalises its descriptions, so a page
    // the user never looked at leaves the filter exactly as it was.
    if (fileTypesPageOpened_) {
        QStringList lines;
        for (int index = 0; index < fileTypes_->topLevelItemCount(); ++index) {
            const QTreeWidgetItem* line = fileTypes_->topLevelItem(index);
            lines.append(line->text(0) + LineTab + line->text(1));
        }
        values.fileTypes = FileTypeFilter(lines);
    } else {
        values.fileTypes = originalFileTypes_;
    }
    values.fileTypesAreDefault = fileTypesAreDefault_->isChecked();

    values.releaseNameFile = releaseNameFile_->text();
    values.releaseNameTemplate = templateText();
    values.releaseNameIsDefault = releaseNameIsDefault_->isChecked();

    values.siteName = siteName_->text();
    values.siteEmail = siteEmail_->text();
    values.sendCommand = sendCommand_->text();
    values.siteIsDefault = siteIsDefault_->isChecked();
    values.masterSite = masterSite_->isChecked();
    return values;
}

namespace {

// The project keeps its texts as bytes that need not be UTF-8; a text the
// user left as shown keeps its bytes.
std::string Edited(const QString& edited, const std::string& original)
{
    return edited == QString::fromStdString(original) ? original : edited.toStdString();
}

OptionsSheetValues CurrentValues(const CKestroDoc& doc, const RCSOptions& options, const Site* local)
{
    OptionsSheetValues values;
    values.timeFormat = QString::fromStdString(options.timeFormat);
    values.useUniversalTime = options.useUniversalTime;
    values.sortHighestFirst = options.sortHighestFirst;
    values.fileTypes = QString::fromStdString(doc.fileTypes);
    values.releaseNameFile = QString::fromStdString(doc.releaseNameFile);
    values.releaseNameTemplate = QString::fromStdString(doc.releaseNameTemplate);
    if (local) {
        values.siteName = QString::fromStdString(local->name);
        values.siteEmail = QString::fromStdString(local->emailAddress);
        values.sendCommand = QString::fromStdString(local->sendCommand);
        values.masterSite = doc.siteList->IsMaster(local);
    }
    return values;
}

// What is wrong with the name entered for the local site, or nothing.
std::string SiteNameProblem(const CKestroDoc& doc, const Site* local, const std::string& name)
{
    if (!local)
        return {};
    // The name becomes a directory below the project when releases are sent.
    if (!IsValidSiteName(name))
        return "Site name \"" + name + "\" cannot be used: a site name must not be blank, \".\" or \"..\""
               " and must not contain \"/\" or \"\\\"";
    const Site* other = doc.siteList->Find(name);
    if (other && other != local)
        return "Site " + name + " already exists";
    return {};
}

// Command and refresh threads read the options, the project's settings and
// the sites while they hold the tree lock, so the sheet's results are applied
// under it. The wait keeps events flowing, because a thread holding the lock
// may itself be waiting for this thread to show it a message; while a command
// runs the user is told which one.
std::unique_lock<std::recursive_timed_mutex> LockTreeForChanges()
{
    CommandLocks& locks = CommandLocks::instance();
    std::unique_lock<std::recursive_timed_mutex> lock(locks.TreeMutex(), std::defer_lock);
    while (!lock.try_lock_for(std::chrono::milliseconds(500))) {
        if (locks.IsCommandRunning())
            CurrentUserInteraction().ShowMessage(
                "Waiting for " + locks.CommandName() + " thread to finish\r\nPress OK to retry", MessageIcon::None);
        else
            QCoreApplication::processEvents(QEventLoop::ExcludeUserInputEvents);
    }
    return lock;
}

void Apply(CKestroDoc& doc, RCSOptions& options, Site* local, const OptionsSheetValues& values,
           const std::function<void()>& resetTree)
{
    options.useUniversalTime = values.useUniversalTime;

    const std::string fileTypes = Edited(values.fileTypes, doc.fileTypes);
    const std::string releaseNameFile = Edited(values.releaseNameFile, doc.releaseNameFile);
    const std::string releaseNameTemplate = Edited(values.releaseNameTemplate, doc.releaseNameTemplate);
    if (values.fileTypesAreDefault)
        options.defaultFileTypes = fileTypes;
    if (values.releaseNameIsDefault) {
        options.defaultReleaseNameFile = releaseNameFile;
        options.defaultBuildTemplate = releaseNameTemplate;
    }
    if (fileTypes != doc.fileTypes || releaseNameFile != doc.releaseNameFile
        || releaseNameTemplate != doc.releaseNameTemplate) {
        doc.fileTypes = fileTypes;
        doc.releaseNameFile = releaseNameFile;
        doc.releaseNameTemplate = releaseNameTemplate;
        doc.SetModifiedFlag();
    }

    const std::string timeFormat = Edited(values.timeFormat, options.timeFormat);
    if (timeFormat != options.timeFormat || values.sortHighestFirst != options.sortHighestFirst) {
        options.timeFormat = timeFormat;
        options.sortHighestFirst = values.sortHighestFirst;
        if (resetTree)
            resetTree();
    }

    const std::string name = Edited(values.siteName, local ? local->name : std::string());
    const std::string email = Edited(values.siteEmail, local ? local->emailAddress : std::string());
    const std::string sendCommand = Edited(values.sendCommand, local ? local->sendCommand : std::string());
    // The site list travels in the project file: a changed local site must
    // make the project ask to be saved, or the change is lost at exit.
    if (local && (name != local->name || email != local->emailAddress || sendCommand != local->sendCommand)) {
        local->name = name;
        local->emailAddress = email;
        local->sendCommand = sendCommand;
        doc.SetModifiedFlag();
    }
    if (values.siteIsDefault) {
        options.defaultSiteName = name;
        options.defaultSiteEmail = email;
        options.defaultSendCommand = sendCommand;
    }

    options.SaveOptions();
}

} // namespace

bool EditOptions(CKestroDoc& doc, RCSOptions& options, QWidget* parent, const std::function<void()>& resetTree)
{
    Site* local = doc.siteList ? doc.siteList->GetLocalSite() : nullptr;
    OptionsSheet sheet(CurrentValues(doc, options, local), parent);
    if (sheet.exec() != QDialog::Accepted)
        return false;

    const auto lock = LockTreeForChanges();
    for (;;) {
        const OptionsSheetValues values = sheet.values();
        std::string problem = ReleaseNameFileProblem(Edited(values.releaseNameFile, doc.releaseNameFile),
                                                     doc.GetProjectDirectory(), doc.GetWorkingDirectory());
        OptionsSheet::Page page = OptionsSheet::ReleaseNamePage;
        if (problem.empty()) {
            problem = SiteNameProblem(doc, local, Edited(values.siteName, local ? local->name : std::string()));
            page = OptionsSheet::SiteDetailsPage;
        }
        if (problem.empty())
            break;
        CurrentUserInteraction().ShowMessage(problem, MessageIcon::None);
        sheet.showPage(page);
        if (sheet.exec() != QDialog::Accepted)
            return false;
    }
    Apply(doc, options, local, sheet.values(), resetTree);
    return true;
}

} // namespace kestro::gui
