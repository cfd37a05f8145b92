#pragma once

#include <QByteArray>
#include <QProcess>
#include <QString>
#include <QStringList>
#include <QTemporaryDir>
#include <optional>

// One run of the built program as a user starts it: a copy of it in a folder of its own with the
// settings file beside it, a home folder of its own (the line log grows there), never the real
// ones.
class MonitorRun {
public:
    explicit MonitorRun(const QByteArray& settings);
    // Ends the program when it is still running.
    ~MonitorRun();
    MonitorRun(const MonitorRun&) = delete;
    MonitorRun& operator=(const MonitorRun&) = delete;

    // Starts the program on the display.
    bool start(const QString& display);
    bool running();
    // The exit code once the program has ended of itself within the time, -1 when a signal ended
    // it; empty while it runs.
    std::optional<int> waitForExit(int timeoutMs);
    // The line logs in the home folder, relative to it; a run writes one at most.
    QStringList lineLogNames() const;
    // The first line log; empty while there is none.
    QByteArray lineLog() const;
    // What the program printed, for the message of a failed check.
    QByteArray output() const;
    QString settingsPath() const;

private:
    QTemporaryDir dir_;
    QString folder_;  // the program and its settings file
    QString home_;
    QProcess program_;
};
