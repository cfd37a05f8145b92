#pragma once

#include <QByteArray>
#include <QElapsedTimer>
#include <QList>
#include <atomic>
#include <chrono>
#include <thread>

#include "Plovikserialgps.h"
#include "PseudoTerminal.h"
#include "QtSerialLayer.h"
#include "SerialPlatform.h"
#include "SteppedTime.h"

// A component on the real serial layer, reading a pseudo-terminal whose other end the harness
// writes. Time is stepped, so a poll period of a second costs no waiting.
class PtyReceiver {
public:
    explicit PtyReceiver(int pollPeriod) {
        gps.Ports.setExplicitEntries({{1, pty.devicePath()}});
        gps.PollInterval = pollPeriod;
        gps.OnNewCommand = [this](TPlovikSerialGPS*, QByteArray line) { lines.append(line); };
    }

    // Writes the data from a second thread as fast as the pseudo-terminal takes it, while this
    // thread polls, until everything has been written and the driver is empty again. False when
    // the writer gave up.
    bool transfer(const QByteArray& data) {
        std::atomic<bool> written = false;
        bool complete = false;
        std::thread writer([&] {
            complete = pty.write(data, kGiveUpMs);
            written = true;
        });
        QElapsedTimer guard;
        guard.start();
        while (!written && guard.elapsed() < kGiveUpMs)
            pollOnce();
        writer.join();
        // Whatever the last write left in the driver; further polls must find nothing new.
        for (int i = 0; i < 3; ++i)
            pollOnce();
        return complete;
    }

    PseudoTerminal pty;
    SteppedTime time;
    QtSerialLayer layer;
    TPlovikSerialGPS gps{nullptr, SerialPlatform{&layer, &time, &time}};
    QList<QByteArray> lines;

private:
    static constexpr int kGiveUpMs = 60000;

    // One poll period of stepped time; yields briefly when the poll found nothing.
    void pollOnce() {
        const qsizetype before = lines.size() + gps.ReceiveBuffer.size();
        time.advance(gps.PollTimer->interval());
        if (lines.size() + gps.ReceiveBuffer.size() == before)
            std::this_thread::sleep_for(std::chrono::milliseconds(1));
    }
};
