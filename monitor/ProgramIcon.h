#pragma once

#include <QIcon>

// The program's own icon, drawn as SVG in monitor/resources (the desktop entry uses the same file).
QIcon ProgramIcon();
