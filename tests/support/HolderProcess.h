#pragma once

#include <gtest/gtest.h>

#include <QByteArray>
#include <QProcess>
#include <QString>

// Another program holding a device: the port holder helper in a process of its own. Header only,
// because the helper's path is known only to the test programs that build it.
class HolderProcess {
public:
    explicit HolderProcess(const QString& path) {
        process_.start(QStringLiteral(PLOVIK_PORT_HOLDER), {path});
        process_.waitForStarted();
        process_.waitForReadyRead(10000);
        firstLine_ = process_.readLine().trimmed();
    }
    ~HolderProcess() {
        process_.closeWriteChannel();
        process_.waitForFinished();
    }
    // "holding", or "failed" and the reason.
    QByteArray firstLine() const { return firstLine_; }
    qint64 pid() const { return process_.processId(); }
    void release() {
        process_.closeWriteChannel();
        EXPECT_TRUE(process_.waitForFinished());
    }
    void kill() {
        process_.kill();
        EXPECT_TRUE(process_.waitForFinished());
    }

private:
    QProcess process_;
    QByteArray firstLine_;
};
