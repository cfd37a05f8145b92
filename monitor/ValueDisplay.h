#pragma once

#include <QLocale>

#include "ValueSearch.h"

class QLineEdit;
class TfAverage;

// The last value steps of a matching line: y goes into the value box, and into the average while
// the Average window is visible. A matching line that arrives while the window is hidden (or
// absent) starts the average afresh and leaves the window's boxes as they are.
void ShowScaledValue(double y, QLineEdit& eValue, RunningAverage& average,
                     const TfAverage* fAverage, const QLocale& locale = QLocale::system());
