#include "LogFolder.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

#include "Clock.h"
#include "MonitorPlatform.h"

QByteArray DateText(const QDateTime& moment) {
    const QDate date = moment.date();
    return QByteArray::number(date.year()) + '-' +
           QByteArray::number(date.month()).rightJustified(2, '0') + '-' +
           QByteArray::number(date.day()).rightJustified(2, '0');
}

QByteArray TimeText(const QDateTime& moment) {
    const QTime time = moment.time();
    return QByteArray::number(time.hour()).rightJustified(2, '0') +
           QByteArray::number(time.minute()).rightJustified(2, '0') +
           QByteArray::number(time.second()).rightJustified(2, '0');
}

LogNames MakeLogNames(const QString& root, const QDateTime& start) {
    LogNames names;
    names.LogFolder = QFile::encodeName(root) + '/' + DateText(start) + "/SRX/";
    names.LineLogPath = names.LogFolder + DateText(start) + ' ' + TimeText(start) + " Terminal.log";
    return names;
}

namespace {

// A link to a folder counts as the folder; a plain file of that name does not, and then the
// creation fails.
bool EnsureFolder(const QString& path) {
    return QFileInfo(path).isDir() || QDir().mkdir(path);
}

}  // namespace

bool EnsureLogFolder(const QString& root, const Clock& clock, MessageBoxes& messages,
                     QWidget* parent) {
    const auto dateFolder = [&] {
        return root + '/' + QString::fromLocal8Bit(DateText(clock.now()));
    };
    if (EnsureFolder(root) && EnsureFolder(dateFolder()) &&
        EnsureFolder(dateFolder() + QStringLiteral("/SRX")))
        return true;
    messages.show(parent, QMessageBox::NoIcon,
                  QStringLiteral("Cannot create log folder %1. Check if you are authorized create "
                                 "folder at this address.")
                      .arg(QDir::toNativeSeparators(root + QStringLiteral("/SRX/"))),
                  QMessageBox::Ok);
    return false;
}
