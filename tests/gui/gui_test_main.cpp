// The desktop tests run offscreen, with settings in a scratch directory, in UTC.

#include <QApplication>
#include <QSettings>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <cstdlib>
#include <ctime>

int main(int argc, char** argv)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QTemporaryDir settingsDirectory;
    qputenv("XDG_CONFIG_HOME", settingsDirectory.path().toUtf8());
    setenv("TZ", "UTC", 1);
    tzset();
    QApplication application(argc, argv);
    QSettings::setPath(QSettings::NativeFormat, QSettings::UserScope, settingsDirectory.path());
    QSettings::setPath(QSettings::IniFormat, QSettings::UserScope, settingsDirectory.path());
    testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
