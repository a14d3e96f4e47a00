// How the window copes with a big project, offscreen: Check-In on the root
// and Freeze over FILES files with real histories, against the same commands
// run by kestro-cli on a copy of the project, while a timer on the
// interface thread records the longest gap between its ticks; then how long
// a project of 100,000 items takes from Open to its tree shown, and how long
// a file of 1,000 revisions takes to open in the tree.
//
//   window_bench [FILES]
//
// The last line reads exactly:
//   window: checkin ratio R, freeze ratio R, longest stall N ms, open 100000 items N ms

#include "app/command_locks.h"
#include "app/document.h"
#include "gui/main_frame.h"
#include "gui/tree_view.h"
#include "model/file_item.h"
#include "model/options.h"
#include "model/root_item.h"
#include "model/string_helpers.h"
#include "model/version_item.h"
#include "rcs/command_runner.h"
#include "run_program.h"

#include <QAction>
#include <QApplication>
#include <QDialog>
#include <QElapsedTimer>
#include <QLineEdit>
#include <QProcess>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTimer>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

using namespace kestro;
using namespace kestro::gui;
namespace fs = std::filesystem;

namespace {

// FILES files in 20 folders, each checked in once and then edited, so that
// a check-in of the root makes a revision of every file.
bool MakeProject(const std::string& directory, const std::string& modelRcsFile, int files)
{
    std::vector<std::string> paths;
    for (int f = 0; f < files; ++f) {
        const std::string folder = directory + "/dir" + std::to_string(f % 20);
        fs::create_directories(folder + "/RCS");
        const std::string name = "file" + std::to_string(f) + ".c";
        fs::copy_file(modelRcsFile, folder + "/RCS/" + name + ",v");
        std::ofstream(folder + "/" + name) << "revision 1\nedited\n";
        paths.push_back(folder + "/" + name);
    }
    QProcess cli;
    cli.start(KESTRO_CLI, {"new", QString::fromStdString(directory + "/P.rcs")});
    cli.waitForFinished(-1);
    QStringList add{"add", QString::fromStdString(directory + "/P.rcs")};
    for (const std::string& path : paths)
        add << QString::fromStdString(path);
    cli.start(KESTRO_CLI, add);
    cli.waitForFinished(-1);
    return cli.exitCode() == 0;
}

double CliSeconds(const QStringList& arguments)
{
    QElapsedTimer clock;
    clock.start();
    QProcess cli;
    cli.start(KESTRO_CLI, arguments);
    cli.waitForFinished(-1);
    if (cli.exitCode() != 0)
        std::fprintf(stderr, "kestro-cli %s failed: %s\n", arguments.join(' ').toLocal8Bit().constData(),
                     cli.readAllStandardError().constData());
    return static_cast<double>(clock.elapsed()) / 1000.0;
}

// Answers the window's dialogs as a user would, and closes the results
// window once its command has ended.
class User : public QObject {
public:
    explicit User(QString releaseName) : releaseName_(std::move(releaseName))
    {
        connect(&timer_, &QTimer::timeout, this, [this] { act(); });
        timer_.start(5);
    }

private:
    void act()
    {
        auto* dialog = qobject_cast<QDialog*>(QApplication::activeModalWidget());
        if (!dialog)
            return;
        if (auto* ok = dialog->findChild<QPushButton*>(QStringLiteral("ok"))) {
            // The results window: closed once the command is over.
            if (ok->isEnabled() && !CommandLocks::instance().IsRunning())
                ok->click();
            return;
        }
        if (auto* name = dialog->findChild<QLineEdit*>(); name && dialog->windowTitle() == "Freeze a release")
            name->setText(releaseName_);
        dialog->accept();
    }
    QString releaseName_;
    QTimer timer_;
};

// Records the longest time the interface thread did not get to its timer.
class StallMeter {
public:
    StallMeter()
    {
        QObject::connect(&timer_, &QTimer::timeout, [this] {
            longest = std::max(longest, sinceTick_.restart());
        });
        sinceTick_.start();
        timer_.start(5);
    }
    qint64 longest = 0;

private:
    QElapsedTimer sinceTick_;
    QTimer timer_;
};

double WindowSeconds(CMainFrame& frame, Command command, const QString& releaseName, qint64& stall)
{
    User user(releaseName);
    StallMeter meter;
    QElapsedTimer clock;
    clock.start();
    frame.action(command)->trigger();
    while (CommandLocks::instance().IsRunning())
        QApplication::processEvents(QEventLoop::AllEvents, 10);
    frame.view().applyPendingChanges();
    QApplication::processEvents();
    stall = std::max(stall, meter.longest);
    return static_cast<double>(clock.elapsed()) / 1000.0;
}

// A project file of files x revisions items, with one file of 1,000
// revisions, written by the core without any RCS file behind it.
std::string MakeBigProjectFile(const std::string& directory, int files, int revisions)
{
    fs::create_directories(directory);
    CKestroDoc doc;
    doc.OnNewDocument();
    for (int f = 0; f < files; ++f) {
        auto file = std::make_unique<RCSFileItem>("dir" + std::to_string(f % 50) + "\\big" + std::to_string(f) + ".c",
                                                  doc.root.get());
        RCSFileItem* fileItem = file.get();
        doc.root->AddChild(std::move(file));
        const int count = f == 0 ? 1000 : revisions;
        for (int r = 1; r <= count; ++r) {
            auto revision = std::make_unique<RCSVersionItem>();
            revision->name = "1." + std::to_string(r);
            revision->file = fileItem;
            revision->message = "Change number " + std::to_string(r);
            fileItem->AddChild(std::move(revision));
        }
    }
    std::string error;
    const std::string path = directory + "/Big.rcs";
    if (!doc.OnSaveDocument(path, error))
        std::fprintf(stderr, "%s\n", error.c_str());
    return path;
}

} // namespace

