#include "PseudoTerminal.h"

#include <fcntl.h>
#include <poll.h>
#include <pty.h>
#include <unistd.h>

#include <QDeadlineTimer>
#include <QElapsedTimer>
#include <QThread>
#include <stdexcept>

PseudoTerminal::PseudoTerminal() {
    char name[256] = {};
    if (openpty(&master_, &slave_, name, nullptr, nullptr) != 0)
        throw std::runtime_error("openpty failed");
    termios raw{};
    tcgetattr(slave_, &raw);
    cfmakeraw(&raw);  // no echo or line editing before the component configures it
    tcsetattr(slave_, TCSANOW, &raw);
    fcntl(master_, F_SETFL, fcntl(master_, F_GETFL) | O_NONBLOCK);
    devicePath_ = QString::fromLocal8Bit(name);
}

PseudoTerminal::~PseudoTerminal() {
    ::close(slave_);
    hangUp();
}

void PseudoTerminal::hangUp() {
    if (master_ >= 0)
        ::close(master_);
    master_ = -1;
}

bool PseudoTerminal::write(const QByteArray& data, int timeoutMs) {
    QElapsedTimer clock;
    clock.start();
    qint64 done = 0;
    while (done < data.size()) {
        const ssize_t n = ::write(master_, data.constData() + done, data.size() - done);
        if (n > 0) {
            done += n;
            continue;
        }
        if (n < 0 && errno != EAGAIN && errno != EINTR)
            return false;
        if (clock.elapsed() > timeoutMs)
            return false;
        pollfd p{master_, POLLOUT, 0};
        ::poll(&p, 1, 10);
    }
    return true;
}

QByteArray PseudoTerminal::read(int waitMs) {
    QByteArray result;
    pollfd p{master_, POLLIN, 0};
    int wait = waitMs;
    char buffer[4096];
    while (::poll(&p, 1, wait) > 0) {
        const ssize_t n = ::read(master_, buffer, sizeof buffer);
        if (n <= 0)
            break;
        result.append(buffer, n);
        wait = 20;  // take what follows directly, then stop
    }
    return result;
}

QByteArray PseudoTerminal::drain() {
    QByteArray received;
    for (QByteArray more = read(500); !more.isEmpty(); more = read(100))
        received += more;
    return received;
}

termios PseudoTerminal::deviceAttributes() const {
    termios attributes{};
    tcgetattr(slave_, &attributes);
    return attributes;
}

bool PseudoTerminal::setDeviceAttributes(const termios& attributes) {
    // tcsetattr succeeds when any part was taken, so read back what the device holds now.
    if (tcsetattr(slave_, TCSANOW, &attributes) != 0)
        return false;
    const termios now = deviceAttributes();
    return now.c_cflag == attributes.c_cflag && now.c_iflag == attributes.c_iflag;
}

bool PseudoTerminal::takesCharacterFormat(tcflag_t size, tcflag_t parityFlags) {
    PseudoTerminal probe;
    termios attributes = probe.deviceAttributes();
    attributes.c_cflag &= ~(CSIZE | PARENB | PARODD | CMSPAR);
    attributes.c_cflag |= size | parityFlags;
    return probe.setDeviceAttributes(attributes);
}

bool WaitUntil(const std::function<bool()>& condition, int timeoutMs, int stepMs) {
    const QDeadlineTimer deadline(timeoutMs);
    while (!condition()) {
        if (deadline.hasExpired())
            return false;
        QThread::msleep(stepMs);
    }
    return true;
}
