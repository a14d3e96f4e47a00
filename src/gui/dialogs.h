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
class QTreeWidget;

namespace kestro {

class CKestroDoc;
class RCSOptions;
class RCSReleaseRoot;
class Site;
class SiteList;
struct CheckinSettings;
struct CheckoutSettings;
struct CompareSettings;
struct ImportSettings;
struct MergeSettings;
struct ReceiveSettings;
struct ReportSettings;
struct SendSettings;

namespace gui {

// "Check in": revision combo (filled by the settings' item's FillCombo),
// Lock, Force, Determine revision, Keep original file time, and the message;
// Enter ends the dialog with OK, Ctrl+Enter starts a new line. It names
// what it checks in, opens with the message in focus, and asks before
// checking in with an empty message.
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

// "Edit Remote Site Details": one site's name, e-mail address and send
// command. OK is refused, keeping the values as typed, for a name that
// cannot name a site or that another site has; otherwise the send directory
// is cleared when asked (under the old name) and the values are applied.
// The master choice is left to the caller, since a new site must first join
// the list.
class EditSiteDialog : public QDialog {
    Q_OBJECT
public:
    EditSiteDialog(SiteList& sites, Site& site, QWidget* parent = nullptr);
    bool masterChecked() const;
    void accept() override;

private:
    SiteList& sites_;
    Site& site_;
    QLineEdit* name_;
    QLineEdit* email_;
    QCheckBox* master_;
    QLineEdit* sendCommand_;
    QCheckBox* removeOldFiles_;
};

// "Remote sites": the remote sites with their e-mail addresses, the master
// marked; Edit (or a double-click), Insert and Delete change the list at
// once.
class RemoteSitesDialog : public QDialog {
    Q_OBJECT
public:
    RemoteSitesDialog(SiteList& sites, QWidget* parent = nullptr);

private:
    void Fill(const Site* selected);
    Site* SelectedSite() const;
    void EditSelected();
    void InsertSite();
    void DeleteSelected();

    SiteList& sites_;
    QTreeWidget* list_;
};

// "Send release to remote site": the original release follows the chosen
// destination's last exchanged release.
class SendDialog : public QDialog {
    Q_OBJECT
public:
    SendDialog(SendSettings& settings, const SiteList& sites, RCSReleaseRoot& releases, QWidget* parent = nullptr);
    void accept() override;

private:
    void PresetOriginalRelease();

    SendSettings& settings_;
    const SiteList& sites_;
    QComboBox* destination_;
    QComboBox* release_;
    QComboBox* original_;
    std::vector<QRadioButton*> choices_;
    QCheckBox* deleteTemporary_;
};

// "Receive release".
class ReceiveDialog : public QDialog {
    Q_OBJECT
public:
    ReceiveDialog(ReceiveSettings& settings, QWidget* parent = nullptr);
    void accept() override;

private:
    ReceiveSettings& settings_;
    QCheckBox* lock_;
    QCheckBox* keepTime_;
    QCheckBox* mergeAfterImport_;
};

// "Import release": OK closes only for a valid release name.
class ImportDialog : public QDialog {
    Q_OBJECT
public:
    ImportDialog(ImportSettings& settings, const SiteList& sites, QWidget* parent = nullptr);
    void accept() override;

private:
    ImportSettings& settings_;
    QComboBox* site_;
    QLineEdit* directory_;
    QLineEdit* releaseName_;
    QPlainTextEdit* message_;
    QCheckBox* determineRevision_;
    QCheckBox* lock_;
    QCheckBox* force_;
    QCheckBox* keepTime_;
    QCheckBox* includeSubdirectories_;
    QCheckBox* mergeAfterImport_;
};

} // namespace gui
} // namespace kestro
