#include "ExclusiveHold.h"

#ifdef Q_OS_UNIX
#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

#include <QFile>
#include <cerrno>

#include "DeviceHolder.h"
#include "SystemFailure.h"

bool ExclusiveHold::acquire(const QString& location, SerialFailure& failure) {
    fd_ =
        ::open(QFile::encodeName(location).constData(), O_RDWR | O_NOCTTY | O_NONBLOCK | O_CLOEXEC);
    if (fd_ < 0) {
        failure = SystemFailure(errno);
    } else if (::flock(fd_, LOCK_EX | LOCK_NB) != 0) {
        failure = SystemFailure(errno == EWOULDBLOCK ? EBUSY : errno);
    } else {
        return true;
    }
    // Let go first, so that this open does not count among the holders.
    release();
    if (failure.kind == SerialFailure::Kind::Busy)
        failure.holder = DeviceHolder(location);
    return false;
}

void ExclusiveHold::release() {
    if (fd_ >= 0)
        ::close(fd_);
    fd_ = -1;
}
#endif
