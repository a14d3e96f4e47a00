#pragma once

// The Options sheet: the settings for all projects, the open project's own
// settings and the local site's details, each page editing a copy that
// EditOptions applies once the sheet ends with OK.

#include <QDialog>
#include <QString>

class QCheckBox;
class QLineEdit;
class QPlainTextEdit;
class QTabWidget;
class QTreeWidget;

namespace kestro::gui {

struct OptionsSheetValues {
    // General
    QString timeFormat;
    bool useUniversalTime = false;
    bool sortHighestFirst = true;
    // File Types: a filter in the file dialogs' form
    QString fileTypes;
    bool fileTypesAreDefault = false;
    // Release name file
    QString releaseNameFile;
    QString releaseNameTemplate;
    bool releaseNameIsDefault = false;
    // Site details
    QString siteName;
    QString siteEmail;
    QString sendCommand;
    bool siteIsDefault = false;
    bool masterSite = false;  // shown only, never read back
};

class OptionsSheet : public QDialog {
    Q_OBJECT
public:
    enum Page { GeneralPage, FileTypesPage, ReleaseNamePage, SiteDetailsPage };

    explicit OptionsSheet(const OptionsSheetValues& values, QWidget* parent = nullptr);
    OptionsSheetValues values() const;
    void showPage(Page page);

private:
    QWidget* createGeneralPage(const OptionsSheetValues& values);
    QWidget* createFileTypesPage(const OptionsSheetValues& values);
    QWidget* createReleaseNamePage(const OptionsSheetValues& values);
    QWidget* createSiteDetailsPage(const OptionsSheetValues& values);
    void editFileType();
    void insertFileType();
    void deleteFileType();
    QString templateText() const;

    QTabWidget* pages_ = nullptr;

    QLineEdit* timeFormat_ = nullptr;
    QCheckBox* useUniversalTime_ = nullptr;
    QCheckBox* sortHighestFirst_ = nullptr;

    QTreeWidget* fileTypes_ = nullptr;
    QCheckBox* fileTypesAreDefault_ = nullptr;
    QString originalFileTypes_;
    bool fileTypesPageOpened_ = false;

    QLineEdit* releaseNameFile_ = nullptr;
    QPlainTextEdit* releaseNameTemplate_ = nullptr;
    QCheckBox* releaseNameIsDefault_ = nullptr;
    QString originalTemplate_;

    QLineEdit* siteName_ = nullptr;
    QLineEdit* siteEmail_ = nullptr;
    QLineEdit* sendCommand_ = nullptr;
    QCheckBox* siteIsDefault_ = nullptr;
    QCheckBox* masterSite_ = nullptr;
};

} // namespace kestro::gui
