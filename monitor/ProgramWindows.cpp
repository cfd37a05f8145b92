#include "ProgramWindows.h"

#include "ProgramIcon.h"

ProgramWindows::ProgramWindows(const MonitorPlatform& platform) : fZIVizovor(platform) {
    fZIVizovor.fAbout = &fAbout;
    fZIVizovor.fAverage = &fAverage;
    fAbout.OpenLink = platform.openUrl;
    for (QWidget* dialog : {static_cast<QWidget*>(&fAbout), static_cast<QWidget*>(&fAverage)})
        dialog->setWindowIcon(ProgramIcon());
}
