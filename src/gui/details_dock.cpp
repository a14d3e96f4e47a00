#include "gui/details_dock.h"

#include "app/command_locks.h"
#include "app/item_details.h"
#include "gui/tree_view.h"
#include "model/string_helpers.h"
#include "rcs/command_runner.h"

#include <QApplication>
#include <QFontDatabase>
#include <QPlainTextEdit>
#include <QPointer>
#include <QThreadPool>
#include <QTimer>

#include <chrono>

namespace kestro::gui {

namespace {

using namespace std::chrono_literals;

QString LogKey(const std::string& rcsPath, const std::string& revision)
{
    return QString::fromStdString(rcsPath + '\n' + revision);
}

} // namespace

DetailsDock::DetailsDock(std::function<const RCSReleaseRoot*()> releases, CKestroView& view, QWidget* parent)
    : QDockWidget(tr("Details"), parent), releases_(std::move(releases)), view_(view)
{
    setObjectName(QStringLiteral("detailsDock"));
    text_ = new QPlainTextEdit(this);
    text_->setObjectName(QStringLiteral("detailsText"));
    text_->setReadOnly(true);
    text_->setFont(QFontDatabase::systemFont(QFontDatabase::FixedFont));
    setWidget(text_);
    retry_ = new QTimer(this);
    retry_->setSingleShot(true);
    retry_->setInterval(200);
    connect(retry_, &QTimer::timeout, this, &DetailsDock::refresh);
    connect(&view_, &QTreeWidget::currentItemChanged, this, &DetailsDock::refresh);
    connect(this, &QDockWidget::visibilityChanged, this, [this](bool visible) {
        if (visible)
            refresh();
    });
}

QString DetailsDock::text() const
{
    return text_->toPlainText();
}

void DetailsDock::refresh()
{
    // Not isVisible: the pane of a window not shown yet still describes.
    if (isHidden())
        return;
    CommandLocks& locks = CommandLocks::instance();
    // A command's worker may be changing the items; the refresh thread holds
    // the tree for one file at a time.
    if (locks.IsCommandRunning() || !locks.TryLockTree(10ms)) {
        retry_->start();
        return;
    }
    ItemDetails details;
    if (RCSItem* item = view_.selectedItem())
        details = DescribeItem(*item, releases_());
    locks.UnlockTreeUnchanged();

    const RevisionLog* full = nullptr;
    shownKey_.clear();
    if (!details.rcsPath.empty()) {
        const QString key = LogKey(details.rcsPath, details.revision);
        if (const auto it = logs_.constFind(key); it != logs_.constEnd()) {
            full = &*it;
        } else {
            shownKey_ = key;
            requestLog(details.rcsPath, details.revision);
        }
    }
    text_->setPlainText(QString::fromStdString(FormatDetails(details, full)));
}

void DetailsDock::requestLog(const std::string& rcsPath, const std::string& revision)
{
    const QString key = LogKey(rcsPath, revision);
    if (reading_.contains(key))
        return;
    reading_.insert(key);
    std::string command = "rlog";
    AppendArgument(command, "-r" + revision);
    AppendArgument(command, rcsPath);
    QPointer<DetailsDock> self(this);
    QThreadPool::globalInstance()->start([self, key, command, revision] {
        std::string output;
        RevisionLog log;
        const bool found = RunCommand(output, command, std::string(), false) == 0 &&
                           ReadRevisionLog(output, revision, log);
        QMetaObject::invokeMethod(
            qApp,
            [self, key, found, log] {
                if (self)
                    self->logArrived(key, found, log);
            },
            Qt::QueuedConnection);
    });
}

void DetailsDock::logArrived(const QString& key, bool found, const RevisionLog& log)
{
    reading_.remove(key);
    if (found)
        logs_.insert(key, log);
    if (found && key == shownKey_)
        refresh();
}

} // namespace kestro::gui
