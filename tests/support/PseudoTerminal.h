#pragma once

#include <termios.h>

#include <QByteArray>
#include <QString>

// A real pseudo-terminal pair: the component opens devicePath() like any serial device, the test
// plays the device on the master side.
class PseudoTerminal {
public:
    PseudoTerminal();
    ~PseudoTerminal();
    PseudoTerminal(const PseudoTerminal&) = delete;
    PseudoTerminal& operator=(const PseudoTerminal&) = delete;

    QString devicePath() const { return devicePath_; }
    // Writes every byte to the device side, waiting while the pseudo-terminal is full.
    bool write(const QByteArray& data, int timeoutMs = 10000);
    // Reads what the device side sent, waiting up to waitMs for the first byte.
    QByteArray read(int waitMs = 1000);
    termios deviceAttributes() const;
    int masterFd() const { return master_; }

private:
    int master_ = -1;
    int slave_ = -1;  // held open so the pair survives the component's close
    QString devicePath_;
};
