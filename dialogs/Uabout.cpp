#include "Uabout.h"

TfAbout::TfAbout(QWidget* parent) : QDialog(parent) {
    setObjectName(QStringLiteral("fAbout"));
    setWindowTitle(QStringLiteral("About Plovik Comport Monitor"));
}
