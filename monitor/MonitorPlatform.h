#pragma once

#include <QDateTime>
#include <QMessageBox>
#include <QString>
#include <QStringList>
#include <functional>

#include "SerialPlatform.h"

class QWidget;

// Message boxes behind a seam, so a test can count them without a modal box blocking it.
class MessageBoxes {
public:
    virtual ~MessageBoxes() = default;
    virtual void show(QWidget* parent, QMessageBox::Icon icon, const QString& text,
                      QMessageBox::StandardButton button) = 0;
};

// Modal boxes titled with the application's name.
class ModalMessageBoxes : public MessageBoxes {
public:
    void show(QWidget* parent, QMessageBox::Icon icon, const QString& text,
              QMessageBox::StandardButton button) override;
};

// Everything outside the program that the main window talks to. Production uses system().
struct MonitorPlatform {
    SerialPlatform serial;  // serial layer, timers and clock, for the window as for its component
    QString logRoot;        // the folder the dated log tree grows under
    QDateTime runStarted;   // names this run's log folder and file
    QString settingsFile;
    std::function<QStringList()> serialDevices;       // device paths of the machine's serial ports
    std::function<void(int niceValue)> setNiceValue;  // best effort; refusal is silent
    std::function<int()> niceValue;                   // the nice value the process holds
    MessageBoxes* messages = nullptr;

    // The real serial layer, timers and clock, the log tree under the home folder, the detected
    // serial devices, the process priority and modal boxes.
    static MonitorPlatform system(const QString& settingsFile, const QDateTime& runStarted);
};
