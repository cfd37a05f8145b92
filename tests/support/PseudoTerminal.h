#pragma once

#include <termios.h>

#include <QByteArray>
#include <QString>
#include <functional>

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
    // Everything the device side sent until nothing more comes for a while.
    QByteArray drain();
    termios deviceAttributes() const;
    // Whether the device side took the attributes as they are.
    bool setDeviceAttributes(const termios& attributes);
    // Whether this system's pseudo-terminals take a character size (CS5..CS8) and parity flags
    // (PARENB, PARODD, CMSPAR): some kernels refuse all but 8 data bits without parity.
    static bool takesCharacterFormat(tcflag_t size, tcflag_t parityFlags);
    int masterFd() const { return master_; }
    // Closes the master side, as a device does when it goes away: the device side hangs up.
    void hangUp();

private:
    int master_ = -1;
    int slave_ = -1;  // held open so the pair survives the component's close
    QString devicePath_;
};

// A pseudo-terminal hands bytes across in the kernel's own time: waits up to timeoutMs, in steps
// of stepMs, for the condition to hold. Returns whether it did.
bool WaitUntil(const std::function<bool()>& condition, int timeoutMs = 2000, int stepMs = 1);
