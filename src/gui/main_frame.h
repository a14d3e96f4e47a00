#pragma once

// The main window: menus, toolbar and status bar over the project tree. It
// owns the one document and the view, keeps the commands' enabling up to
// date, keeps its position and the toolbar's state between sessions, and
// asks to save a changed project before it is replaced or the program ends.

#include "app/document.h"
#include "model/command_progress.h"

#include <QMainWindow>

#include <map>
#include <memory>
#include <vector>

class QAction;
class QLabel;
class QProgressBar;
class QTimer;

namespace kestro::gui {

class CKestroView;
class CommandDispatch;
class DetailsDock;
class GuiInteraction;

enum class Command {
    New,
    Open,
    Save,
    SaveAs,
    Exit,
    Undo,
    Cut,
    Copy,
    Paste,
    Insert,
    Delete,
    Options,
    Toolbar,
    StatusBar,
    Output,
    Checkin,
    Checkout,
    Compare,
    Merge,
    Report,
    Freeze,
    Synchronise,
    Locked,
    SetDefaultBranch,
    ResetDefaultBranch,
    ChangeOwner,
    ChangeWorkingDirectory,
    Send,
    Receive,
    Import,
    EditSites,
    About,
};

// The commands that act on the selected item, in groups; the tree's context
// menu offers those of them that are enabled.
const std::vector<std::vector<Command>>& ItemCommandGroups();

class CMainFrame : public QMainWindow {
    Q_OBJECT
public:
    explicit CMainFrame(QWidget* parent = nullptr);
    ~CMainFrame() override;

    CKestroDoc& document() { return *doc_; }
    CKestroView& view() { return *view_; }
    CommandDispatch& dispatch() { return *dispatch_; }
    DetailsDock& details() { return *details_; }
    QAction* action(Command command) const { return actions_.at(command); }

    void SetStatusText(const QString& text);
    // The progress bar and "Running NAME: N of M - FILE" while a command
    // works through many items; hidden otherwise.
    void ShowProgress(const CommandProgress::State& progress, const std::string& command);
    QString StatusText() const;
    // Shows the working directory in its pane, sized to the text.
    void SetWorkingDirectoryPane(const QString& text);
    QString WorkingDirectoryText() const;

    // The document commands. Each asks to save a changed project first where
    // the project would be replaced; false when the user cancelled or the
    // operation failed.
    bool NewDocument();
    bool OpenProject(const QString& path);
    bool SaveDocument();
    bool SaveDocumentAs();
    bool SaveModified();
    QStringList RecentFiles() const;
    // Another program (the command line, a second window) may have saved
    // the project since this window read it: offers to reload it, once for
    // each version on disk. Runs whenever the application becomes active.
    void CheckProjectOnDisk();

    // Recomputes which commands are available; also runs on a short timer.
    void UpdateCommandUI();

protected:
    void closeEvent(QCloseEvent* event) override;
    void dragEnterEvent(QDragEnterEvent* event) override;
    void dropEvent(QDropEvent* event) override;

private:
    // Stops the running command's programs until its worker has ended.
    void StopCommand();
    void CreateActions();
    void CreateMenus();
    void CreateToolBar();
    void CreateStatusBar();
    void CreateDetailsDock();
    QAction* AddAction(Command command, const QString& text, const QString& prompt);
    void RestoreWindowPosition();
    void SaveWindowPosition();
    void UpdateCaption();
    void AddRecentFile(const QString& path);
    void RemoveRecentFile(const QString& path);
    void UpdateRecentFileActions();
    bool SaveTo(const QString& path);
    // Reads the project file, replacing the project shown, without asking.
    bool LoadProject(const QString& path);
    // Saving over a project file that changed on disk would lose the other
    // program's changes: the user reloads it or saves elsewhere.
    bool OfferReloadOrSaveAs();
    void OpenRecentFile(int index);

    // What the selected item allows, read when the tree could be locked;
    // kept while a status refresh holds the tree for a moment.
    struct ItemAnswers {
        bool canDelete = false;
        bool canCheckin = false;
        bool canCheckout = false;
        bool canCompare = false;
        bool canMerge = false;
        bool canSynchronise = false;
        bool isRevision = false;
        bool isLocked = false;
    };

    std::unique_ptr<CKestroDoc> doc_;
    CKestroView* view_;
    std::unique_ptr<GuiInteraction> interaction_;
    CommandDispatch* dispatch_;
    DetailsDock* details_ = nullptr;
    std::map<Command, QAction*> actions_;
    std::vector<QAction*> recentFileActions_;
    QAction* recentFilesSeparator_ = nullptr;
    QLabel* statusPane_ = nullptr;
    QLabel* workingDirectoryPane_ = nullptr;
    QProgressBar* progressBar_ = nullptr;  // shown while a command works through items
    QTimer* enablingTimer_;
    ItemAnswers answers_;
    ProjectFileStamp declinedReload_;  // the version on disk the user chose not to load
};

} // namespace kestro::gui
