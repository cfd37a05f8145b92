#include <QCoreApplication>

#include "Application.h"
#include "Clock.h"
#include "MonitorPlatform.h"
#include "SettingsFile.h"
#include "Uabout.h"
#include "Uaverage.h"
#include "Uzivizovor.h"

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

            TfZIVizovor fZIVizovor(MonitorPlatform::system(settingsFile, runStarted));
            TfAbout fAbout;
            TfAverage fAverage;
            fZIVizovor.fAbout = &fAbout;
            fZIVizovor.fAverage = &fAverage;
            // Closing the main window ends the program, whatever else is open.
            fAbout.setAttribute(Qt::WA_QuitOnClose, false);
            fAverage.setAttribute(Qt::WA_QuitOnClose, false);
            fZIVizovor.showMaximized();
            QApplication::exec();
        },
        messages);
    return 0;
}
