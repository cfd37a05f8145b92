#include "TerminalIo.h"

#ifdef Q_OS_UNIX
#include <poll.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <climits>

#include "SystemFailure.h"

qint64 WriteWithin(int fd, const char* data, qint64 size, const QDeadlineTimer& deadline,
                   SerialFailure& failure) {
    qint64 done = 0;
    while (done < size) {
        const ssize_t n = ::write(fd, data + done, static_cast<size_t>(size - done));
        if (n > 0) {
            done += n;
            continue;
        }
        if (n < 0 && errno == EINTR)
            continue;
        if (n < 0 && errno != EAGAIN) {
            failure = SystemFailure(errno);
            return done > 0 ? done : -1;
        }
        if (deadline.hasExpired())
            break;
        pollfd ready{fd, POLLOUT, 0};
        ::poll(&ready, 1, static_cast<int>(std::min<qint64>(deadline.remainingTime(), INT_MAX)));
    }
    return done;
}

bool HasHungUp(int fd) {
    pollfd state{fd, POLLIN, 0};
    return ::poll(&state, 1, 0) > 0 && (state.revents & (POLLHUP | POLLERR | POLLNVAL)) != 0;
}

bool HasNews(int fd) {
    pollfd state{fd, POLLIN, 0};
    return ::poll(&state, 1, 0) != 0;
}
#endif
