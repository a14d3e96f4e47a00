#include "gui/diff_view.h"

#include "gui/diff_pane.h"
#include "gui/diff_rows.h"

#include <QAction>
#include <QFile>
#include <QFileDialog>
#include <QMessageBox>
#include <QScrollBar>
#include <QSplitter>
#include <QStackedWidget>
#include <QToolBar>

#include <algorithm>

namespace kestro::gui {

namespace {

// Each scroll bar follows the other, so aligned rows stay side by side.
void Couple(QScrollBar* a, QScrollBar* b)
{
    QObject::connect(a, &QScrollBar::valueChanged, b, &QScrollBar::setValue);
    QObject::connect(b, &QScrollBar::valueChanged, a, &QScrollBar::setValue);
}

} // namespace

DiffView::DiffView(const QString& title, QWidget* parent) : QMainWindow(parent)
{
    setWindowFlag(Qt::Window);
    setAttribute(Qt::WA_DeleteOnClose);
    setWindowTitle(title);

    unified_ = new DiffPane(true, true, this);
    left_ = new DiffPane(true, false, this);
    right_ = new DiffPane(false, true, this);
    auto* splitter = new QSplitter(this);
    splitter->addWidget(left_);
    splitter->addWidget(right_);
    sideBySide_ = splitter;
    Couple(left_->verticalScrollBar(), right_->verticalScrollBar());
    Couple(left_->horizontalScrollBar(), right_->horizontalScrollBar());
    message_ = new QPlainTextEdit(this);
    message_->setReadOnly(true);
    message_->setLineWrapMode(QPlainTextEdit::NoWrap);

    pages_ = new QStackedWidget(this);
    pages_->addWidget(unified_);
    pages_->addWidget(sideBySide_);
    pages_->addWidget(message_);
    setCentralWidget(pages_);

    QToolBar* tools = addToolBar(tr("Differences"));
    tools->setObjectName(QStringLiteral("diffToolBar"));
    previous_ = tools->addAction(tr("&Previous change"), this, &DiffView::previousChange);
    previous_->setShortcut(QKeySequence(Qt::SHIFT | Qt::Key_F7));
    previous_->setToolTip(tr("Previous change (Shift+F7)"));
    next_ = tools->addAction(tr("&Next change"), this, &DiffView::nextChange);
    next_->setShortcut(QKeySequence(Qt::Key_F7));
    next_->setToolTip(tr("Next change (F7)"));
    tools->addSeparator();
    sideBySideSwitch_ = tools->addAction(tr("&Side by side"));
    sideBySideSwitch_->setCheckable(true);
    connect(sideBySideSwitch_, &QAction::toggled, this, &DiffView::setSideBySide);
    wrap_ = tools->addAction(tr("&Wrap lines"));
    wrap_->setCheckable(true);
    connect(wrap_, &QAction::toggled, this, &DiffView::setWordWrap);
    tools->addSeparator();
    save_ = tools->addAction(tr("Save as &patch..."), this, &DiffView::askSavePatch);

    showMessage(tr("Comparing..."));
    resize(900, 650);
}

void DiffView::showMessage(const QString& text)
{
    message_->setPlainText(text);
    pages_->setCurrentWidget(message_);
    for (QAction* action : {next_, previous_, sideBySideSwitch_, wrap_, save_})
        action->setEnabled(false);
}

void DiffView::showCompare(const std::string& output, int result, const QString& results)
{
    output_ = output;
    std::vector<FileDiff> files = ParseUnifiedDiff(output);
    const bool differs = std::any_of(files.begin(), files.end(), [](const FileDiff& f) { return f.differs(); });
    // The status is the bitwise OR over the files compared (-1 when a
    // program could not start): 2 means trouble with at least one of them,
    // which the command results explain.
    const bool trouble = result < 0 || (result & 2) != 0;
    if (!differs) {
        showMessage(trouble ? results : tr("No differences"));
        return;
    }
    if (trouble)
        setWindowTitle(windowTitle() + tr(" - some files could not be compared (see View > Output)"));
    unified_->setRows(UnifiedRows(files));
    // The side-by-side panes are filled when first shown.
    files_ = std::move(files);
    sidesFilled_ = false;
    for (QAction* action : {next_, previous_, sideBySideSwitch_, wrap_, save_})
        action->setEnabled(true);
    setSideBySide(sideBySideSwitch_->isChecked());
}

bool DiffView::isSideBySide() const
{
    return pages_->currentWidget() == sideBySide_;
}

void DiffView::setSideBySide(bool on)
{
    if (sideBySideSwitch_->isChecked() != on) {
        sideBySideSwitch_->setChecked(on);  // comes back here through toggled
        return;
    }
    if (!save_->isEnabled())
        return;  // no differences to show
    if (on && !sidesFilled_) {
        SideBySide sides = SideBySideRows(files_);
        left_->setRows(std::move(sides.left));
        right_->setRows(std::move(sides.right));
        sidesFilled_ = true;
    }
    pages_->setCurrentWidget(on ? sideBySide_ : unified_);
    // Wrapped lines would take different heights on the two sides and break
    // their alignment.
    wrap_->setEnabled(!on);
    if (on)
        setWordWrap(false);
    else
        setWordWrap(wrap_->isChecked());
    DiffPane* pane = activePane();
    if (!pane->changes().empty())
        pane->goToRow(pane->changes().front());
    pane->setFocus();
}

void DiffView::setWordWrap(bool on)
{
    const auto mode = on ? QPlainTextEdit::WidgetWidth : QPlainTextEdit::NoWrap;
    for (DiffPane* pane : {unified_, left_, right_})
        pane->setLineWrapMode(mode);
}

DiffPane* DiffView::activePane() const
{
    return isSideBySide() ? left_ : unified_;
}

void DiffView::nextChange()
{
    DiffPane* pane = activePane();
    const std::vector<int>& changes = pane->changes();
    const auto it = std::upper_bound(changes.begin(), changes.end(), pane->currentRow());
    if (it != changes.end())
        pane->goToRow(*it);
}

void DiffView::previousChange()
{
    DiffPane* pane = activePane();
    const std::vector<int>& changes = pane->changes();
    const auto it = std::lower_bound(changes.begin(), changes.end(), pane->currentRow());
    if (it != changes.begin())
        pane->goToRow(*std::prev(it));
}

bool DiffView::savePatch(const QString& path) const
{
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate))
        return false;
    const auto size = static_cast<qint64>(output_.size());
    return file.write(output_.data(), size) == size && file.flush();
}

void DiffView::askSavePatch()
{
    const QString path = QFileDialog::getSaveFileName(this, tr("Save as patch"), QString(),
                                                      tr("Patches (*.patch *.diff);;All Files (*)"));
    if (!path.isEmpty() && !savePatch(path))
        QMessageBox::warning(this, tr("Kestro"), tr("Cannot write %1").arg(path));
}

} // namespace kestro::gui
