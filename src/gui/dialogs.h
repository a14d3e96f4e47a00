#pragma once

// The command dialogs. Each is thin: it shows its settings, validates what
// it must, and on OK writes the values back; the caller runs the command.

#include <QDialog>
#include <QString>
#include <QStringList>

#include <functional>
#include <memory>
#include <string>
#include <vector>

class QCheckBox;
class QComboBox;
class QLineEdit;
class QPlainTextEdit;
class QRadioButton;

namespace kestro {

class CKestroDoc;
class RCSOptions;
struct CheckinSettings;
struct CheckoutSettings;
struct CompareSettings;
struct MergeSettings;
struct ReportSettings;

namespace gui {

// "Check in": revision combo (filled by the settings' item's FillCombo),
// Lock, Force, Determine revision, Keep original file time, and the message;
// Enter ends the dialog with OK, Ctrl+Enter starts a new line.
class CheckinDialog : public QDialog {
    Q_OBJECT
public:
    CheckinDialog(CheckinSettings& settings, QWidget* parent = nullptr);
    void accept() override;

private:
    CheckinSettings& settings_;
    QComboBox* revision_;
    QCheckBox* lock_;
    QCheckBox* force_;
    QCheckBox* determineRevision_;
    QCheckBox* keepTime_;
    QPlainTextEdit* message_;
};

// "Check out": the "Check out to file" box is enabled only when the
// settings allow a target file.
class CheckoutDialog : public QDialog {
    Q_OBJECT
public:
    CheckoutDialog(CheckoutSettings& settings, QWidget* parent = nullptr);
    void accept() override;

private:
    CheckoutSettings& settings_;
    QComboBox* revision_;
    QCheckBox* lock_;
    QCheckBox* force_;
    QCheckBox* determineRevision_;
    QCheckBox* keepTime_;
    QLineEdit* date_;
    QCheckBox* noKeywords_;
    QLineEdit* targetFile_;
};

// "Compare Revisions".
class CompareDialog : public QDialog {
    Q_OBJECT
public:
    CompareDialog(CompareSettings& settings, QWidget* parent = nullptr);
    void accept() override;

private:
    CompareSettings& settings_;
    QComboBox* revision1_;
    QComboBox* revision2_;
    QCheckBox* ignoreCase_;
    QCheckBox* ignoreWhiteSpace_;
    QCheckBox* ignoreBlankSpace_;
    QCheckBox* ignoreBlankLines_;
    QCheckBox* contextDiff_;
    QCheckBox* showCFunction_;
    QCheckBox* noKeywords_;
};

// "Merge": OK with an empty revision 1 shows "Revision 1 must be filled in"
// and keeps the dialog open.
class MergeDialog : public QDialog {
    Q_OBJECT
public:
    MergeDialog(MergeSettings& settings, QWidget* parent = nullptr);
    void accept() override;

private:
    MergeSettings& settings_;
    QComboBox* revision1_;
    QComboBox* revision2_;
    QCheckBox* ignoreKeywords_;
};

// "Report": "Revisions a&fter specified revision" is enabled by the two
// log-message choices and disabled by the other four.
class ReportDialog : public QDialog {
    Q_OBJECT
public:
    ReportDialog(ReportSettings& settings, QWidget* parent = nullptr);
    void accept() override;

private:
    ReportSettings& settings_;
    QComboBox* revisions_;
    QLineEdit* dates_;
    QLineEdit* users_;
    QLineEdit* states_;
    QCheckBox* lockedOnly_;
    QCheckBox* symbolicNames_;
    std::vector<QRadioButton*> information_;
    QCheckBox* afterRevision_;
};

// "Freeze a release": OK closes only for a valid release name.
class FreezeDialog : public QDialog {
    Q_OBJECT
public:
    explicit FreezeDialog(QWidget* parent = nullptr);
    QString releaseName() const;
    void accept() override;

private:
    QLineEdit* name_;
};

// "Confirm deletion": availability bit 2 enables "&Delete from RCS"
// (checked), bit 4 "Delete &Working file". flags(): 0 when cancelled, else
// 1 + 2 x from RCS + 4 x working file.
class ConfirmDeleteDialog : public QDialog {
    Q_OBJECT
public:
    ConfirmDeleteDialog(const QString& description, unsigned availability, QWidget* parent = nullptr);
    unsigned flags() const;

private:
    QCheckBox* deleteFromRcs_;
    QCheckBox* deleteWorkingFile_;
};

// "Change owner of revision": the owner combo holds every site's name.
class OwnerDialog : public QDialog {
    Q_OBJECT
public:
    OwnerDialog(const QString& description, const QString& ownerName, const QStringList& siteNames,
                QWidget* parent = nullptr);
    QString ownerName() const;

private:
    QComboBox* owner_;
};

// "Enter new Working Directory".
class WorkingDirectoryDialog : public QDialog {
    Q_OBJECT
public:
    explicit WorkingDirectoryDialog(const QString& directory, QWidget* parent = nullptr);
    QString directory() const;

private:
    QLineEdit* directory_;
};

// "Edit File Type": a description and its patterns.
class EditFileTypeDialog : public QDialog {
    Q_OBJECT
public:
    EditFileTypeDialog(const QString& description, const QString& patterns, QWidget* parent = nullptr);
    QString description() const;
    QString patterns() const;

private:
    QLineEdit* description_;
    QLineEdit* patterns_;
};

// "About Kestro".
class AboutDialog : public QDialog {
    Q_OBJECT
public:
    explicit AboutDialog(QWidget* parent = nullptr);
};

// The Options sheet ("Kestro Options") with its pages General, File Types,
// Release name file and Site details. EditOptions runs it and applies the
// results to the options and the project; it returns true when the sheet
// ended with OK. resetTree is called when the tree's texts or order must be
// computed anew.
bool EditOptions(CKestroDoc& doc, RCSOptions& options, QWidget* parent, const std::function<void()>& resetTree);

// Splits a file-type filter ("Desc (*.c)|*.c|Text (*.txt)|*.txt") into
// "description\tpatterns" lines and joins them back.
QStringList FileTypeLines(const QString& filter);
QString FileTypeFilter(const QStringList& lines);

} // namespace gui
} // namespace kestro
