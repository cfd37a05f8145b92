#pragma once

#include <QByteArray>
#include <QDateTime>
#include <QString>

class Clock;
class MessageBoxes;
class QWidget;

// "2024-03-01": the year as a plain number, month and day with two digits.
QByteArray DateText(const QDateTime& moment);
// "090507": hour, minute and second with two digits each, no separator.
QByteArray TimeText(const QDateTime& moment);

// The dated folder of one run's line log and the log's path, fixed at the run's start so a run
// that goes on past midnight keeps writing to the same file.
struct LogNames {
    QByteArray LogFolder;    // <root>/<date>/SRX/
    QByteArray LineLogPath;  // LogFolder + "<date> <time> Terminal.log"
};
LogNames MakeLogNames(const QString& root, const QDateTime& start);

// Creates <root>, <root>/<date> and <root>/<date>/SRX one level at a time, the date taken anew for
// each level. Stops at the first level that cannot be created and shows one message about it.
// Returns whether the folder is there.
bool EnsureLogFolder(const QString& root, const Clock& clock, MessageBoxes& messages,
                     QWidget* parent);
