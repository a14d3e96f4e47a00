#include "gui/diff_rows.h"

namespace kestro::gui {

namespace {

// The file as the project names it, from its RCS file (src/RCS/main.c,v is
// src/main.c): the labels hold the working path, which may be long and
// absolute. Output without an "RCS file:" line keeps its label.
QString FileTitle(const FileDiff& file)
{
    if (file.rcsFile.empty())
        return QString::fromStdString(file.newLabel);
    QString name = QString::fromStdString(file.rcsFile);
    if (name.endsWith(QStringLiteral(",v")))
        name.chop(2);
    const qsizetype slash = name.lastIndexOf(QLatin1Char('/'));
    const QString directory = name.left(slash + 1);
    if (directory == QStringLiteral("RCS/") || directory.endsWith(QStringLiteral("/RCS/")))
        name = directory.chopped(4) + name.mid(slash + 1);
    return name;
}

const char* const BinaryNotice = "Binary files differ";

DiffRow Row(DiffRowKind kind, QString text, int oldLine = 0, int newLine = 0)
{
    DiffRow row;
    row.kind = kind;
    row.text = std::move(text);
    row.oldLine = oldLine;
    row.newLine = newLine;
    return row;
}

DiffRowKind KindOf(DiffLineKind kind)
{
    switch (kind) {
    case DiffLineKind::Added:
        return DiffRowKind::Added;
    case DiffLineKind::Removed:
        return DiffRowKind::Removed;
    case DiffLineKind::Context:
        break;
    }
    return DiffRowKind::Context;
}

// A side's row for a hunk line, with the byte range of the change turned
// into characters.
DiffRow SideRow(const DiffLine& line, std::size_t changeStart, std::size_t changeLength)
{
    DiffRow row = Row(KindOf(line.kind), QString::fromStdString(line.text), line.oldLine, line.newLine);
    if (changeLength > 0) {
        row.changeStart = static_cast<int>(QString::fromUtf8(line.text.data(), static_cast<qsizetype>(changeStart)).size());
        row.changeLength = static_cast<int>(
            QString::fromUtf8(line.text.data() + changeStart, static_cast<qsizetype>(changeLength)).size());
    }
    return row;
}

} // namespace

std::vector<DiffRow> UnifiedRows(const std::vector<FileDiff>& files)
{
    std::vector<DiffRow> rows;
    for (const FileDiff& file : files) {
        if (!file.differs())
            continue;
        rows.push_back(Row(DiffRowKind::FileHeader, FileTitle(file)));
        if (file.binary)
            rows.push_back(Row(DiffRowKind::Notice, QString::fromLatin1(BinaryNotice)));
        for (const DiffHunk& hunk : file.hunks) {
            rows.push_back(Row(DiffRowKind::HunkHeader, QString::fromStdString(hunk.header)));
            for (const DiffLine& line : hunk.lines) {
                const QChar sign = line.kind == DiffLineKind::Added     ? QLatin1Char('+')
                                   : line.kind == DiffLineKind::Removed ? QLatin1Char('-')
                                                                        : QLatin1Char(' ');
                rows.push_back(Row(KindOf(line.kind), sign + QString::fromStdString(line.text), line.oldLine,
                                   line.newLine));
                if (line.noNewlineAtEnd)
                    rows.push_back(Row(DiffRowKind::Notice, QStringLiteral("\\ No newline at end of file")));
            }
        }
    }
    return rows;
}

SideBySide SideBySideRows(const std::vector<FileDiff>& files)
{
    SideBySide sides;
    const auto both = [&](const DiffRow& row) {
        sides.left.push_back(row);
        sides.right.push_back(row);
    };
    for (const FileDiff& file : files) {
        if (!file.differs())
            continue;
        both(Row(DiffRowKind::FileHeader, FileTitle(file)));
        if (file.binary)
            both(Row(DiffRowKind::Notice, QString::fromLatin1(BinaryNotice)));
        for (const DiffHunk& hunk : file.hunks) {
            both(Row(DiffRowKind::HunkHeader, QString::fromStdString(hunk.header)));
            for (const SideBySideRow& aligned : AlignHunk(hunk)) {
                if (aligned.left >= 0) {
                    DiffRow row = SideRow(hunk.lines[static_cast<std::size_t>(aligned.left)], aligned.leftChangeStart,
                                          aligned.leftChangeLength);
                    row.newLine = 0;
                    sides.left.push_back(std::move(row));
                } else {
                    sides.left.push_back(Row(DiffRowKind::Filler, QString()));
                }
                if (aligned.right >= 0) {
                    DiffRow row = SideRow(hunk.lines[static_cast<std::size_t>(aligned.right)],
                                          aligned.rightChangeStart, aligned.rightChangeLength);
                    row.oldLine = 0;
                    sides.right.push_back(std::move(row));
                } else {
                    sides.right.push_back(Row(DiffRowKind::Filler, QString()));
                }
            }
        }
    }
    return sides;
}

} // namespace kestro::gui
