#pragma once

#include "SecondaryWindow.h"

class QLabel;
class QLineEdit;

// The Average window: running mean and sample count of the quick value search. The boxes accept
// typing; the next matching line overwrites them.
class TfAverage : public TSecondaryWindow {
    Q_OBJECT

public:
    explicit TfAverage(QWidget* parent = nullptr);

    QLabel* Label1 = nullptr;
    QLineEdit* eAvrage = nullptr;
    QLabel* Label2 = nullptr;
    QLineEdit* eSample = nullptr;
};
