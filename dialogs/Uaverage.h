#pragma once

#include <QDialog>

class QLineEdit;

// The Average window: running mean and sample count of the quick value search. Created hidden;
// closing it only hides it.
class TfAverage : public QDialog {
    Q_OBJECT

public:
    explicit TfAverage(QWidget* parent = nullptr);

    QLineEdit* eAvrage = nullptr;
    QLineEdit* eSample = nullptr;
};
