// Runs the tests with their settings in a temporary directory, never the
// user's own, and with a fixed time zone so that formatted times are known.
// The desktop tests run offscreen unless told otherwise.

#include <QSettings>
#include <QTemporaryDir>

#ifdef KESTRO_GUI_TESTS
#include <QApplication>
using Application = QApplication;
#else
#include <QCoreApplication>
using Application = QCoreApplication;
#endif

#include <gtest/gtest.h>

#include <cstdlib>
#include <ctime>

int main(int argc, char** argv)
{
#ifdef KESTRO_GUI_TESTS
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
#endif
    QTemporaryDir settingsDirectory;
    qputenv("XDG_CONFIG_HOME", settingsDirectory.path().toUtf8());
    setenv("TZ", "UTC", 1);
    tzset();
    Application application(argc, argv);
    QSettings::setPath(QSettings::NativeFormat, QSettings::UserScope, settingsDirectory.path());
    QSettings::setPath(QSettings::IniFormat, QSettings::UserScope, settingsDirectory.path());
    testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
