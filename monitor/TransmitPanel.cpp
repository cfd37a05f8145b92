#include "TransmitPanel.h"

#include <QCheckBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

TTransmitPanel::TTransmitPanel(QWidget* parent) : QGroupBox(QStringLiteral("Transmit"), parent) {
    setObjectName(QStringLiteral("GroupBox3"));
    eBroadcast = new QLineEdit(this);
    eBroadcast->setObjectName(QStringLiteral("eBroadcast"));
    cbCR = new QCheckBox(QStringLiteral("CR"), this);
    cbCR->setObjectName(QStringLiteral("cbCR"));
    cbLF = new QCheckBox(QStringLiteral("LF"), this);
    cbLF->setObjectName(QStringLiteral("cbLF"));
    Button1 = new QPushButton(QStringLiteral("Broadcast"), this);
    Button1->setObjectName(QStringLiteral("Button1"));
    Button1->setAutoDefault(false);

    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(6, 4, 4, 6);
    layout->setSpacing(4);
    // Announced by its caption, reached with Alt+R; the button has no mnemonic, as no key sends.
    auto* caption = new QLabel(QStringLiteral("B&roadcast"), this);
    caption->setBuddy(eBroadcast);
    layout->addWidget(caption);
    layout->addWidget(eBroadcast);
    auto* endings = new QHBoxLayout;
    endings->addWidget(cbCR);
    endings->addWidget(cbLF);
    endings->addStretch(1);
    layout->addLayout(endings);
    layout->addWidget(Button1);
    layout->addStretch(1);
}
