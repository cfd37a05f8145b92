#include <gtest/gtest.h>

#include <QDateTime>
#include <QTimeZone>
#include <cstdlib>
#include <ctime>

#include "TimeStamp.h"

namespace {

// Local time for the test's run, whatever the machine is set to; put back afterwards.
class LocalZone {
public:
    explicit LocalZone(const char* zone)
        : saved_(qgetenv("TZ")), had_(qEnvironmentVariableIsSet("TZ")) {
        qputenv("TZ", zone);
        tzset();
    }
    ~LocalZone() {
        if (had_)
            qputenv("TZ", saved_);
        else
            qunsetenv("TZ");
        tzset();
    }

private:
    QByteArray saved_;
    bool had_;
};

struct StampCase {
    qint64 ms;  // since 1970 UTC
    const char* log;
    const char* display;
};

// The texts are kept per minute between calls, so the order of the readings matters: each row
// follows the one before it.
TEST(TimeStamp, LocalTimeFromOneReadingAcrossMinutesDaysAndClockChanges) {
    LocalZone berlin("Europe/Berlin");
    constexpr qint64 kMarch30Midnight = 1743292800000;  // 2025-03-30 00:00:00 UTC
    const StampCase cases[] = {
        {kMarch30Midnight - 3600000 - 1, "2025-03-29 235959999", "2025-03-29 23:59:59.999"},
        {kMarch30Midnight - 3600000, "2025-03-30 000000000", "2025-03-30 00:00:00.000"},
        {kMarch30Midnight + 42, "2025-03-30 010000042", "2025-03-30 01:00:00.042"},
        {kMarch30Midnight + 59999, "2025-03-30 010059999", "2025-03-30 01:00:59.999"},
        {kMarch30Midnight + 60000, "2025-03-30 010100000", "2025-03-30 01:01:00.000"},
        // Summer time begins: 01:59:59.999 is followed by 03:00:00.000.
        {kMarch30Midnight + 3599999, "2025-03-30 015959999", "2025-03-30 01:59:59.999"},
        {kMarch30Midnight + 3600000, "2025-03-30 030000000", "2025-03-30 03:00:00.000"},
        // The clock set back by a day, then forward again within the same minute.
        {kMarch30Midnight - 86400000 + 5, "2025-03-29 010000005", "2025-03-29 01:00:00.005"},
        {kMarch30Midnight + 3600000 + 123, "2025-03-30 030000123", "2025-03-30 03:00:00.123"},
        {1767221999999, "2025-12-31 235959999", "2025-12-31 23:59:59.999"},
        {1767222000000, "2026-01-01 000000000", "2026-01-01 00:00:00.000"},
    };
    for (const StampCase& c : cases) {
        SCOPED_TRACE(c.display);
        EXPECT_EQ(LogStamp(c.ms), QByteArrayView(c.log));
        EXPECT_EQ(DisplayStamp(c.ms), QByteArrayView(c.display));
        EXPECT_EQ(QDateTime::fromMSecsSinceEpoch(c.ms).toString("yyyy-MM-dd hh:mm:ss.zzz"),
                  QLatin1String(c.display));
    }
}

}  // namespace
