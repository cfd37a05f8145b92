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

    PopupMenu1 = new QMenu(eValue);
    PopupMenu1->setObjectName(QStringLiteral("PopupMenu1"));
    PopupMenu11 = PopupMenu1->addAction(QStringLiteral("Average"));
    PopupMenu11->setObjectName(QStringLiteral("PopupMenu11"));
    eValue->setContextMenuPolicy(Qt::CustomContextMenu);

    const auto caption = [this](const char* text) { return new QLabel(QLatin1String(text), this); };
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(6, 4, 4, 6);
    layout->setSpacing(2);
    layout->addWidget(caption("Search String"));
    layout->addWidget(eSearcString);
    layout->addWidget(caption("Scan Format Identifier"));
    layout->addWidget(eFormatIdentifier);
    auto* scale = new QHBoxLayout;
    scale->addWidget(caption("ax"));
    scale->addWidget(eAX, 1);
    scale->addWidget(caption("+b"));
    scale->addWidget(eB, 1);
    layout->addLayout(scale);
    layout->addSpacing(4);
    layout->addWidget(eValue);
    layout->addStretch(1);
}
