#pragma once

#include <QGroupBox>

class QCheckBox;
class QLineEdit;
class QPushButton;

// The group "Transmit": the text to send, its line endings and the button that sends it.
class TTransmitPanel : public QGroupBox {
    Q_OBJECT

public:
    explicit TTransmitPanel(QWidget* parent = nullptr);

    QLineEdit* eBroadcast = nullptr;
    QCheckBox* cbCR = nullptr;
    QCheckBox* cbLF = nullptr;
    QPushButton* Button1 = nullptr;
};
