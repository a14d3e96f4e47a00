#include "gui/results_dialog.h"

#include "app/command_locks.h"
#include "model/command_progress.h"
#include "model/command_results.h"
#include "rcs/command_runner.h"

#include <QFile>
#include <QFileDialog>
#include <QHBoxLayout>
#include <QLabel>
#include <QMessageBox>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QScrollBar>
#include <QTextCursor>
#include <QThread>
#include <QTimer>
#include <QVBoxLayout>

namespace kestro::gui {

QRect CShowResultsDlg::savedRect_;

namespace {

// The results keep the programs' "\r\n" line ends; the edit control wants "\n".
QString Displayed(const std::string& text)
{
    return QString::fromStdString(text).remove(QLatin1Char('\r'));
}

} // namespace

CShowResultsDlg::CShowResultsDlg(RunState state, QWidget* parent) : QDialog(parent), runState_(state)
{
    setWindowTitle(QStringLiteral("Command results"));
    setSizeGripEnabled(true);
    setMinimumSize(180, 120);
    resize(520, 320);

    progress_ = new QLabel(this);
    progress_->setObjectName(QStringLiteral("progress"));
    progress_->hide();
    text_ = new QPlainTextEdit(this);
    text_->setObjectName(QStringLiteral("results"));
    text_->setReadOnly(true);
    text_->setLineWrapMode(QPlainTextEdit::NoWrap);
    text_->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    text_->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);

    saveAs_ = new QPushButton(QStringLiteral("&Save As ..."), this);
    saveAs_->setObjectName(QStringLiteral("saveAs"));
    saveAs_->setAutoDefault(false);
    stop_ = new QPushButton(QStringLiteral("Stop"), this);
    stop_->setObjectName(QStringLiteral("stop"));
    stop_->setAutoDefault(false);
    stop_->setToolTip(QStringLiteral("End the program that the command is waiting for, and the command after "
                                     "the item at hand"));
    ok_ = new QPushButton(QStringLiteral("OK"), this);
    ok_->setObjectName(QStringLiteral("ok"));
    ok_->setDefault(true);

    auto* buttons = new QHBoxLayout;
    buttons->addWidget(saveAs_);
    buttons->addWidget(stop_);
    buttons->addStretch();
    buttons->addWidget(ok_);
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(7, 7, 7, 7);
    layout->addWidget(progress_);
    layout->addWidget(text_);
    layout->addLayout(buttons);

    connect(ok_, &QPushButton::clicked, this, &QDialog::accept);
    connect(saveAs_, &QPushButton::clicked, this, &CShowResultsDlg::saveAs);
    connect(stop_, &QPushButton::clicked, this, &CShowResultsDlg::stop);

    timer_ = new QTimer(this);
    timer_->setInterval(100);
    connect(timer_, &QTimer::timeout, this, &CShowResultsDlg::poll);

    const bool running = runState_ == Running;
    ok_->setEnabled(!running);
    saveAs_->setEnabled(!running);
    stop_->setEnabled(running);
    if (running)
        timer_->start();
    // Before the first window of the session closes there is no place to
    // go back to, and an empty rectangle would shrink it to its minimum.
    if (savedRect_.isValid())
        setGeometry(savedRect_);
    refreshText();
}

QString CShowResultsDlg::shownText() const
{
    return text_->toPlainText();
}

void CShowResultsDlg::poll()
{
    if (runState_ != Running)
        return;
    // The worker appends its last output before it ends, so text read after
    // its end was seen is complete.
    const bool ended = !CommandLocks::instance().IsCommandRunning();
    refreshText();
    const CommandProgress::State progress = CommandProgress::instance().Get();
    progress_->setVisible(!ended && progress.total > 1);
    progress_->setText(QString::fromStdString(ProgressText(progress)));
    if (!ended)
        return;
    runState_ = Finished;
    timer_->stop();
    stop_->setEnabled(false);
    saveAs_->setEnabled(true);
    ok_->setEnabled(true);
    ok_->setFocus();
}

void CShowResultsDlg::refreshText()
{
    const std::string text = CommandResults::instance().Text();
    const auto length = static_cast<qsizetype>(text.size());
    if (length == shownLength_)
        return;
    // While a command runs the text only grows, so only the new part is added.
    if (shownLength_ > 0 && length > shownLength_) {
        QTextCursor end(text_->document());
        end.movePosition(QTextCursor::End);
        end.insertText(Displayed(text.substr(static_cast<std::size_t>(shownLength_))));
    } else {
        text_->setPlainText(Displayed(text));
    }
    shownLength_ = length;
    text_->verticalScrollBar()->setValue(text_->verticalScrollBar()->maximum());
}

bool CShowResultsDlg::SaveResults(const QString& path)
{
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate))
        return false;
    const QByteArray bytes = QByteArray::fromStdString(CommandResults::instance().Text());
    return file.write(bytes) == bytes.size() && file.flush();
}

void CShowResultsDlg::saveAs()
{
    const QString path = QFileDialog::getSaveFileName(this, QStringLiteral("Save command results"), QString(),
                                                      QStringLiteral("Text files (*.txt);;All Files (*)"));
    if (path.isEmpty())
        return;
    if (!SaveResults(path))
        QMessageBox::warning(this, QStringLiteral("Kestro"), QStringLiteral("Cannot write the file ") + path);
}

void CShowResultsDlg::stop()
{
    // Stopping waits until the program has gone, up to its grace time; that
    // wait belongs on a thread of its own so that the window keeps working.
    CommandProgress::instance().RequestStop();
    QThread* stopper = QThread::create(&StopRunningProgram);
    connect(stopper, &QThread::finished, stopper, &QObject::deleteLater);
    stopper->start();
}

void CShowResultsDlg::done(int result)
{
    timer_->stop();
    savedRect_ = geometry();
    QDialog::done(result);
}

} // namespace kestro::gui
