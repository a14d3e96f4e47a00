// The compare command of the window: what to compare comes from the items
// picked in the tree, the dialog confirms it, and the differences open in a
// diff view. Options that change rcsdiff's output form (a context diff) keep
// the plain command results instead.

#include "app/command_locks.h"
#include "gui/command_dispatch.h"
#include "gui/dialogs.h"
#include "gui/diff_view.h"
#include "gui/tree_view.h"
#include "model/command_results.h"
#include "model/item.h"
#include "model/options.h"
#include "model/paths.h"
#include "ops/compare_capture.h"
#include "ops/compare_choice.h"

#include <QApplication>
#include <QPointer>

#include <memory>

namespace kestro::gui {

namespace {

QString CompareTitle(const RCSItem& item, const CompareSettings& settings)
{
    const QString first = settings.revision1.empty() ? QStringLiteral("head") : QString::fromStdString(settings.revision1);
    const QString second =
        settings.revision2.empty() ? QStringLiteral("working file") : QString::fromStdString(settings.revision2);
    return QStringLiteral("%1: %2 - %3").arg(QString::fromStdString(NativePath(item.name)), first, second);
}

} // namespace

void CommandDispatch::Compare()
{
    if (CommandLocks::instance().IsCommandRunning())
        return;
    CompareSettings& settings = RCSOptions::instance().compare;
    {
        TreeLock lock(window_);
        RCSItem* current = view_.selectedItem();
        if (!current || !PrepareCompareChoice(*current, view_.pickedItems()))
            return;
        if (CompareDialog(settings, window_).exec() != QDialog::Accepted)
            return;
    }
    RunCompare();
}

void CommandDispatch::CompareRevisions(RCSItem* item, const std::string& revision1, const std::string& revision2)
{
    if (CommandLocks::instance().IsCommandRunning())
        return;
    {
        TreeLock lock(window_);
        if (!item->CanCompare() || !item->PrepareCompare())
            return;
        CompareSettings& settings = RCSOptions::instance().compare;
        settings.revision1 = revision1;
        settings.revision2 = revision2;
    }
    RunCompare();
}

void CommandDispatch::RunCompare()
{
    const CompareSettings& settings = RCSOptions::instance().compare;
    RCSItem* item = settings.item;
    if (!item)
        return;
    if (settings.contextDiff) {
        StartCommand("compare", [item] { return item->Compare(); });
        return;
    }
    WaitForCommandThread(window_);
    CommandResults::instance().ClearResults();
    if (setStatusText)
        setStatusText(QStringLiteral("Running compare"));
    auto* view = new DiffView(CompareTitle(*item, settings), window_);
    view->show();
    QPointer<DiffView> target(view);
    auto output = std::make_shared<std::string>();
    // The worker fills output; the view reads it on this thread once the
    // worker is done with it. The view may have been closed by then.
    CommandLocks::instance().StartCommand(
        "compare",
        [item, output] {
            CompareCapture capture(true);
            const int result = item->Compare();
            *output = std::move(capture.text);
            return result;
        },
        [target, output](int result) {
            QMetaObject::invokeMethod(
                qApp,
                [target, output, result] {
                    if (target)
                        target->showCompare(*output, result,
                                            QString::fromStdString(CommandResults::instance().Text()));
                },
                Qt::QueuedConnection);
        });
}

} // namespace kestro::gui
