#pragma once

// "Details": a dock that describes the item at the tree's caret. What the
// item trees hold shows at once; a revision's whole log message is read with
// rlog on a pooled thread and kept, so the interface thread never waits for
// a program. The trees are only read when the tree lock can be had at once;
// otherwise the pane tries again shortly.

#include "model/revision_log.h"

#include <QDockWidget>
#include <QHash>
#include <QSet>

class QPlainTextEdit;
class QTimer;

#include <functional>

namespace kestro {
class RCSReleaseRoot;
}

namespace kestro::gui {

class CKestroView;

class DetailsDock : public QDockWidget {
    Q_OBJECT
public:
    // releases gives the project's release tree, for the releases that use
    // a revision.
    DetailsDock(std::function<const RCSReleaseRoot*()> releases, CKestroView& view, QWidget* parent = nullptr);

    QString text() const;
    // Describes the caret's item again.
    void refresh();

private:
    void requestLog(const std::string& rcsPath, const std::string& revision);
    void logArrived(const QString& key, bool found, const RevisionLog& log);

    std::function<const RCSReleaseRoot*()> releases_;
    CKestroView& view_;
    QPlainTextEdit* text_;
    QTimer* retry_;
    QString shownKey_;  // the revision whose log the pane waits for
    QHash<QString, RevisionLog> logs_;
    QSet<QString> reading_;
};

} // namespace kestro::gui
