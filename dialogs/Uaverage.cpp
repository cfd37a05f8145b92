#include "Uaverage.h"

#include <QLabel>
#include <QLineEdit>

#include "Fonts.h"

namespace {

QLineEdit* LabelledBox(const char* name, const QString& caption, int top, QWidget* parent) {
    auto* label = new QLabel(caption, parent);
    label->setGeometry(8, top - 18, 121, 16);
    auto* box = new QLineEdit(parent);
    box->setObjectName(QLatin1String(name));
    box->setGeometry(8, top, 121, 23);
    label->setBuddy(box);
    return box;
}

}  // namespace

TfAverage::TfAverage(QWidget* parent) : QDialog(parent) {
    setObjectName(QStringLiteral("fAverage"));
    setWindowTitle(QStringLiteral("Average"));
    setFont(PixelFont(QStringLiteral("Segoe UI"), 12));
    setFixedSize(146, 112);
    eAvrage = LabelledBox("eAvrage", QStringLiteral("Average"), 32, this);
    eSample = LabelledBox("eSample", QStringLiteral("Number of Sample"), 81, this);
}
