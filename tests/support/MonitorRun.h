#pragma once

#include <sys/types.h>

#include <QByteArray>
#include <QProcess>
#include <QString>
#include <QStringList>
#include <QTemporaryDir>
#include <optional>

// The user a run is made as.
struct RunAs {
    uid_t uid;
    gid_t gid;
};

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

    // Hands the home folder to the user the program will run as.
    bool giveHomeTo(const RunAs& user) const;
    // Starts the program on the display, as the user when one is given.
    bool start(const QString& display, std::optional<RunAs> user = std::nullopt);

    bool running();
    // The exit code once the program has ended of itself within the time, -1 when a signal ended
    // it; empty while it runs.
    std::optional<int> waitForExit(int timeoutMs);
    // Processor time the program has used so far, user and system, in seconds; -1 when it has
    // ended.
    double processorSeconds() const;
    // The line logs in the home folder, relative to it; a run writes one at most.
    QStringList lineLogNames() const;
    // The first line log; empty while there is none.
    QByteArray lineLog() const;
    // What the program printed, for the message of a failed check.
    QByteArray output() const;

    const QString& folder() const { return folder_; }
    QString settingsPath() const;

private:
    QString runtimePath() const;

    QTemporaryDir dir_;
    QString folder_;  // the program and its settings file
    QString home_;
    QProcess program_;
};
