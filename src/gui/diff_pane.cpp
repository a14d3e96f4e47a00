#include "gui/diff_pane.h"

#include <QFontDatabase>
#include <QPaintEvent>
#include <QPainter>
#include <QScrollBar>
#include <QTextBlock>

#include <algorithm>

namespace kestro::gui {

namespace {

class Gutter : public QWidget {
public:
    explicit Gutter(DiffPane* pane) : QWidget(pane), pane_(pane) {}
    QSize sizeHint() const override { return {pane_->gutterWidth(), 0}; }

protected:
    void paintEvent(QPaintEvent* event) override { pane_->paintGutter(event); }

private:
    DiffPane* pane_;
};

// Filler rows only stand beside changed lines of the other side, so they
// belong to the change for moving from change to change.
bool IsChange(DiffRowKind kind)
{
    return kind == DiffRowKind::Added || kind == DiffRowKind::Removed || kind == DiffRowKind::Filler;
}

} // namespace

DiffPane::DiffPane(bool showOld, bool showNew, QWidget* parent)
    : QPlainTextEdit(parent), gutter_(new Gutter(this)), showOld_(showOld), showNew_(showNew)
{
    setReadOnly(true);
    setLineWrapMode(NoWrap);
    setFont(QFontDatabase::systemFont(QFontDatabase::FixedFont));
    // The caret shows where next and previous change start from.
    setTextInteractionFlags(Qt::TextSelectableByMouse | Qt::TextSelectableByKeyboard);
    connect(this, &QPlainTextEdit::updateRequest, this, [this](const QRect& rect, int dy) {
        if (dy != 0)
            gutter_->scroll(0, dy);
        else
            gutter_->update(0, rect.y(), gutter_->width(), rect.height());
    });
    placeGutter();
}

QColor DiffPane::background(DiffRowKind kind)
{
    switch (kind) {
    case DiffRowKind::FileHeader:
        return {0xdc, 0xdc, 0xdc};
    case DiffRowKind::HunkHeader:
        return {0xdd, 0xe8, 0xf6};
    case DiffRowKind::Added:
        return {0xdc, 0xf5, 0xdc};
    case DiffRowKind::Removed:
        return {0xfa, 0xdc, 0xdc};
    case DiffRowKind::Filler:
        return {0xf2, 0xf2, 0xf2};
    case DiffRowKind::Context:
    case DiffRowKind::Notice:
        break;
    }
    return {};
}

QColor DiffPane::changeBackground(DiffRowKind kind)
{
    return kind == DiffRowKind::Added ? QColor(0x9c, 0xe0, 0x9c) : QColor(0xf0, 0xa0, 0xa0);
}

void DiffPane::setRows(std::vector<DiffRow> rows)
{
    rows_ = std::move(rows);
    changes_.clear();
    int widest = 0;
    QString text;
    qsizetype length = 0;
    for (const DiffRow& row : rows_)
        length += row.text.size() + 1;
    text.reserve(length);
    for (std::size_t i = 0; i < rows_.size(); ++i) {
        const DiffRow& row = rows_[i];
        if (i > 0)
            text += QLatin1Char('\n');
        text += row.text;
        widest = std::max({widest, row.oldLine, row.newLine});
        if (IsChange(row.kind) && (i == 0 || !IsChange(rows_[i - 1].kind)))
            changes_.push_back(static_cast<int>(i));
    }
    digits_ = static_cast<int>(QString::number(widest).size());
    setPlainText(text);
    placeGutter();
}

int DiffPane::gutterWidth() const
{
    const int columns = (showOld_ ? 1 : 0) + (showNew_ ? 1 : 0);
    return columns * (fontMetrics().horizontalAdvance(QLatin1Char('9')) * digits_ + 8) + 4;
}

void DiffPane::placeGutter()
{
    setViewportMargins(gutterWidth(), 0, 0, 0);
    const QRect area = contentsRect();
    gutter_->setGeometry(area.left(), area.top(), gutterWidth(), area.height());
}

void DiffPane::resizeEvent(QResizeEvent* event)
{
    QPlainTextEdit::resizeEvent(event);
    placeGutter();
}

void DiffPane::goToRow(int row)
{
    const QTextBlock block = document()->findBlockByNumber(row);
    if (!block.isValid())
        return;
    QTextCursor cursor(block);
    setTextCursor(cursor);
    centerCursor();
}

int DiffPane::currentRow() const
{
    return textCursor().blockNumber();
}

void DiffPane::paintEvent(QPaintEvent* event)
{
    {
        QPainter painter(viewport());
        const QPointF offset = contentOffset();
        const int width = viewport()->width();
        for (QTextBlock block = firstVisibleBlock(); block.isValid(); block = block.next()) {
            const QRectF box = blockBoundingGeometry(block).translated(offset);
            if (box.top() > event->rect().bottom())
                break;
            const auto number = static_cast<std::size_t>(block.blockNumber());
            if (number >= rows_.size())
                break;
            const DiffRow& row = rows_[number];
            const QColor colour = background(row.kind);
            if (colour.isValid())
                painter.fillRect(QRectF(0, box.top(), width, box.height()), colour);
            if (row.changeLength > 0 && block.layout()) {
                // The changed part may run over wrapped lines: mark it on each.
                const QTextLayout* layout = block.layout();
                const int end = row.changeStart + row.changeLength;
                for (int i = 0; i < layout->lineCount(); ++i) {
                    const QTextLine line = layout->lineAt(i);
                    const int from = std::max(row.changeStart, line.textStart());
                    const int to = std::min(end, line.textStart() + line.textLength());
                    if (from >= to)
                        continue;
                    const qreal left = line.cursorToX(from);
                    const qreal right = line.cursorToX(to);
                    painter.fillRect(QRectF(offset.x() + left + document()->documentMargin(), box.top() + line.y(),
                                            right - left, line.height()),
                                     changeBackground(row.kind));
                }
            }
        }
    }
    QPlainTextEdit::paintEvent(event);
}

void DiffPane::paintGutter(QPaintEvent* event)
{
    QPainter painter(gutter_);
    painter.fillRect(event->rect(), palette().color(QPalette::Window));
    painter.setPen(palette().color(QPalette::PlaceholderText));
    painter.setFont(font());
    const int column = fontMetrics().horizontalAdvance(QLatin1Char('9')) * digits_ + 8;
    const QPointF offset = contentOffset();
    for (QTextBlock block = firstVisibleBlock(); block.isValid(); block = block.next()) {
        const QRectF box = blockBoundingGeometry(block).translated(offset);
        if (box.top() > event->rect().bottom())
            break;
        const auto number = static_cast<std::size_t>(block.blockNumber());
        if (number >= rows_.size())
            break;
        const DiffRow& row = rows_[number];
        const int height = fontMetrics().height();
        int x = 0;
        for (const auto& [shown, line] : {std::pair{showOld_, row.oldLine}, std::pair{showNew_, row.newLine}}) {
            if (!shown)
                continue;
            if (line > 0)
                painter.drawText(QRect(x, static_cast<int>(box.top()), column - 4, height), Qt::AlignRight,
                                 QString::number(line));
            x += column;
        }
    }
}

} // namespace kestro::gui
