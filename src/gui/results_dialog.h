#pragma once

// "Command results": the output of the programs a command runs, shown while
// the command's worker runs and afterwards. While a command runs the window
// polls the results text and the worker; OK and "&Save As ..." become
// available once the worker has ended. Closing the window early leaves the
// worker running. A line above the text says "N of M - FILE" while the
// command works through many items. "Stop" ends the program the worker is
// waiting for, so that a program that hangs cannot hold the project forever,
// and ends the command after the item at hand.

#include <QDialog>
#include <QRect>

class QLabel;
class QPlainTextEdit;
class QPushButton;
class QTimer;

namespace kestro::gui {

class CShowResultsDlg : public QDialog {
    Q_OBJECT
public:
    enum RunState { Finished = -1, Viewing = 0, Running = 1 };

    explicit CShowResultsDlg(RunState state, QWidget* parent = nullptr);

    RunState runState() const { return runState_; }
    QString shownText() const;
    // Writes the whole results text to the file; false when it cannot.
    static bool SaveResults(const QString& path);

    void done(int result) override;

private:
    void poll();
    void refreshText();
    void saveAs();
    void stop();

    RunState runState_;
    qsizetype shownLength_ = 0;
    QLabel* progress_;
    QPlainTextEdit* text_;
    QPushButton* ok_;
    QPushButton* saveAs_;
    QPushButton* stop_;
    QTimer* timer_;

    // Where the window was when last closed, for this session only.
    static QRect savedRect_;
};

} // namespace kestro::gui
