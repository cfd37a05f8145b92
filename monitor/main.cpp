#include <QCoreApplication>

#include "Application.h"
#include "Clock.h"
#include "MonitorPlatform.h"
#include "ProgramIcon.h"
#include "ProgramWindows.h"
#include "SettingsFile.h"

int main(int argc, char** argv) {
    // The log of this run is named after the moment it started, before anything can wait on the
    // user (the theme's error box, for one).
    const QDateTime runStarted = SystemClock().now();
    ModalMessageBoxes messages;
    TApplication app(argc, argv, messages);
    RunGuarded(
        [&] {
            const QString settingsFile = SettingsFileFor(QCoreApplication::applicationFilePath());
            ApplyTheme(app, ReadThemeStyle(settingsFile), messages);
            QCoreApplication::setApplicationName(QStringLiteral("Plovik QSM"));
            // Message boxes and any window made later carry it too.
            QApplication::setWindowIcon(ProgramIcon());

            ProgramWindows windows(MonitorPlatform::system(settingsFile, runStarted));
            windows.fZIVizovor.showMaximized();
            QApplication::exec();
        },
        messages);
    return 0;
}
