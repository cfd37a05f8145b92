#include "Uaverage.h"

#include <QLabel>
#include <QLineEdit>
#include <tuple>
#include <utility>

#include "Fonts.h"

namespace {

// A box with its caption just above it. The caption's first letter is its mnemonic, which moves
// the focus into the box, and a screen reader announces the box by the caption.
std::pair<QLabel*, QLineEdit*> LabelledBox(const char* labelName, const char* boxName,
                                           const QString& caption, int top, QWidget* parent) {
    auto* label = new QLabel(QLatin1Char('&') + caption, parent);
    label->setObjectName(QLatin1String(labelName));
    label->setGeometry(8, top - 18, 121, 16);
    auto* box = new QLineEdit(parent);
    box->setObjectName(QLatin1String(boxName));
    box->setGeometry(8, top, 121, 23);
    box->setAccessibleName(caption);
    label->setBuddy(box);
    return {label, box};
}

}  // namespace

TfAverage::TfAverage(QWidget* parent) : TSecondaryWindow(parent) {
    setObjectName(QStringLiteral("fAverage"));
    setWindowTitle(QStringLiteral("Average"));
    setFont(PixelFont(QStringLiteral("Segoe UI"), 12));
    setFixedSize(146, 112);
    std::tie(Label1, eAvrage) =
        LabelledBox("Label1", "eAvrage", QStringLiteral("Average"), 32, this);
    std::tie(Label2, eSample) =
        LabelledBox("Label2", "eSample", QStringLiteral("Number of Sample"), 81, this);
}
