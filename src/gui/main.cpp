// kestro [FILE]: the desktop program. With no file it starts a new project;
// a file is routed as any file handed to the program is.

#include "gui/application.h"
#include "gui/main_frame.h"

#include <QApplication>
#include <QStringList>

#include <cstdio>

int main(int argc, char** argv)
{
    QApplication application(argc, argv);
    QApplication::setOrganizationName(QStringLiteral("Fenwycliff"));
    QApplication::setApplicationName(QStringLiteral("Kestro"));

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
    return application.exec();
}
