#pragma once

#include <QDialog>

class QFrame;
class QLabel;
class QPushButton;

// The About box: program name, version, the maker's notice and web address. Created hidden;
// closing it only hides it.
class TfAbout : public QDialog {
    Q_OBJECT

public:
    explicit TfAbout(QWidget* parent = nullptr);

    QFrame* Panel4 = nullptr;
    QLabel* SoftName = nullptr;
    QLabel* Version = nullptr;
    QFrame* Panel3 = nullptr;
    QLabel* Label8 = nullptr;
    QLabel* Label5 = nullptr;
    QPushButton* BitBtn2 = nullptr;
};
