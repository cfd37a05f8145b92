#include "QuickValueSearchPanel.h"

#include <QAction>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QVBoxLayout>

#include "Fonts.h"

TQuickValueSearchPanel::TQuickValueSearchPanel(QWidget* parent)
    : QGroupBox(QStringLiteral("Quick Value Search"), parent) {
    setObjectName(QStringLiteral("GroupBox2"));
    setMinimumHeight(185);
    const auto edit = [this](const char* name) {
        auto* box = new QLineEdit(this);
        box->setObjectName(QLatin1String(name));
        return box;
    };
    eSearcString = edit("eSearcString");
    eFormatIdentifier = edit("eFormatIdentifier");
    eAX = edit("eAX");
    eB = edit("eB");
    eValue = edit("eValue");
    eValue->setText(QStringLiteral("eValue"));
    eValue->setAlignment(Qt::AlignCenter);
    eValue->setFont(PixelFont(QStringLiteral("Arial Narrow"), 21, true));
    eValue->setAccessibleName(QStringLiteral("Value"));

    PopupMenu1 = new QMenu(eValue);
    PopupMenu1->setObjectName(QStringLiteral("PopupMenu1"));
    PopupMenu11 = PopupMenu1->addAction(QStringLiteral("&Average"));
    PopupMenu11->setObjectName(QStringLiteral("PopupMenu11"));
    eValue->setContextMenuPolicy(Qt::CustomContextMenu);

    // A screen reader announces each box by its caption; Alt and the marked letter moves there.
    const auto caption = [this](const char* text, QLineEdit* box) {
        auto* label = new QLabel(QLatin1String(text), this);
        label->setBuddy(box);
        return label;
    };
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(6, 4, 4, 6);
    layout->setSpacing(2);
    layout->addWidget(caption("&Search String", eSearcString));
    layout->addWidget(eSearcString);
    layout->addWidget(caption("Scan For&mat Identifier", eFormatIdentifier));
    layout->addWidget(eFormatIdentifier);
    auto* scale = new QHBoxLayout;
    scale->addWidget(caption("a&x", eAX));
    scale->addWidget(eAX, 1);
    scale->addWidget(caption("+&b", eB));
    scale->addWidget(eB, 1);
    layout->addLayout(scale);
    layout->addSpacing(4);
    layout->addWidget(eValue);
    layout->addStretch(1);
}
