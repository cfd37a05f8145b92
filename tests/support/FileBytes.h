#pragma once

#include <QByteArray>
#include <QFile>
#include <QString>

// A file's bytes as they lie on disk; none when it cannot be read.
inline QByteArray FileBytes(const QString& path) {
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}
