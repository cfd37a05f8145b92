#pragma once

#include <QDialog>

// A small window beside the main one: created hidden, never modal, closing it only hides it, and
// it never keeps the program running once the main window has closed.
class TSecondaryWindow : public QDialog {
    Q_OBJECT

public:
    explicit TSecondaryWindow(QWidget* parent = nullptr);

    // Shows the window; one already shown comes to the front.
    void ShowInFront();
};
