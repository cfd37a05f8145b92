#pragma once

#include <QColor>
#include <QDateTime>
#include <QFont>
#include <QMessageBox>
#include <QString>
#include <QStringList>
#include <QUrl>
#include <functional>
#include <optional>

#include "SerialPlatform.h"
#include "TerminalFontDialog.h"

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

    // The shell: starts a program detached and without arguments, opens a folder or a web address
    // in the desktop's own application. Both fail silently.
    std::function<void(const QString& program)> startProgram;
    std::function<void(const QUrl& url)> openUrl;
    // The modal choosers, loaded with what the terminal has now; nothing when the user cancels.
    std::function<std::optional<TerminalFont>(const QFont& font, const QColor& color,
                                              QWidget* parent)>
        chooseFont;
    std::function<std::optional<QColor>(const QColor& color, QWidget* parent)> chooseColor;

    // The real serial layer, timers and clock, the log tree under the home folder, the detected
    // serial devices, the process priority, modal boxes and choosers, and the desktop's shell.
    static MonitorPlatform system(const QString& settingsFile, const QDateTime& runStarted);
};
