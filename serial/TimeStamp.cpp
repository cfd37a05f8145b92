#include "TimeStamp.h"

#include <QDateTime>
#include <array>
#include <cstdio>
#include <limits>

namespace {

// One layout's text, the part up to the minute kept between calls.
class MinuteCache {
public:
    explicit MinuteCache(bool separators) : separators_(separators) {}

    QByteArrayView text(qint64 ms) {
        if (ms < minuteStart_ || ms >= minuteStart_ + 60000)
            startMinute(ms);
        const int inMinute = static_cast<int>(ms - minuteStart_);
        char* at = text_.data() + prefixLength_;
        at = TwoDigits(at, inMinute / 1000);
        if (separators_)
            *at++ = '.';
        const int milliseconds = inMinute % 1000;
        *at++ = static_cast<char>('0' + milliseconds / 100);
        at = TwoDigits(at, milliseconds % 100);
        return QByteArrayView(text_.data(), at - text_.data());
    }

private:
    static char* TwoDigits(char* at, int value) {
        *at++ = static_cast<char>('0' + value / 10);
        *at++ = static_cast<char>('0' + value % 10);
        return at;
    }

    // The local clock's offset may change at any minute (summer time), so the minute's start and
    // its text come from the system's conversion, once a minute.
    void startMinute(qint64 ms) {
        const QDateTime local = QDateTime::fromMSecsSinceEpoch(ms);
        const QDate date = local.date();
        const QTime time = local.time();
        minuteStart_ = ms - time.second() * 1000 - time.msec();
        prefixLength_ =
            std::snprintf(text_.data(), text_.size(),
                          separators_ ? "%04d-%02d-%02d %02d:%02d:" : "%04d-%02d-%02d %02d%02d",
                          date.year(), date.month(), date.day(), time.hour(), time.minute());
    }

    const bool separators_;
    // No minute at first: the first reading starts one.
    qint64 minuteStart_ = std::numeric_limits<qint64>::min();
    int prefixLength_ = 0;
    // Room for a five-digit year and the seconds behind it.
    std::array<char, 40> text_{};
};

}  // namespace

QByteArrayView LogStamp(qint64 msSinceEpoch) {
    thread_local MinuteCache cache(false);
    return cache.text(msSinceEpoch);
}

QByteArrayView DisplayStamp(qint64 msSinceEpoch) {
    thread_local MinuteCache cache(true);
    return cache.text(msSinceEpoch);
}
