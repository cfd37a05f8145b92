#pragma once

#include "MonitorPlatform.h"
#include "Uabout.h"
#include "Uaverage.h"
#include "Uzivizovor.h"

// The three windows of the program, created in this order and each carrying the program's icon.
// The About box opens its link through the platform's shell, as the main window's commands do.
// The About and Average windows stay hidden until their commands show them; closing the main
// window ends the program, whatever else is open.
struct ProgramWindows {
    explicit ProgramWindows(const MonitorPlatform& platform);

    TfZIVizovor fZIVizovor;
    TfAbout fAbout;
    TfAverage fAverage;
};
