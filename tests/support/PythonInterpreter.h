#pragma once

#include <QString>

// The Python 3 interpreter itself, not a launcher in front of it (as version managers put on the
// path), so that a process started with it is the script's own and ends with it. Empty when there
// is no python3.
QString PythonInterpreter();
