// kestro [FILE] | --version: the desktop program. With no file it starts a
// new project; a file is routed as any file handed to the program is.
// Without a display the window cannot open, so a project named on the
// command line is shown in the terminal instead.

#include "app/document.h"
#include "app/text_tree_view.h"
#include "gui/app_icon.h"
#include "gui/application.h"
#include "gui/main_frame.h"
#include "gui/termination_signals.h"
#include "model/options.h"

#include <QApplication>
#include <QStringList>

#include <cstdio>
#include <cstring>
#include <string>

namespace {

bool HasDisplay()
{
    return !qEnvironmentVariableIsEmpty("DISPLAY") || !qEnvironmentVariableIsEmpty("WAYLAND_DISPLAY")
           || !qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM");
}

int ShowInTerminal(int argc, char** argv)
{
    std::fprintf(stderr, "kestro: no display is available, so the window cannot open.\n");
    if (argc != 2) {
        std::fprintf(stderr, "Name a project file to see it here as text: kestro PROJECT.rcs\n");
        return 1;
    }
    std::fprintf(stderr, "Here is the project %s as the window would show it:\n\n", argv[1]);
    kestro::RCSOptions::instance().LoadOptions();
    kestro::TextTreeView view;
    kestro::SetItemView(&view);
    kestro::CKestroDoc doc;
    std::string error;
    const bool opened = doc.OnOpenDocument(argv[1], error);
    if (opened)
        doc.InsertTreesIntoView();
    kestro::SetItemView(nullptr);
    if (!opened) {
        std::fprintf(stderr, "kestro: %s\n", error.c_str());
        return 1;
    }
    std::fputs(view.Render(true).c_str(), stdout);
    return 0;
}

} // namespace

int main(int argc, char** argv)
{
    if (argc == 2 && std::strcmp(argv[1], "--version") == 0) {
        std::printf("kestro %s\n", KESTRO_VERSION);
        return 0;
    }
    if (!HasDisplay())
        return ShowInTerminal(argc, argv);

    kestro::gui::CatchTerminationSignals();
    QApplication application(argc, argv);
    QApplication::setOrganizationName(QStringLiteral("Fenwycliff"));
    QApplication::setApplicationName(QStringLiteral("Kestro"));
    QApplication::setApplicationVersion(QStringLiteral(KESTRO_VERSION));
    QApplication::setWindowIcon(kestro::gui::ApplicationIcon());
    QGuiApplication::setDesktopFileName(QStringLiteral("kestro"));
    kestro::gui::QuitCleanlyOnTerminationSignals();

    const QStringList arguments = QApplication::arguments();
    if (arguments.size() > 2) {
        std::fprintf(stderr, "usage: kestro [FILE]\n");
        return 2;
    }
    kestro::gui::CMainFrame frame;
    if (arguments.size() == 2 && !kestro::gui::OpenDocumentFile(frame, arguments[1])) {
        std::fprintf(stderr, "kestro: cannot open %s\n", qPrintable(arguments[1]));
        return 1;
    }
    frame.show();
    if (kestro::gui::TerminationRequested())
        return 0;
    return application.exec();
}