int main(int argc, char** argv)
{
    qputenv("QT_QPA_PLATFORM", qgetenv("QT_QPA_PLATFORM").isEmpty() ? "offscreen" : qgetenv("QT_QPA_PLATFORM"));
    QApplication application(argc, argv);
    const int files = argc > 1 ? std::atoi(argv[1]) : 2000;

    QTemporaryDir scratch;
    const std::string root = scratch.path().toStdString();
    fs::current_path(root);
    // The user's own settings stay out of it, for the programs it starts too.
    qputenv("XDG_CONFIG_HOME", QByteArray::fromStdString(root + "/settings"));
    fs::create_directories("RCS");
    std::ofstream("model.c") << "revision 1\n";
    if (!RunProgram({"ci", "-l", "-t-model", "-mFirst", "model.c"}))
        return 1;
    if (!MakeProject(root + "/cli", root + "/RCS/model.c,v", files)
        || !MakeProject(root + "/win", root + "/RCS/model.c,v", files))
        return 1;

    const QString cliProject = QString::fromStdString(root + "/cli/P.rcs");
    const double cliCheckin = CliSeconds({"checkin", cliProject, "-m", "bench"});
    const double cliFreeze = CliSeconds({"freeze", cliProject, "R1"});

    // Made before the window, whose view would otherwise show it too.
    const std::string big = MakeBigProjectFile(root + "/big", 10000, 9);
    RCSOptions::instance().checkin.logMessage = "bench";
    qint64 stall = 0;
    double windowCheckin = 0;
    double windowFreeze = 0;
    double openBig = 0;
    double expandBig = 0;
    {
        CMainFrame frame;
        frame.show();
        frame.OpenProject(QString::fromStdString(root + "/win/P.rcs"));
        while (CommandLocks::instance().IsRefreshPending())
            QApplication::processEvents(QEventLoop::AllEvents, 10);
        frame.view().applyPendingChanges();
        frame.view().setCurrentItem(frame.view().topLevelItem(1));
        windowCheckin = WindowSeconds(frame, Command::Checkin, QString(), stall);
        windowFreeze = WindowSeconds(frame, Command::Freeze, QStringLiteral("R1"), stall);

        frame.document().SetModifiedFlag(false);
        QElapsedTimer clock;
        clock.start();
        frame.OpenProject(QString::fromStdString(big));
        frame.view().applyPendingChanges();
        QApplication::processEvents();
        openBig = static_cast<double>(clock.elapsed());

        QTreeWidgetItem* longFile = frame.view().topLevelItem(1)->child(0);
        clock.restart();
        longFile->setExpanded(true);
        QApplication::processEvents();
        expandBig = static_cast<double>(clock.elapsed());
        frame.document().SetModifiedFlag(false);
    }

    const double checkinRatio = cliCheckin > 0 ? windowCheckin / cliCheckin : 0;
    const double freezeRatio = cliFreeze > 0 ? windowFreeze / cliFreeze : 0;
    std::printf("project: %d files, each checked in once and edited\n", files);
    std::printf("check-in of the root: command line %.2f s, window %.2f s, ratio %.2f\n", cliCheckin, windowCheckin,
                checkinRatio);
    std::printf("freeze:               command line %.2f s, window %.2f s, ratio %.2f\n", cliFreeze, windowFreeze,
                freezeRatio);
    std::printf("longest interface-thread stall during both: %lld ms\n", static_cast<long long>(stall));
    std::printf("open 100000 items to tree shown: %.0f ms; open a file of 1000 revisions: %.0f ms\n", openBig,
                expandBig);
    std::printf("window: checkin ratio %.2f, freeze ratio %.2f, longest stall %lld ms, open 100000 items %.0f ms\n",
                checkinRatio, freezeRatio, static_cast<long long>(stall), openBig);
    return 0;
}
