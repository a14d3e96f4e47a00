#pragma once

// One column of differences: a read-only plain text with one block per row,
// each row's background coloured by its kind, the changed part of a paired
// line marked, and a gutter of line numbers. Everything decorative is painted
// for the visible blocks only, so a view of hundreds of thousands of lines
// costs no more to paint than a short one.

#include <QPlainTextEdit>

#include <vector>

namespace kestro::gui {

enum class DiffRowKind { FileHeader, HunkHeader, Context, Added, Removed, Filler, Notice };

struct DiffRow {
    DiffRowKind kind = DiffRowKind::Context;
    // Line numbers shown in the gutter; 0 shows none.
    int oldLine = 0;
    int newLine = 0;
    QString text;
    // The changed part of the text, in characters; length 0 marks nothing.
    int changeStart = 0;
    int changeLength = 0;
};

class DiffPane : public QPlainTextEdit {
    Q_OBJECT
public:
    // showOld and showNew choose the gutter's columns.
    DiffPane(bool showOld, bool showNew, QWidget* parent = nullptr);

    void setRows(std::vector<DiffRow> rows);
    const std::vector<DiffRow>& rows() const { return rows_; }
    // The first row of each run of added, removed or filler rows.
    const std::vector<int>& changes() const { return changes_; }
    // The background a row is painted with.
    static QColor background(DiffRowKind kind);
    static QColor changeBackground(DiffRowKind kind);

    // Puts the caret on the row and scrolls it to the middle.
    void goToRow(int row);
    int currentRow() const;

    void paintGutter(QPaintEvent* event);
    int gutterWidth() const;

protected:
    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;

private:
    void placeGutter();

    QWidget* gutter_;
    bool showOld_;
    bool showNew_;
    int digits_ = 1;
    std::vector<DiffRow> rows_;
    std::vector<int> changes_;
};

} // namespace kestro::gui
