#include "SecondaryWindow.h"

TSecondaryWindow::TSecondaryWindow(QWidget* parent) : QDialog(parent) {
    setModal(false);
    setAttribute(Qt::WA_QuitOnClose, false);
}

void TSecondaryWindow::ShowInFront() {
    show();
    raise();
    activateWindow();
}
