#pragma once

// A window that shows the differences a compare found: unified by default,
// side by side on request, with next and previous change (F7, Shift+F7), a
// word-wrap switch and "Save as patch". It is opened as the compare starts
// and says so until the captured rcsdiff output arrives; the program never
// runs on this thread. When nothing parses as a difference, it says "No
// differences" or, when rcsdiff reported trouble, shows the command results.

#include "model/unified_diff.h"

#include <QMainWindow>

#include <string>
#include <vector>

class QAction;
class QPlainTextEdit;
class QStackedWidget;

namespace kestro::gui {

class DiffPane;

class DiffView : public QMainWindow {
    Q_OBJECT
public:
    explicit DiffView(const QString& title, QWidget* parent = nullptr);

    // output is what rcsdiff printed, result its exit status (0 no
    // differences, 1 differences, 2 trouble, -1 not started), results the
    // command results text.
    void showCompare(const std::string& output, int result, const QString& results);
    // Writes the captured output as it came; false when the file cannot be
    // written.
    bool savePatch(const QString& path) const;

    bool isSideBySide() const;
    void setSideBySide(bool on);
    void setWordWrap(bool on);
    void nextChange();
    void previousChange();

    DiffPane* unifiedPane() const { return unified_; }
    DiffPane* leftPane() const { return left_; }
    DiffPane* rightPane() const { return right_; }
    QPlainTextEdit* messagePane() const { return message_; }
    QAction* nextAction() const { return next_; }
    QAction* previousAction() const { return previous_; }

private:
    void showMessage(const QString& text);
    DiffPane* activePane() const;
    void askSavePatch();

    std::string output_;
    std::vector<FileDiff> files_;
    bool sidesFilled_ = false;
    QStackedWidget* pages_;
    DiffPane* unified_;
    QWidget* sideBySide_;
    DiffPane* left_;
    DiffPane* right_;
    QPlainTextEdit* message_;
    QAction* next_;
    QAction* previous_;
    QAction* sideBySideSwitch_;
    QAction* wrap_;
    QAction* save_;
};

} // namespace kestro::gui
