#include "gui/command_dispatch.h"

#include "app/command_locks.h"
#include "app/document.h"
#include "app/working_directory.h"
#include "gui/dialogs.h"
#include "gui/gui_interaction.h"
#include "gui/results_dialog.h"
#include "gui/tree_view.h"
#include "model/command_results.h"
#include "model/file_item.h"
#include "model/options.h"
#include "model/paths.h"
#include "model/release_item.h"
#include "model/release_root.h"
#include "model/root_item.h"
#include "model/site.h"
#include "model/site_list.h"
#include "model/string_helpers.h"
#include "model/version_item.h"
#include "ops/commands.h"

#include <QDir>
#include <QFileDialog>
#include <QFileInfo>
#include <QMessageBox>
#include <QRegularExpression>

#include <chrono>
#include <memory>
#include <vector>

namespace kestro::gui {

namespace {

using namespace std::chrono_literals;

constexpr auto WaitStep = 500ms;

void ShowWaiting(QWidget* parent, const std::string& name)
{
    ShowMessageBox(parent,
                   QString::fromStdString("Waiting for " + name + " thread to finish\r\nPress OK to retry"),
                   MessageIcon::None);
}

} // namespace

void WaitForCommandThread(QWidget* parent)
{
    CommandLocks& locks = CommandLocks::instance();
    while (!locks.WaitForCommand(WaitStep))
        ShowWaiting(parent, locks.CommandName());
}

TreeLock::TreeLock(QWidget* parent)
{
    CommandLocks& locks = CommandLocks::instance();
    for (;;) {
        WaitForCommandThread(parent);
        if (locks.TryLockTree(WaitStep)) {
            // Only the interface thread starts commands, so none can start
            // now; one that started before this thread looked still holds
            // the command lock and is waited for.
            if (!locks.IsCommandRunning())
                return;
            locks.UnlockTree();
        } else {
            ShowWaiting(parent, locks.IsCommandRunning() ? locks.CommandName() : std::string("status refresh"));
        }
    }
}

TreeLock::~TreeLock()
{
    CommandLocks::instance().UnlockTree();
}

QString FileDialogFilter(const std::string& fileTypes)
{
    // The file dialog reads the patterns from the parentheses at the end of
    // each filter, blank-separated.
    static const QRegularExpression trailingPatterns(QStringLiteral("\\s*\\([^()]*\\)\\s*$"));
    QStringList filters;
    for (const QString& line : FileTypeLines(QString::fromStdString(fileTypes))) {
        const QString description = line.section(QLatin1Char('\t'), 0, 0).remove(trailingPatterns);
        const QString patterns = line.section(QLatin1Char('\t'), 1).replace(QLatin1Char(';'), QLatin1Char(' '));
        if (!patterns.trimmed().isEmpty())
            filters << description + QStringLiteral(" (") + patterns.trimmed() + QLatin1Char(')');
    }
    filters << QStringLiteral("All Files (*)");
    return filters.join(QStringLiteral(";;"));
}

CommandDispatch::CommandDispatch(CKestroDoc& doc, CKestroView& view, QWidget* window)
    : QObject(window), doc_(doc), view_(view), window_(window)
{
}

void CommandDispatch::StartCommand(const std::string& name, std::function<int()> work)
{
    WaitForCommandThread(window_);
    CommandResults::instance().ClearResults();
    if (setStatusText)
        setStatusText(QString::fromStdString("Running " + name));
    // No command runs now and only this thread starts them, so the worker
    // is not refused.
    if (!CommandLocks::instance().StartCommand(name, std::move(work), [name](int result) {
            CommandResults::instance().Finish(name, result);
        }))
        return;
    CShowResultsDlg results(CShowResultsDlg::Running, window_);
    results.exec();
}

void CommandDispatch::RunItemCommand(const std::string& name, bool (RCSItem::*can)() const,
                                     bool (RCSItem::*prepare)(), const std::function<int(QWidget*)>& showDialog,
                                     int (*work)(RCSItem*), bool marksModified)
{
    if (CommandLocks::instance().IsCommandRunning())
        return;
    RCSItem* item;
    {
        // The dialog fills its lists from the item, which the status refresh
        // must not change meanwhile.
        TreeLock lock(window_);
        item = view_.selectedItem();
        if (!item || (can && !(item->*can)()) || !(item->*prepare)())
            return;
        if (showDialog(window_) != QDialog::Accepted)
            return;
    }
    StartCommand(name, [item, work] {
        CommandResults::instance().CountItemOutcomes();
        return work(item);
    });
    if (marksModified)
        doc_.SetModifiedFlag(true);
}

void CommandDispatch::Checkin()
{
    RunItemCommand(
        "checkin", &RCSItem::CanCheckin, &RCSItem::PrepareCheckin,
        [](QWidget* parent) { return CheckinDialog(RCSOptions::instance().checkin, parent).exec(); },
        [](RCSItem* item) { return item->Checkin(nullptr); }, true);
}

void CommandDispatch::Checkout()
{
    RunItemCommand(
        "checkout", &RCSItem::CanCheckout, &RCSItem::PrepareCheckout,
        [](QWidget* parent) { return CheckoutDialog(RCSOptions::instance().checkout, parent).exec(); },
        [](RCSItem* item) { return item->Checkout(); }, true);
}

void CommandDispatch::Merge()
{
    RunItemCommand(
        "merge", &RCSItem::CanMerge, &RCSItem::PrepareMerge,
        [](QWidget* parent) { return MergeDialog(RCSOptions::instance().merge, parent).exec(); },
        [](RCSItem* item) { return item->Merge(); }, false);
}

void CommandDispatch::Report()
{
    RunItemCommand(
        "report", nullptr, &RCSItem::PrepareReport,
        [](QWidget* parent) { return ReportDialog(RCSOptions::instance().report, parent).exec(); },
        [](RCSItem* item) { return item->Report(); }, true);
}

void CommandDispatch::Freeze()
{
    if (CommandLocks::instance().IsCommandRunning())
        return;
    RCSReleaseItem* release;
    {
        TreeLock lock(window_);
        if (!doc_.root || !doc_.releaseRoot || !doc_.root->CanFreeze())
            return;
        FreezeDialog dialog(window_);
        if (dialog.exec() != QDialog::Accepted || dialog.releaseName().isEmpty())
            return;
        const std::string name = dialog.releaseName().toStdString();
        if (const std::string clash = ReleaseSymbolClash(*doc_.releaseRoot, name); !clash.empty()) {
            ShowMessageBox(window_, QString::fromStdString(clash), MessageIcon::Stop);
            return;
        }
        auto owned = std::make_unique<RCSReleaseItem>(name);
        release = owned.get();
        doc_.releaseRoot->AddChild(std::move(owned));
    }
    RCSRoot* root = doc_.root.get();
    RCSReleaseRoot* releases = doc_.releaseRoot.get();
    // The release root's node is refreshed by the worker, which holds the
    // tree, since the window may be closed before the freeze is done. A
    // failed freeze has put its symbols back and leaves no release.
    StartCommand("freeze", [root, releases, release] {
        const int result = root->FreezeRelease(release);
        if (result != 0)
            release->Detach();
        releases->RefreshDisplay(false);
        return result;
    });
    doc_.SetModifiedFlag(true);
}

void CommandDispatch::RunReleaseCommand(const std::string& name, const std::function<int(QWidget*)>& showDialog,
                                        int (SiteList::*work)())
{
    if (CommandLocks::instance().IsCommandRunning())
        return;
    {
        // The dialog lists the sites and releases, which must stay put.
        TreeLock lock(window_);
        if (!doc_.root || !doc_.siteList || !doc_.releaseRoot || !doc_.root->CanFreeze())
            return;
        if (showDialog(window_) != QDialog::Accepted)
            return;
    }
    SiteList* sites = doc_.siteList.get();
    StartCommand(name, [sites, work] { return (sites->*work)(); });
    doc_.SetModifiedFlag(true);
}

void CommandDispatch::Send()
{
    RunReleaseCommand(
        "send",
        [this](QWidget* parent) {
            return SendDialog(RCSOptions::instance().send, *doc_.siteList, *doc_.releaseRoot, parent).exec();
        },
        &SiteList::SendRelease);
}

void CommandDispatch::Import()
{
    RunReleaseCommand(
        "import",
        [this](QWidget* parent) { return ImportDialog(RCSOptions::instance().import, *doc_.siteList, parent).exec(); },
        &SiteList::ImportRelease);
}

void CommandDispatch::Receive()
{
    if (CommandLocks::instance().IsCommandRunning())
        return;
    {
        TreeLock lock(window_);
        if (!doc_.root || !doc_.root->CanFreeze())
            return;
    }
    const QString path = QFileDialog::getOpenFileName(window_, QStringLiteral("Receive release from remote site"),
                                                      QString::fromStdString(doc_.GetProjectDirectory()),
                                                      QStringLiteral("Kestro command files (*.RCC)"));
    if (!path.isEmpty())
        ReceiveCommandFile(path);
}

void CommandDispatch::ReceiveCommandFile(const QString& path)
{
    std::string fullPath, directory, fileName, extension;
    if (SplitPath(path.toStdString(), fullPath, directory, fileName, extension) != 1)
        return;
    if (!EqualsNoCase(extension, "rcc")) {
        ShowMessageBox(window_, QString::fromStdString(fullPath + " does not appear to be a Kestro command file"),
                       MessageIcon::None);
        return;
    }
    {
        // Waits for a running command: a file handed to the program is
        // received once that is done, never beside it.
        TreeLock lock(window_);
        if (!doc_.root || !doc_.siteList || !doc_.releaseRoot || !doc_.root->CanFreeze())
            return;
        if (ReceiveDialog(RCSOptions::instance().receive, window_).exec() != QDialog::Accepted)
            return;
    }
    SiteList* sites = doc_.siteList.get();
    RCSRoot* root = doc_.root.get();
    // The worker redraws the files it checked in, holding the tree, as the
    // window may be closed before the receive is done.
    StartCommand("release", [sites, root, fullPath] {
        const int result = sites->ReceiveRelease(fullPath);
        root->RefreshDisplay(true);
        return result;
    });
    doc_.SetModifiedFlag(true);
}

void CommandDispatch::EditSites()
{
    // A command's work may read and add sites.
    if (CommandLocks::instance().IsCommandRunning())
        return;
    TreeLock lock(window_);
    if (!doc_.siteList)
        return;
    SiteList& sites = *doc_.siteList;
    const Site* master = sites.master;
    RemoteSitesDialog(sites, window_).exec();
    if (doc_.root) {
        // A new master takes over every revision.
        if (sites.master != master)
            doc_.root->SetOwningSite(sites.master);
        doc_.root->RefreshDisplay(true);
    }
    doc_.SetModifiedFlag(true);
}

void CommandDispatch::RunShortCommand(const std::function<bool(RCSItem*)>& applies,
                                      const std::function<void(RCSItem*)>& run)
{
    if (CommandLocks::instance().IsCommandRunning())
        return;
    TreeLock lock(window_);
    RCSItem* item = view_.selectedItem();
    if (!item || !applies(item))
        return;
    run(item);
    doc_.SetModifiedFlag(true);
}

void CommandDispatch::Synchronise()
{
    // Reading the histories of a big project takes seconds: the worker does
    // it, with the results window, so that the window stays live.
    if (CommandLocks::instance().IsCommandRunning())
        return;
    RCSItem* item;
    {
        TreeLock lock(window_);
        item = view_.selectedItem();
        if (!item || !item->CanSynchronise())
            return;
    }
    StartCommand("synchronise", [item] { return item->Synchronise(true); });
    doc_.SetModifiedFlag(true);
}

void CommandDispatch::ToggleLocked()
{
    RunShortCommand([](RCSItem* item) { return item->IsRevision(); },
                    [](RCSItem* item) { item->SetLocked(!item->IsLocked()); });
}

void CommandDispatch::SetDefaultBranch()
{
    RunShortCommand([](RCSItem* item) { return item->IsRevision(); },
                    [](RCSItem* item) { item->SetDefaultBranch(); });
}

void CommandDispatch::ResetDefaultBranch()
{
    if (CommandLocks::instance().IsCommandRunning())
        return;
    TreeLock lock(window_);
    if (!doc_.root)
        return;
    doc_.root->ResetDefaultBranch();
    doc_.SetModifiedFlag(true);
}

void CommandDispatch::Delete()
{
    bool failed = false;
    {
        TreeLock lock(window_);
        RCSItem* item = view_.selectedItem();
        if (!item || !item->CanDelete())
            return;
        // A refusal is a message; only a deletion that failed on disk or in
        // RCS leaves output worth showing.
        if (item->IsInRelease()) {
            ShowMessageBox(window_, QString::fromStdString(item->GetDescription() + "\r\nis in use in one or more releases"),
                           MessageIcon::Stop);
            return;
        }
        failed = DeleteItem(doc_, item) != 0;
    }
    if (failed) {
        CShowResultsDlg results(CShowResultsDlg::Viewing, window_);
        results.exec();
    }
}

void CommandDispatch::ChangeOwningSite()
{
    if (CommandLocks::instance().IsCommandRunning())
        return;
    TreeLock lock(window_);
    auto* revision = dynamic_cast<RCSVersionItem*>(view_.selectedItem());
    if (!revision || !doc_.siteList)
        return;
    QString owner = revision->owningSite ? QString::fromStdString(revision->owningSite->name) : QString();
    // A name that cannot name a site brings the dialog back as typed.
    for (;;) {
        std::vector<SiteEntry> entries;
        doc_.siteList->FillComboBox(entries, true);
        QStringList names;
        for (const SiteEntry& entry : entries)
            names << QString::fromStdString(entry.text);
        OwnerDialog dialog(QString::fromStdString(revision->GetDescription()), owner, names, window_);
        if (dialog.exec() != QDialog::Accepted)
            return;
        owner = dialog.ownerName();
        // A typing slip must not quietly make a new site.
        if (!owner.trimmed().isEmpty() && !doc_.siteList->Find(owner.trimmed().toStdString())
            && QMessageBox::question(window_, QStringLiteral("Kestro"),
                                     QStringLiteral("There is no site named %1.\nCreate it?")
                                         .arg(owner.trimmed()),
                                     QMessageBox::Yes | QMessageBox::No, QMessageBox::No)
                   != QMessageBox::Yes)
            continue;
        if (kestro::ChangeOwningSite(doc_, revision, owner.toStdString()))
            return;
    }
}

void CommandDispatch::ChangeWorkingDirectory()
{
    if (CommandLocks::instance().IsCommandRunning())
        return;
    WorkingDirectoryDialog dialog(QString::fromStdString(doc_.GetWorkingDirectory()), window_);
    if (dialog.exec() != QDialog::Accepted)
        return;
    bool changed;
    {
        TreeLock lock(window_);
        changed = kestro::ChangeWorkingDirectory(doc_, dialog.directory().toStdString());
    }
    if (changed)
        CommandLocks::instance().StartStatusRefresh();
}

void CommandDispatch::EditOptions()
{
    if (CommandLocks::instance().IsCommandRunning())
        return;
    // The sheet applies its results, the redrawing of the tree included,
    // under the tree lock it takes itself.
    gui::EditOptions(doc_, RCSOptions::instance(), window_, [this] { doc_.ResetTree(); });
}

void CommandDispatch::ShowOutput()
{
    // Reopened while a command still runs, the window follows it again.
    const bool running = CommandLocks::instance().IsCommandRunning();
    CShowResultsDlg results(running ? CShowResultsDlg::Running : CShowResultsDlg::Viewing, window_);
    results.exec();
}

void CommandDispatch::Insert()
{
    if (!doc_.root)
        return;
    const QStringList paths =
        QFileDialog::getOpenFileNames(window_, QStringLiteral("Insert files"),
                                      QString::fromStdString(doc_.GetProjectDirectory()), FileDialogFilter(doc_.fileTypes));
    if (paths.isEmpty())
        return;
    const std::string projectDirectory = doc_.GetProjectDirectory();
    const std::string directory = QDir::cleanPath(QFileInfo(paths.front()).absolutePath()).toStdString() + "/";
    if (directory.size() < projectDirectory.size()
        || !EqualsNoCase(directory.substr(0, projectDirectory.size()), projectDirectory)) {
        ShowMessageBox(window_,
                       QString::fromStdString("Cannot add files from " + directory + " \r\nas it is not in a subdirectory of "
                                              + projectDirectory),
                       MessageIcon::None);
        return;
    }
    AddFiles(paths);
}

void CommandDispatch::AddFiles(const QStringList& paths)
{
    std::vector<std::string> files;
    for (const QString& path : paths)
        files.push_back(path.toStdString());
    if (!doc_.root || files.empty())
        return;
    // One file (opened from a file manager, dropped on the window) is read in
    // a few milliseconds, and a results window for it would only be in the way.
    if (files.size() == 1) {
        TreeLock lock(window_);
        doc_.AddFiles(files);
        return;
    }
    // Reading the histories, and comparing the working files of an existing
    // RCS tree with their revisions, takes seconds for a big tree: the worker
    // does it, and the window stays live and shows how far it got.
    StartCommand("add", [this, files] {
        const std::vector<RCSFileItem*> added = doc_.AddFiles(files);
        return added.size() == files.size() ? 0 : 1;
    });
}

} // namespace kestro::gui
