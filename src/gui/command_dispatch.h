#pragma once

// What each command of the window does with the selected item. Long commands
// (check-in, check-out, compare, merge, report, freeze, synchronise, and
// sending, receiving and importing releases) run on the command worker while
// the results window shows their output; short ones run here on the
// interface thread, holding the tree lock so that the status refresh
// cannot change an item under them.
//
// The interface thread never waits without limit for the tree: it tries for
// a while and, when a command still holds it, says so and tries again.

#include <QObject>
#include <QStringList>

#include <functional>
#include <string>

class QWidget;

namespace kestro {
class CKestroDoc;
class RCSItem;
class SiteList;
} // namespace kestro

namespace kestro::gui {

class CKestroView;

// Returns once no command worker runs, showing "Waiting for <name> thread to
// finish" after each half second of waiting.
void WaitForCommandThread(QWidget* parent);

// Holds the tree lock for its lifetime, taken only when no command runs.
// Waiting for it cannot be cancelled, as the work that needs it cannot go on
// without it.
class TreeLock {
public:
    explicit TreeLock(QWidget* parent);
    ~TreeLock();
    TreeLock(const TreeLock&) = delete;
    TreeLock& operator=(const TreeLock&) = delete;
};

class CommandDispatch : public QObject {
    Q_OBJECT
public:
    CommandDispatch(CKestroDoc& doc, CKestroView& view, QWidget* window);

    // Shows a text in the first pane of the status bar.
    std::function<void(const QString&)> setStatusText;

    // Runs work on the command worker and shows the results window until the
    // user closes it; the worker may still run then.
    void StartCommand(const std::string& name, std::function<int()> work);

    void Insert();
    // Adds files to the project, reading their histories.
    void AddFiles(const QStringList& paths);
    void Delete();
    void Checkin();
    void Checkout();
    void Compare();
    // Compares the item's file without the dialog, between two revisions
    // (an empty revision 2 is the working file), in the diff view.
    void CompareRevisions(RCSItem* item, const std::string& revision1, const std::string& revision2);
    void Merge();
    void Report();
    void Freeze();
    void Synchronise();
    void ToggleLocked();
    void SetDefaultBranch();
    void ResetDefaultBranch();
    void ChangeOwningSite();
    void ChangeWorkingDirectory();
    void EditOptions();
    void Send();
    void Import();
    // Asks for a command file, then receives it as ReceiveCommandFile does.
    void Receive();
    // Receives a release command file (".rcc") on the worker after the
    // Receive dialog; waits for a running command first.
    void ReceiveCommandFile(const QString& path);
    void EditSites();
    void ShowOutput();

private:
    // The long commands on the selected item: test it, let it prepare the
    // command's settings, show the dialog, and run work on the worker.
    void RunItemCommand(const std::string& name, bool (RCSItem::*can)() const, bool (RCSItem::*prepare)(),
                        const std::function<int(QWidget*)>& showDialog, int (*work)(RCSItem*), bool marksModified);
    // The short commands on a revision or any item: run on this thread
    // under the tree lock when no command runs.
    // Send and Import: the release commands whose work reads its settings
    // from the options once the dialog confirmed them.
    void RunReleaseCommand(const std::string& name, const std::function<int(QWidget*)>& showDialog,
                           int (SiteList::*work)());
    void RunShortCommand(const std::function<bool(RCSItem*)>& applies, const std::function<void(RCSItem*)>& run);

    // Runs the compare the settings hold, in a diff view unless the
    // settings change the output form.
    void RunCompare();

    CKestroDoc& doc_;
    CKestroView& view_;
    QWidget* window_;
};

// The file dialog's filter for a project's file types ("Description
// (*.c;*.h)|*.c;*.h|..."), with "All Files" added last.
QString FileDialogFilter(const std::string& fileTypes);

} // namespace kestro::gui
