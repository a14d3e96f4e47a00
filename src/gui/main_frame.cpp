#include "gui/main_frame.h"

#include "app/command_locks.h"
#include "app/document.h"
#include "app/project_lock.h"
#include "gui/application.h"
#include "gui/command_dispatch.h"
#include "gui/details_dock.h"
#include "gui/dialogs.h"
#include "gui/gui_interaction.h"
#include "gui/icons.h"
#include "gui/item_actions.h"
#include "gui/tree_view.h"
#include "model/command_progress.h"
#include "model/command_results.h"
#include "model/item.h"
#include "model/options.h"
#include "model/paths.h"
#include "rcs/command_runner.h"

#include <QAction>
#include <QApplication>
#include <QCloseEvent>
#include <QDragEnterEvent>
#include <QDropEvent>
#include <QFileDialog>
#include <QFileInfo>
#include <QLabel>
#include <QMenuBar>
#include <QMessageBox>
#include <QMimeData>
#include <QProgressBar>
#include <QPushButton>
#include <QSettings>
#include <QStatusBar>
#include <QThread>
#include <QTimer>
#include <QToolBar>

#include <atomic>
#include <chrono>

namespace kestro::gui {

namespace {

constexpr int RecentFileCount = 4;
constexpr int EnablingInterval = 200;  // ms

} // namespace

CMainFrame::CMainFrame(QWidget* parent) : QMainWindow(parent)
{
    view_ = new CKestroView(this);
    setCentralWidget(view_);
    SetItemView(view_);
    interaction_ = std::make_unique<GuiInteraction>(this);
    SetUserInteraction(interaction_.get());

    CreateActions();
    CreateMenus();
    CreateToolBar();
    CreateStatusBar();
    CreateDetailsDock();
    RestoreWindowPosition();

    doc_ = std::make_unique<CKestroDoc>();
    // The working directory may change on whatever thread changes the project.
    doc_->onWorkingDirectoryChanged = [this](const std::string& directory) {
        QMetaObject::invokeMethod(
            this, [this, text = QString::fromStdString(directory)] { SetWorkingDirectoryPane(text); },
            Qt::AutoConnection);
    };
    {
        TreeLock lock(this);
        doc_->OnNewDocument();
    }
    SetWorkingDirectoryPane(QString::fromStdString(doc_->GetWorkingDirectory()));

    dispatch_ = new CommandDispatch(*doc_, *view_, this);
    dispatch_->setStatusText = [this](const QString& text) { SetStatusText(text); };

    const auto on = [this](Command command, auto handler) {
        connect(action(command), &QAction::triggered, this, handler);
    };
    on(Command::New, [this] { NewDocument(); });
    on(Command::Open, [this] {
        if (!SaveModified())
            return;
        const QString path = QFileDialog::getOpenFileName(
            this, QStringLiteral("Open"), QString::fromStdString(doc_->GetProjectDirectory()),
            QStringLiteral("Kestro Files (*.rcs);;All Files (*)"));
        if (!path.isEmpty())
            OpenDocumentFile(*this, path);
    });
    on(Command::Save, [this] { SaveDocument(); });
    on(Command::SaveAs, [this] { SaveDocumentAs(); });
    on(Command::Exit, [this] { close(); });
    on(Command::Insert, [this] { dispatch_->Insert(); });
    on(Command::Delete, [this] { dispatch_->Delete(); });
    on(Command::Options, [this] { dispatch_->EditOptions(); });
    on(Command::Output, [this] { dispatch_->ShowOutput(); });
    on(Command::Checkin, [this] { dispatch_->Checkin(); });
    on(Command::Checkout, [this] { dispatch_->Checkout(); });
    on(Command::Compare, [this] { dispatch_->Compare(); });
    on(Command::Merge, [this] { dispatch_->Merge(); });
    on(Command::Report, [this] { dispatch_->Report(); });
    on(Command::Freeze, [this] { dispatch_->Freeze(); });
    on(Command::Synchronise, [this] { dispatch_->Synchronise(); });
    on(Command::Locked, [this] { dispatch_->ToggleLocked(); });
    on(Command::SetDefaultBranch, [this] { dispatch_->SetDefaultBranch(); });
    on(Command::ResetDefaultBranch, [this] { dispatch_->ResetDefaultBranch(); });
    on(Command::ChangeOwner, [this] { dispatch_->ChangeOwningSite(); });
    on(Command::ChangeWorkingDirectory, [this] { dispatch_->ChangeWorkingDirectory(); });
    on(Command::Send, [this] { dispatch_->Send(); });
    on(Command::Receive, [this] { dispatch_->Receive(); });
    on(Command::Import, [this] { dispatch_->Import(); });
    on(Command::EditSites, [this] { dispatch_->EditSites(); });
    on(Command::About, [this] { AboutDialog(this).exec(); });
    for (Command command : {Command::Checkin, Command::Checkout, Command::Compare, Command::Merge, Command::Report,
                            Command::Freeze, Command::Synchronise, Command::Locked, Command::SetDefaultBranch,
                            Command::ResetDefaultBranch, Command::ChangeOwner, Command::ChangeWorkingDirectory,
                            Command::Insert, Command::Delete, Command::Options, Command::Output, Command::Send,
                            Command::Receive, Command::Import, Command::EditSites}) {
        // What a command changed shows in the enabling at once, not only at
        // the timer's next turn.
        connect(action(command), &QAction::triggered, this, &CMainFrame::UpdateCommandUI);
    }

    setAcceptDrops(true);
    UpdateCaption();

    connect(view_, &QTreeWidget::currentItemChanged, this, &CMainFrame::UpdateCommandUI);
    view_->setContextMenuPolicy(Qt::CustomContextMenu);
    connect(view_, &QWidget::customContextMenuRequested, this, [this](const QPoint& pos) {
        QMenu menu(this);
        if (FillItemMenu(*this, pos, menu) && !menu.isEmpty())
            menu.exec(view_->viewport()->mapToGlobal(pos));
    });
    view_->setExpandsOnDoubleClick(false);
    connect(view_, &QTreeWidget::itemDoubleClicked, this, [this](QTreeWidgetItem* node) { ActivateNode(*this, node); });
    enablingTimer_ = new QTimer(this);
    enablingTimer_->setInterval(EnablingInterval);
    connect(enablingTimer_, &QTimer::timeout, this, &CMainFrame::UpdateCommandUI);
    enablingTimer_->start();
    // Back from another program, whose edits may have changed any file.
    connect(qApp, &QGuiApplication::applicationStateChanged, this, [this](Qt::ApplicationState state) {
        if (doc_ && doc_->root)
            CommandLocks::instance().StartStatusRefresh();
        if (state == Qt::ApplicationActive)
            QTimer::singleShot(0, this, &CMainFrame::CheckProjectOnDisk);
    });
    UpdateCommandUI();
}

CMainFrame::~CMainFrame()
{
    enablingTimer_->stop();
    // The view outlives this part of the window and may still signal.
    disconnect(view_, nullptr, this, nullptr);
    disconnect(qApp, nullptr, this, nullptr);
    // The worker and the refresh thread work on the document's items, so
    // both end before the document does.
    WaitForCommandThread(nullptr);
    CommandLocks::instance().StopStatusRefresh();
    SetItemView(nullptr);
    SaveWindowPosition();
    RCSOptions::instance().SaveOptions();
    doc_->onWorkingDirectoryChanged = nullptr;
    doc_.reset();
    if (&CurrentUserInteraction() == interaction_.get())
        SetUserInteraction(nullptr);
}

const std::vector<std::vector<Command>>& ItemCommandGroups()
{
    static const std::vector<std::vector<Command>> groups = {
        {Command::Checkin, Command::Checkout, Command::Compare, Command::Merge, Command::Report},
        {Command::Synchronise},
        {Command::Locked, Command::SetDefaultBranch, Command::ChangeOwner},
        {Command::Delete},
    };
    return groups;
}

QAction* CMainFrame::AddAction(Command command, const QString& text, const QString& prompt)
{
    auto* created = new QAction(text, this);
    // The text before the line break is the status prompt, the rest the
    // tooltip.
    const qsizetype lineBreak = prompt.indexOf(QLatin1Char('\n'));
    created->setStatusTip(lineBreak < 0 ? prompt : prompt.left(lineBreak));
    if (lineBreak >= 0)
        created->setToolTip(prompt.mid(lineBreak + 1));
    actions_[command] = created;
    return created;
}

void CMainFrame::CreateActions()
{
    AddAction(Command::New, QStringLiteral("&New\tCtrl+N"), QStringLiteral("Create a new document\nNew"))
        ->setShortcut(QKeySequence(QStringLiteral("Ctrl+N")));
    AddAction(Command::Open, QStringLiteral("&Open...\tCtrl+O"), QStringLiteral("Open an existing document\nOpen"))
        ->setShortcut(QKeySequence(QStringLiteral("Ctrl+O")));
    AddAction(Command::Save, QStringLiteral("&Save\tCtrl+S"), QStringLiteral("Save the active document\nSave"))
        ->setShortcut(QKeySequence(QStringLiteral("Ctrl+S")));
    AddAction(Command::SaveAs, QStringLiteral("Save &As..."),
              QStringLiteral("Save the active document with a new name\nSave As"));
    AddAction(Command::Exit, QStringLiteral("E&xit"),
              QStringLiteral("Quit the application; prompts to save documents\nExit"));

    AddAction(Command::Undo, QStringLiteral("&Undo\tCtrl+Z"), QStringLiteral("Undo the last action\nUndo"))
        ->setShortcuts({QKeySequence(QStringLiteral("Ctrl+Z")), QKeySequence(QStringLiteral("Alt+Backspace"))});
    AddAction(Command::Cut, QStringLiteral("Cu&t\tCtrl+X"),
              QStringLiteral("Cut the selection and put it on the Clipboard\nCut"))
        ->setShortcuts({QKeySequence(QStringLiteral("Ctrl+X")), QKeySequence(QStringLiteral("Shift+Del"))});
    AddAction(Command::Copy, QStringLiteral("&Copy\tCtrl+C"),
              QStringLiteral("Copy the selection and put it on the Clipboard\nCopy"))
        ->setShortcuts({QKeySequence(QStringLiteral("Ctrl+C")), QKeySequence(QStringLiteral("Ctrl+Ins"))});
    AddAction(Command::Paste, QStringLiteral("&Paste\tCtrl+V"), QStringLiteral("Insert Clipboard contents\nPaste"))
        ->setShortcuts({QKeySequence(QStringLiteral("Ctrl+V")), QKeySequence(QStringLiteral("Shift+Ins"))});
    AddAction(Command::Insert, QStringLiteral("&Insert...\tIns"),
              QStringLiteral("Insert a new file into the project\nInsert file"))
        ->setShortcut(QKeySequence(Qt::Key_Insert));
    AddAction(Command::Delete, QStringLiteral("&Delete...\tDel"),
              QStringLiteral("Remove this item from the project\nDelete file"))
        ->setShortcut(QKeySequence(Qt::Key_Delete));
    AddAction(Command::Options, QStringLiteral("&Options..."),
              QStringLiteral("Change global and project options\nOptions"));

    AddAction(Command::Output, QStringLiteral("&Output"), QStringLiteral("View output from last command\nView output"));

    AddAction(Command::Checkin, QStringLiteral("Check-&In..."),
              QStringLiteral("Check the selected file(s) in to RCS\nCheck In"));
    AddAction(Command::Checkout, QStringLiteral("Check-&Out..."),
              QStringLiteral("Check the selected file(s) out of RCS\nCheck Out"));
    AddAction(Command::Compare, QStringLiteral("&Compare..."), QStringLiteral("Compare the selected revisions\nCompare"));
    AddAction(Command::Merge, QStringLiteral("&Merge..."),
              QStringLiteral("Merge the changes between two revisions into the working file\nMerge"));
    AddAction(Command::Report, QStringLiteral("&Report..."),
              QStringLiteral("Show information about the selected file(s)\nReport"));
    AddAction(Command::Freeze, QStringLiteral("&Freeze..."), QStringLiteral("Freeze all revisions into a release\nFreeze"));
    AddAction(Command::Synchronise, QStringLiteral("&Synchronise with RCS"),
              QStringLiteral("Update the display from the RCS directory\nSynchronise"));
    AddAction(Command::Locked, QStringLiteral("&Locked"), QStringLiteral("Lock or unlock the current revision\nLock/Unlock"))
        ->setCheckable(true);
    AddAction(Command::SetDefaultBranch, QStringLiteral("Set &Default branch"),
              QStringLiteral("Set default branch\nDefault branch"))
        ->setCheckable(true);
    AddAction(Command::ResetDefaultBranch, QStringLiteral("R&eset Default branch"),
              QStringLiteral("Reset default branch to head\\Reset Default Branch"));
    AddAction(Command::ChangeOwner, QStringLiteral("Change &Owning Site..."),
              QStringLiteral("Select another site as the ower of this revision\nChange Owner"));
    AddAction(Command::ChangeWorkingDirectory, QStringLiteral("Change &Working Directory"),
              QStringLiteral("Change directory containing checked out files\nWorking Directory"));

    AddAction(Command::Send, QStringLiteral("&Send release to site..."), QStringLiteral("Send release to remote site\nSend"));
    AddAction(Command::Receive, QStringLiteral("&Receive release from site..."),
              QStringLiteral("Receive release from remote site\nReceive"));
    AddAction(Command::Import, QStringLiteral("&Import release..."),
              QStringLiteral("Import release as if it was from a remote site\nImport release"));
    AddAction(Command::EditSites, QStringLiteral("&Edit remote site details..."),
              QStringLiteral("Edit remote site names, addresses, etc.\nEdit sites"));

    AddAction(Command::About, QStringLiteral("&About Kestro..."),
              QStringLiteral("Display program information, version number and copyright\nAbout"));

    auto* statusBarToggle = AddAction(Command::StatusBar, QStringLiteral("&Status Bar"),
                                      QStringLiteral("Show or hide the status bar\nToggle StatusBar"));
    statusBarToggle->setCheckable(true);
    statusBarToggle->setChecked(true);
    connect(statusBarToggle, &QAction::toggled, this, [this](bool shown) { statusBar()->setVisible(shown); });

    const std::pair<Command, ToolbarPicture> pictures[] = {
        {Command::New, ToolbarPicture::New},           {Command::Open, ToolbarPicture::Open},
        {Command::Save, ToolbarPicture::Save},         {Command::Cut, ToolbarPicture::Cut},
        {Command::Copy, ToolbarPicture::Copy},         {Command::Paste, ToolbarPicture::Paste},
        {Command::Insert, ToolbarPicture::Insert},     {Command::Delete, ToolbarPicture::Delete},
        {Command::Checkin, ToolbarPicture::Checkin},   {Command::Checkout, ToolbarPicture::Checkout},
        {Command::Compare, ToolbarPicture::Compare},   {Command::Report, ToolbarPicture::Report},
        {Command::Freeze, ToolbarPicture::Freeze},     {Command::Locked, ToolbarPicture::Locked},
        {Command::Output, ToolbarPicture::Output},     {Command::About, ToolbarPicture::About},
    };
    for (const auto& [command, picture] : pictures)
        action(command)->setIcon(ToolbarIcon(picture));

    for (int i = 0; i < RecentFileCount; ++i) {
        auto* recent = new QAction(this);
        recent->setStatusTip(QStringLiteral("Open this document"));
        recent->setVisible(false);
        connect(recent, &QAction::triggered, this, [this, i] { OpenRecentFile(i); });
        recentFileActions_.push_back(recent);
    }
}

void CMainFrame::CreateMenus()
{
    QMenu* file = menuBar()->addMenu(QStringLiteral("&File"));
    file->addActions({action(Command::New), action(Command::Open), action(Command::Save), action(Command::SaveAs)});
    recentFilesSeparator_ = file->addSeparator();
    for (QAction* recent : recentFileActions_)
        file->addAction(recent);
    file->addSeparator();
    file->addAction(action(Command::Exit));

    QMenu* edit = menuBar()->addMenu(QStringLiteral("&Edit"));
    edit->addAction(action(Command::Undo));
    edit->addSeparator();
    edit->addActions({action(Command::Cut), action(Command::Copy), action(Command::Paste)});
    edit->addSeparator();
    edit->addActions({action(Command::Insert), action(Command::Delete)});
    edit->addSeparator();
    edit->addAction(action(Command::Options));

    // The toolbar's entry is added once the toolbar exists.
    QMenu* viewMenu = menuBar()->addMenu(QStringLiteral("&View"));
    viewMenu->setObjectName(QStringLiteral("viewMenu"));
    viewMenu->addAction(action(Command::StatusBar));
    viewMenu->addSeparator();
    viewMenu->addAction(action(Command::Output));

    QMenu* revisions = menuBar()->addMenu(QStringLiteral("&Revisions"));
    revisions->addActions({action(Command::Checkin), action(Command::Checkout), action(Command::Compare),
                           action(Command::Merge), action(Command::Report)});
    revisions->addSeparator();
    revisions->addActions({action(Command::Freeze), action(Command::Synchronise)});
    revisions->addSeparator();
    revisions->addActions({action(Command::Locked), action(Command::SetDefaultBranch),
                           action(Command::ResetDefaultBranch), action(Command::ChangeOwner)});
    revisions->addSeparator();
    revisions->addAction(action(Command::ChangeWorkingDirectory));

    QMenu* sites = menuBar()->addMenu(QStringLiteral("&Sites"));
    sites->setToolTipsVisible(true);
    sites->addActions({action(Command::Send), action(Command::Receive), action(Command::Import)});
    sites->addSeparator();
    sites->addAction(action(Command::EditSites));

    QMenu* help = menuBar()->addMenu(QStringLiteral("&Help"));
    help->addAction(action(Command::About));
}

void CMainFrame::CreateToolBar()
{
    QToolBar* toolBar = addToolBar(QStringLiteral("Toolbar"));
    toolBar->setObjectName(QStringLiteral("toolBar"));
    toolBar->setIconSize(QSize(16, 16));
    const std::initializer_list<std::initializer_list<Command>> groups = {
        {Command::New, Command::Open, Command::Save},
        {Command::Cut, Command::Copy, Command::Paste},
        {Command::Insert, Command::Delete},
        {Command::Checkin, Command::Checkout, Command::Compare},
        {Command::Report, Command::Freeze},
        {Command::Locked},
        {Command::Output, Command::About},
    };
    bool first = true;
    for (const auto& group : groups) {
        if (!first)
            toolBar->addSeparator();
        first = false;
        for (Command command : group)
            toolBar->addAction(action(command));
    }

    QAction* toggle = toolBar->toggleViewAction();
    toggle->setText(QStringLiteral("&Toolbar"));
    toggle->setStatusTip(QStringLiteral("Show or hide the toolbar"));
    toggle->setToolTip(QStringLiteral("Toggle ToolBar"));
    actions_[Command::Toolbar] = toggle;
    QMenu* viewMenu = menuBar()->findChild<QMenu*>(QStringLiteral("viewMenu"));
    viewMenu->insertAction(action(Command::StatusBar), toggle);
}

void CMainFrame::CreateDetailsDock()
{
    // Created hidden before the window state is restored, which shows it
    // again when it was shown at the last exit.
    details_ = new DetailsDock([this] { return doc_ ? doc_->releaseRoot.get() : nullptr; }, *view_, this);
    addDockWidget(Qt::RightDockWidgetArea, details_);
    details_->hide();
    QAction* toggle = details_->toggleViewAction();
    toggle->setText(QStringLiteral("&Details"));
    toggle->setStatusTip(QStringLiteral("Show or hide the details of the selected item"));
    menuBar()->findChild<QMenu*>(QStringLiteral("viewMenu"))->insertAction(action(Command::Output), toggle);
}

void CMainFrame::CreateStatusBar()
{
    statusPane_ = new QLabel(QStringLiteral("Ready"), this);
    workingDirectoryPane_ = new QLabel(this);
    progressBar_ = new QProgressBar(this);
    progressBar_->setMaximumWidth(200);
    progressBar_->hide();
    statusBar()->addWidget(statusPane_, 1);
    statusBar()->addPermanentWidget(progressBar_);
    statusBar()->addPermanentWidget(workingDirectoryPane_);
}

void CMainFrame::ShowProgress(const CommandProgress::State& progress, const std::string& command)
{
    if (progress.total <= 1) {
        progressBar_->hide();
        return;
    }
    progressBar_->setRange(0, progress.total);
    progressBar_->setValue(progress.done);
    progressBar_->show();
    SetStatusText(QString::fromStdString("Running " + command + ": " + ProgressText(progress)));
}

void CMainFrame::SetStatusText(const QString& text)
{
    statusPane_->setText(text);
    statusPane_->repaint();
}

QString CMainFrame::StatusText() const
{
    return statusPane_->text();
}

void CMainFrame::SetWorkingDirectoryPane(const QString& text)
{
    workingDirectoryPane_->setText(text);
    const int margins = workingDirectoryPane_->contentsMargins().left() + workingDirectoryPane_->contentsMargins().right()
                        + 2 * workingDirectoryPane_->margin();
    workingDirectoryPane_->setFixedWidth(workingDirectoryPane_->fontMetrics().horizontalAdvance(text) + margins + 4);
}

QString CMainFrame::WorkingDirectoryText() const
{
    return workingDirectoryPane_->text();
}

void CMainFrame::UpdateCommandUI()
{
    using namespace std::chrono_literals;
    CommandLocks& locks = CommandLocks::instance();
    std::string completed;
    const bool idle = !locks.IsRunning(&completed);
    if (!completed.empty()) {
        // Commands started through the dispatch leave a summary; anything
        // else only ever said that it ended.
        const std::string summary = CommandResults::instance().LastSummary();
        SetStatusText(QString::fromStdString(summary.empty() ? completed + " complete" : summary));
    }
    ShowProgress(idle ? CommandProgress::State() : CommandProgress::instance().Get(), locks.CommandName());

    // A worker may be destroying items, so the selection is only read when
    // none runs. Then only the refresh thread can hold the tree, for one file
    // at a time: a short wait nearly always gets it, and otherwise the
    // answers are kept until the next turn.
    if (idle && locks.TryLockTree(10ms)) {
        ItemAnswers answers;
        if (RCSItem* item = view_->selectedItem()) {
            answers.canDelete = item->CanDelete();
            answers.canCheckin = item->CanCheckin();
            answers.canCheckout = item->CanCheckout();
            answers.canCompare = item->CanCompare();
            answers.canMerge = item->CanMerge();
            answers.canSynchronise = item->CanSynchronise();
            answers.isRevision = item->IsRevision();
            answers.isLocked = item->IsLocked();
        }
        locks.UnlockTreeUnchanged();
        answers_ = answers;
    }

    for (Command command : {Command::New, Command::Open, Command::Save, Command::SaveAs, Command::Exit,
                            Command::Insert, Command::Report, Command::Freeze, Command::ResetDefaultBranch,
                            Command::Options, Command::ChangeWorkingDirectory, Command::Send, Command::Receive,
                            Command::Import, Command::EditSites})
        action(command)->setEnabled(idle);
    for (QAction* recent : recentFileActions_)
        recent->setEnabled(idle);
    action(Command::Delete)->setEnabled(idle && answers_.canDelete);
    action(Command::Checkin)->setEnabled(idle && answers_.canCheckin);
    action(Command::Checkout)->setEnabled(idle && answers_.canCheckout);
    action(Command::Compare)->setEnabled(idle && answers_.canCompare);
    action(Command::Merge)->setEnabled(idle && answers_.canMerge);
    action(Command::Synchronise)->setEnabled(idle && answers_.canSynchronise);
    for (Command command : {Command::Locked, Command::SetDefaultBranch, Command::ChangeOwner})
        action(command)->setEnabled(idle && answers_.isRevision);
    action(Command::Locked)->setChecked(answers_.isRevision && answers_.isLocked);
    action(Command::SetDefaultBranch)->setChecked(answers_.isRevision && answers_.isLocked);
    for (Command command : {Command::Undo, Command::Cut, Command::Copy, Command::Paste})
        action(command)->setEnabled(false);
}

bool CMainFrame::SaveModified()
{
    if (!doc_->IsModified())
        return true;
    const auto answer = QMessageBox::question(
        this, QStringLiteral("Kestro"), QStringLiteral("Save changes to %1?").arg(QString::fromStdString(doc_->GetTitle())),
        QMessageBox::Yes | QMessageBox::No | QMessageBox::Cancel, QMessageBox::Yes);
    if (answer == QMessageBox::Cancel)
        return false;
    return answer == QMessageBox::No || SaveDocument();
}

bool CMainFrame::NewDocument()
{
    if (!SaveModified())
        return false;
    {
        TreeLock lock(this);
        doc_->OnNewDocument();
    }
    UpdateCaption();
    return true;
}

bool CMainFrame::OpenProject(const QString& path)
{
    return SaveModified() && LoadProject(path);
}

bool CMainFrame::LoadProject(const QString& path)
{
    std::string error;
    bool opened;
    {
        TreeLock lock(this);
        opened = doc_->OnOpenDocument(path.toStdString(), error);
        if (opened)
            doc_->InsertTreesIntoView();
        else if (!doc_->root)
            // The old project is gone; the window keeps a usable, empty one.
            doc_->OnNewDocument();
    }
    UpdateCaption();
    if (!opened) {
        ShowMessageBox(this, QString::fromStdString(error), MessageIcon::Warning);
        // The project kept open had its refresh pass stopped by the attempt.
        CommandLocks::instance().StartStatusRefresh();
        return false;
    }
    AddRecentFile(QString::fromStdString(doc_->GetPathName()));
    CommandLocks::instance().StartStatusRefresh();
    return true;
}

bool CMainFrame::SaveDocument()
{
    if (doc_->GetPathName().empty())
        return SaveDocumentAs();
    return SaveTo(QString::fromStdString(doc_->GetPathName()));
}

bool CMainFrame::SaveDocumentAs()
{
    const QString suggested = QString::fromStdString(doc_->GetProjectDirectory() + doc_->GetTitle() + ".rcs");
    QString path = QFileDialog::getSaveFileName(this, QStringLiteral("Save As"), suggested,
                                                QStringLiteral("Kestro Files (*.rcs)"));
    if (path.isEmpty())
        return false;
    if (QFileInfo(path).suffix().isEmpty())
        path += QStringLiteral(".rcs");
    return SaveTo(path);
}

bool CMainFrame::SaveTo(const QString& path)
{
    const std::string target = FullPath(path.toStdString());
    if (target == doc_->GetPathName() && doc_->ChangedOnDisk())
        return OfferReloadOrSaveAs();
    std::string error;
    bool saved = false;
    {
        // A command-line run holds the lock for its whole run; a short wait
        // keeps the window live, and the user can save again later. Where no
        // lock can be made the save itself says why it fails.
        ProjectLock projectLock(target);
        if (projectLock.Acquire(std::chrono::seconds(2), error) != ProjectLock::Result::Busy) {
            error.clear();
            TreeLock lock(this);
            saved = doc_->OnSaveDocument(path.toStdString(), error);
        }
    }
    if (!saved) {
        ShowMessageBox(this, QString::fromStdString(error), MessageIcon::Warning);
        return false;
    }
    AddRecentFile(QString::fromStdString(doc_->GetPathName()));
    UpdateCaption();
    return true;
}

bool CMainFrame::OfferReloadOrSaveAs()
{
    QMessageBox box(QMessageBox::Warning, QStringLiteral("Kestro"),
                    QStringLiteral("%1 has been changed by another program since it was read here.\n"
                                   "Reload it (the changes made here are lost), or save this version "
                                   "under another name?")
                        .arg(QString::fromStdString(doc_->GetPathName())),
                    QMessageBox::Cancel, this);
    QPushButton* reload = box.addButton(QStringLiteral("&Reload"), QMessageBox::DestructiveRole);
    QPushButton* saveAs = box.addButton(QStringLiteral("Save &As..."), QMessageBox::AcceptRole);
    box.setDefaultButton(saveAs);
    box.exec();
    if (box.clickedButton() == saveAs)
        return SaveDocumentAs();
    if (box.clickedButton() == reload)
        LoadProject(QString::fromStdString(doc_->GetPathName()));
    return false;
}

void CMainFrame::CheckProjectOnDisk()
{
    if (!doc_ || CommandLocks::instance().IsRunning() || !doc_->ChangedOnDisk() || QApplication::activeModalWidget())
        return;
    const ProjectFileStamp onDisk = StampOfFile(doc_->GetPathName());
    if (onDisk == declinedReload_)
        return;
    declinedReload_ = onDisk;
    QString text = QStringLiteral("%1 has been changed by another program.\nReload it?")
                       .arg(QString::fromStdString(doc_->GetPathName()));
    if (doc_->IsModified())
        text = QStringLiteral("%1 has been changed by another program.\n"
                              "Reload it and lose the changes made here?")
                   .arg(QString::fromStdString(doc_->GetPathName()));
    if (QMessageBox::question(this, QStringLiteral("Kestro"), text) == QMessageBox::Yes)
        LoadProject(QString::fromStdString(doc_->GetPathName()));
}

void CMainFrame::UpdateCaption()
{
    setWindowTitle(QString::fromStdString(doc_->GetTitle()) + QStringLiteral(" - Kestro"));
}

QStringList CMainFrame::RecentFiles() const
{
    QSettings settings = ProgramSettings();
    settings.beginGroup(QStringLiteral("Recent File List"));
    QStringList files;
    for (int i = 1; i <= RecentFileCount; ++i) {
        const QString file = settings.value(QStringLiteral("File%1").arg(i)).toString();
        if (!file.isEmpty())
            files << file;
    }
    return files;
}

void CMainFrame::AddRecentFile(const QString& path)
{
    QStringList files = RecentFiles();
    files.removeAll(path);
    files.prepend(path);
    QSettings settings = ProgramSettings();
    settings.beginGroup(QStringLiteral("Recent File List"));
    for (int i = 0; i < RecentFileCount; ++i)
        settings.setValue(QStringLiteral("File%1").arg(i + 1), i < files.size() ? files[i] : QString());
    settings.endGroup();
    UpdateRecentFileActions();
}

void CMainFrame::RemoveRecentFile(const QString& path)
{
    QStringList files = RecentFiles();
    files.removeAll(path);
    QSettings settings = ProgramSettings();
    settings.beginGroup(QStringLiteral("Recent File List"));
    for (int i = 0; i < RecentFileCount; ++i)
        settings.setValue(QStringLiteral("File%1").arg(i + 1), i < files.size() ? files[i] : QString());
    settings.endGroup();
    UpdateRecentFileActions();
}

void CMainFrame::UpdateRecentFileActions()
{
    const QStringList files = RecentFiles();
    for (int i = 0; i < RecentFileCount; ++i) {
        QAction* recent = recentFileActions_[static_cast<std::size_t>(i)];
        recent->setVisible(i < files.size());
        if (i < files.size()) {
            recent->setText(QStringLiteral("&%1 %2").arg(i + 1).arg(files[i]));
            recent->setData(files[i]);
        }
    }
    recentFilesSeparator_->setVisible(!files.isEmpty());
}

void CMainFrame::OpenRecentFile(int index)
{
    const QString path = recentFileActions_[static_cast<std::size_t>(index)]->data().toString();
    // A project that has gone leaves the list.
    if (!QFileInfo::exists(path)) {
        RemoveRecentFile(path);
        return;
    }
    OpenDocumentFile(*this, path);
}

void CMainFrame::RestoreWindowPosition()
{
    QSettings settings = ProgramSettings();
    settings.beginGroup(QStringLiteral("Window Position"));
    const int left = settings.value(QStringLiteral("Left"), 0).toInt();
    const int top = settings.value(QStringLiteral("Top"), 0).toInt();
    const int right = settings.value(QStringLiteral("Right"), 0).toInt();
    const int bottom = settings.value(QStringLiteral("Bottom"), 0).toInt();
    settings.endGroup();
    if (left != 0 && top != 0 && right != 0 && bottom != 0)
        setGeometry(left, top, right - left, bottom - top);
    else
        resize(760, 520);  // room for a revision's text on a first start
    restoreState(settings.value(QStringLiteral("Tool Bar")).toByteArray());
    UpdateRecentFileActions();
    RCSOptions::instance().LoadOptions();
}

void CMainFrame::SaveWindowPosition()
{
    const QRect normal = normalGeometry().isValid() ? normalGeometry() : geometry();
    QSettings settings = ProgramSettings();
    settings.beginGroup(QStringLiteral("Window Position"));
    settings.setValue(QStringLiteral("Left"), normal.left());
    settings.setValue(QStringLiteral("Top"), normal.top());
    settings.setValue(QStringLiteral("Right"), normal.left() + normal.width());
    settings.setValue(QStringLiteral("Bottom"), normal.top() + normal.height());
    settings.endGroup();
    settings.setValue(QStringLiteral("Tool Bar"), saveState());
}

void CMainFrame::closeEvent(QCloseEvent* event)
{
    CommandLocks& locks = CommandLocks::instance();
    if (locks.IsCommandRunning()) {
        QMessageBox box(QMessageBox::Question, QStringLiteral("Kestro"),
                        QStringLiteral("The %1 command is still running.\nStop it and close Kestro?")
                            .arg(QString::fromStdString(locks.CommandName())),
                        QMessageBox::Cancel, this);
        QPushButton* stop = box.addButton(QStringLiteral("&Stop"), QMessageBox::AcceptRole);
        box.setDefaultButton(QMessageBox::Cancel);
        box.exec();
        if (box.clickedButton() != stop) {
            event->ignore();
            return;
        }
        StopCommand();
    }
    if (!SaveModified()) {
        event->ignore();
        return;
    }
    WaitForCommandThread(this);
    event->accept();
}

void CMainFrame::StopCommand()
{
    // A command over many files starts one program after another, so each
    // is stopped until the worker has ended. Stopping waits for the
    // program, which belongs on a thread of its own; this one keeps
    // painting meanwhile.
    std::atomic<bool> stopping = true;
    QThread* stopper = QThread::create([&stopping] {
        while (stopping && CommandLocks::instance().IsCommandRunning()) {
            StopRunningProgram();
            QThread::msleep(20);
        }
    });
    stopper->start();
    while (!CommandLocks::instance().WaitForCommand(std::chrono::milliseconds(20)))
        QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
    stopping = false;
    stopper->wait();
    delete stopper;
}

void CMainFrame::dragEnterEvent(QDragEnterEvent* event)
{
    for (const QUrl& url : event->mimeData()->urls()) {
        if (url.isLocalFile()) {
            event->acceptProposedAction();
            return;
        }
    }
}

void CMainFrame::dropEvent(QDropEvent* event)
{
    QStringList paths;
    for (const QUrl& url : event->mimeData()->urls()) {
        if (url.isLocalFile())
            paths << url.toLocalFile();
    }
    event->acceptProposedAction();
    // Opened once the drop is over, as opening may ask questions.
    QTimer::singleShot(0, this, [this, paths] {
        for (const QString& path : paths)
            OpenDocumentFile(*this, path);
    });
}

} // namespace kestro::gui
