#include "MonitorRun.h"

#include <signal.h>
#include <sys/prctl.h>

#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <stdexcept>

#ifndef PLOVIK_MONITOR
#error "PLOVIK_MONITOR names the built program"
#endif

namespace {

bool WriteFile(const QString& path, const QByteArray& content) {
    QFile file(path);
    return file.open(QIODevice::WriteOnly) && file.write(content) == content.size();
}

QByteArray ReadFile(const QString& path) {
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

}  // namespace

MonitorRun::MonitorRun(const QByteArray& settings) {
    const QDir root(dir_.path());
    folder_ = root.filePath(QStringLiteral("bin"));
    home_ = root.filePath(QStringLiteral("home"));
    const QString runtime = root.filePath(QStringLiteral("run"));
    if (!root.mkpath(folder_) || !root.mkpath(home_) || !root.mkpath(runtime) ||
        !QFile::setPermissions(
            runtime, QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner) ||
        !QFile::copy(QStringLiteral(PLOVIK_MONITOR),
                     QDir(folder_).filePath(QStringLiteral("plovik-monitor"))) ||
        !WriteFile(settingsPath(), settings))
        throw std::runtime_error("the run's folder could not be laid out");

    // The environment of a desktop session, reduced to what the program needs; the platform the
    // tests run under (offscreen) gives way to the display, and numbers are read and shown with a
    // decimal point whatever the machine's language.
    QProcessEnvironment environment;
    environment.insert(QStringLiteral("HOME"), home_);
    environment.insert(QStringLiteral("XDG_RUNTIME_DIR"), runtime);
    environment.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("xcb"));
    environment.insert(QStringLiteral("LC_ALL"), QStringLiteral("C.UTF-8"));
    environment.insert(QStringLiteral("NO_AT_BRIDGE"), QStringLiteral("1"));
    environment.insert(QStringLiteral("PATH"), QStringLiteral("/usr/bin:/bin"));
    // The test reads the log's time stamps in its own time zone.
    if (qEnvironmentVariableIsSet("TZ"))
        environment.insert(QStringLiteral("TZ"), qEnvironmentVariable("TZ"));
    program_.setProcessEnvironment(environment);
    program_.setWorkingDirectory(home_);
    program_.setProcessChannelMode(QProcess::MergedChannels);
    program_.setStandardOutputFile(root.filePath(QStringLiteral("output.txt")));
    // A test that dies takes the program with it.
    program_.setChildProcessModifier([] { ::prctl(PR_SET_PDEATHSIG, SIGKILL); });
}

MonitorRun::~MonitorRun() {
    if (running()) {
        program_.kill();
        program_.waitForFinished();
    }
}

QString MonitorRun::settingsPath() const {
    return QDir(folder_).filePath(QStringLiteral("plovik-monitor.INI"));
}

bool MonitorRun::start(const QString& display) {
    QProcessEnvironment environment = program_.processEnvironment();
    environment.insert(QStringLiteral("DISPLAY"), display);
    program_.setProcessEnvironment(environment);
    program_.start(QDir(folder_).filePath(QStringLiteral("plovik-monitor")), {});
    return program_.waitForStarted();
}

bool MonitorRun::running() {
    return program_.state() != QProcess::NotRunning && !program_.waitForFinished(0);
}

std::optional<int> MonitorRun::waitForExit(int timeoutMs) {
    if (program_.state() != QProcess::NotRunning && !program_.waitForFinished(timeoutMs))
        return std::nullopt;
    return program_.exitStatus() == QProcess::NormalExit ? program_.exitCode() : -1;
}

QStringList MonitorRun::lineLogNames() const {
    QStringList names;
    QDirIterator logs(QDir(home_).filePath(QStringLiteral("PLV")),
                      {QStringLiteral("*Terminal.log")}, QDir::Files, QDirIterator::Subdirectories);
    while (logs.hasNext())
        names.append(QDir(home_).relativeFilePath(logs.next()));
    return names;
}

QByteArray MonitorRun::lineLog() const {
    const QStringList names = lineLogNames();
    return names.isEmpty() ? QByteArray() : ReadFile(QDir(home_).filePath(names.first()));
}

QByteArray MonitorRun::output() const {
    return ReadFile(QDir(dir_.path()).filePath(QStringLiteral("output.txt")));
}
