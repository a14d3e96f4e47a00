// Runs the tests with their settings in a temporary directory, never the
// user's own, and with a fixed time zone so that formatted times are known.

#include <QCoreApplication>
#include <QSettings>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <cstdlib>
#include <ctime>

int main(int argc, char** argv)
{
    QTemporaryDir settingsDirectory;
    qputenv("XDG_CONFIG_HOME", settingsDirectory.path().toUtf8());
    setenv("TZ", "UTC", 1);
    tzset();
    QCoreApplication application(argc, argv);
    QSettings::setPath(QSettings::NativeFormat, QSettings::UserScope, settingsDirectory.path());
    QSettings::setPath(QSettings::IniFormat, QSettings::UserScope, settingsDirectory.path());
    testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
