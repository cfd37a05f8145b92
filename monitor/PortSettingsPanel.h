#pragma once

#include <QGroupBox>
#include <QList>

class QPushButton;
class TPickList;

// The group "COM Port Settings": eleven captioned lists with their items and first selections, and
// the buttons Connect and Pause. The window wires them to its handlers.
class TPortSettingsPanel : public QGroupBox {
    Q_OBJECT

public:
    explicit TPortSettingsPanel(QWidget* parent = nullptr);

    // The eleven lists from the top.
    QList<TPickList*> lists() const;

    TPickList* Port = nullptr;
    TPickList* BaudRate = nullptr;
    TPickList* DataWidth = nullptr;
    TPickList* StopBits = nullptr;
    TPickList* Parity = nullptr;
    TPickList* Priority = nullptr;
    TPickList* Delay = nullptr;
    TPickList* NMEALog = nullptr;
    TPickList* LogTime = nullptr;
    TPickList* EnableDTR = nullptr;
    TPickList* EnableRTS = nullptr;
    QPushButton* bConnect = nullptr;
    QPushButton* bPause = nullptr;
};
