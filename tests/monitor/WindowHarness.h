#pragma once

#include <QElapsedTimer>
#include <QList>
#include <QStringList>
#include <QTemporaryDir>
#include <QThread>
#include <functional>
#include <memory>

#include "MonitorPlatform.h"
#include "SerialPlatform.h"
#include "SteppedTime.h"
#include "Uzivizovor.h"

// Message boxes that are only counted.
class CountingMessages : public MessageBoxes {
public:
    struct Shown {
        QMessageBox::Icon icon;
        QString text;
        QMessageBox::StandardButton button;
    };
    void show(QWidget*, QMessageBox::Icon icon, const QString& text,
              QMessageBox::StandardButton button) override {
        shown.append({icon, text, button});
    }
    QList<Shown> shown;
};

// The outside worlds of one main window, all of them under the test's control: stepped timers and
// clock, a temporary log root, counted messages, recorded priority changes and the real serial
// layer (ports are pseudo-terminals mapped by number).
struct WindowHarness {
    SteppedTime time;
    QTemporaryDir dir;
    CountingMessages messages;
    QStringList devices;
    QList<int> niceValues;

    QString logRoot() const { return dir.filePath(QStringLiteral("PLV")); }

    MonitorPlatform platform() {
        MonitorPlatform p;
        p.serial = {SerialPlatform::system().layer, &time, &time};
        p.logRoot = logRoot();
        p.settingsFile = dir.filePath(QStringLiteral("plovik-monitor.INI"));
        p.serialDevices = [this] { return devices; };
        p.setNiceValue = [this](int value) { niceValues.append(value); };
        p.messages = &messages;
        return p;
    }

    std::unique_ptr<TfZIVizovor> window() { return std::make_unique<TfZIVizovor>(platform()); }

    // Steps the timers a little at a time until done() holds; the pseudo-terminal delivers on its
    // own schedule, so real time is allowed to pass between steps.
    bool stepUntil(const std::function<bool()>& done, int timeoutMs = 3000) {
        QElapsedTimer clock;
        clock.start();
        while (!done()) {
            if (clock.elapsed() > timeoutMs)
                return false;
            time.advance(5);
            QThread::msleep(1);
        }
        return true;
    }
};

// Every line of the terminal, after inserting the waiting ones.
inline QStringList TerminalLines(TfZIVizovor& window) {
    window.mTerminal->flush();
    return window.mTerminal->toPlainText().split(QLatin1Char('\n'));
}
