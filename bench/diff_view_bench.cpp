// How long the diff view takes to open on a 10,000-line file with 1,000
// changed lines (every tenth line), from the captured output to the first
// paint of the unified pane, and then to switch to side by side. The output
// is real `diff -u` output of two generated files; run offscreen or on a
// display.
//
//   diff_view_bench [RUNS]
//
// The last line reads exactly:
//   diff view: LINES lines, CHANGED changed, first paint N ms (best of RUNS), side by side N ms

#include "gui/diff_pane.h"
#include "gui/diff_view.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <string>

namespace {

constexpr int Lines = 10000;
constexpr int Every = 10;

bool WriteLines(const QString& path, bool changed)
{
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly))
        return false;
    QByteArray text;
    for (int i = 1; i <= Lines; ++i) {
        text += "    line " + QByteArray::number(i) + " of the file, long enough to look like code;";
        if (changed && i % Every == 0)
            text += " // changed";
        text += '\n';
    }
    return file.write(text) == text.size();
}

class PaintWatch : public QObject {
public:
    bool painted = false;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override
    {
        if (event->type() == QEvent::Paint) {
            const bool handled = QObject::eventFilter(watched, event);
            painted = true;
            return handled;
        }
        return false;
    }
};

// Milliseconds from the captured text to the pane painted once.
qint64 OpenOnce(const std::string& output)
{
    QElapsedTimer clock;
    clock.start();
    kestro::gui::DiffView view(QStringLiteral("bench"));
    PaintWatch watch;
    view.unifiedPane()->viewport()->installEventFilter(&watch);
    view.showCompare(output, 1, QString());
    view.show();
    while (!watch.painted && !clock.hasExpired(60000))
        QCoreApplication::processEvents(QEventLoop::AllEvents, 5);
    // The paint itself runs after the event filter has seen it.
    const qint64 elapsed = clock.elapsed();
    view.unifiedPane()->viewport()->removeEventFilter(&watch);
    return elapsed;
}

} // namespace

int main(int argc, char** argv)
{
    QApplication app(argc, argv);
    const int runs = argc > 1 ? std::max(1, std::atoi(argv[1])) : 5;
    QTemporaryDir dir;
    const QString before = dir.filePath(QStringLiteral("before.c"));
    const QString after = dir.filePath(QStringLiteral("after.c"));
    if (!WriteLines(before, false) || !WriteLines(after, true)) {
        std::fprintf(stderr, "cannot write the files\n");
        return 1;
    }
    QProcess diff;
    diff.start(QStringLiteral("diff"), {QStringLiteral("-u"), before, after});
    diff.waitForFinished(-1);
    const std::string output = diff.readAllStandardOutput().toStdString();

    qint64 best = -1;
    for (int i = 0; i < runs; ++i) {
        const qint64 elapsed = OpenOnce(output);
        std::printf("run %d: first paint %lld ms\n", i + 1, static_cast<long long>(elapsed));
        best = best < 0 ? elapsed : std::min(best, elapsed);
    }

    kestro::gui::DiffView view(QStringLiteral("bench"));
    view.showCompare(output, 1, QString());
    view.show();
    QCoreApplication::processEvents();
    QElapsedTimer clock;
    clock.start();
    view.setSideBySide(true);
    QCoreApplication::processEvents();
    const qint64 sideBySide = clock.elapsed();

    std::printf("diff view: %d lines, %d changed, first paint %lld ms (best of %d), side by side %lld ms\n", Lines,
                Lines / Every, static_cast<long long>(best), runs, static_cast<long long>(sideBySide));
    return 0;
}
