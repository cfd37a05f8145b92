// The production timers: they tick in the event loop of their thread, and disabling and enabling
// again starts the period anew (the silence watchdog relies on it).
#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QThread>
#include <QTimer>

#include "Timer.h"

TEST(QtTimer, ReenablingStartsThePeriodAnew) {
    constexpr int kPeriod = 600;
    constexpr int kRestartAt = 300;
    QtTimerFactory factory;
    const auto timer = factory.create();
    QElapsedTimer clock;
    QList<qint64> ticks;
    QEventLoop loop;
    timer->onTimeout = [&] {
        EXPECT_EQ(QThread::currentThread(), QCoreApplication::instance()->thread());
        ticks << clock.elapsed();
        loop.quit();
    };
    timer->setInterval(kPeriod);
    clock.start();
    timer->setEnabled(true);
    QTimer::singleShot(kRestartAt, [&] {
        ASSERT_TRUE(ticks.isEmpty()) << "the machine was too slow to restart the timer in time";
        timer->setEnabled(false);
        EXPECT_FALSE(timer->isEnabled());
        timer->setEnabled(true);
        EXPECT_TRUE(timer->isEnabled());
    });
    QTimer::singleShot(10000, &loop, &QEventLoop::quit);
    loop.exec();
    ASSERT_EQ(ticks.size(), 1);
    EXPECT_GE(ticks.first(), kRestartAt + kPeriod - 5);
}

TEST(QtTimer, DisabledTimerDoesNotTick) {
    QtTimerFactory factory;
    const auto timer = factory.create();
    int ticks = 0;
    timer->onTimeout = [&] { ++ticks; };
    timer->setInterval(10);
    timer->setEnabled(true);
    timer->setEnabled(false);
    QEventLoop loop;
    QTimer::singleShot(100, &loop, &QEventLoop::quit);
    loop.exec();
    EXPECT_EQ(ticks, 0);
    EXPECT_FALSE(timer->isEnabled());
}
