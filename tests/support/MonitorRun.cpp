#include "MonitorRun.h"

#include <grp.h>
#include <signal.h>
#include <sys/prctl.h>
#include <unistd.h>

#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <stdexcept>

#ifndef PLOVIK_MONITOR
#error "PLOVIK_MONITOR names the built program"
#endif

namespace {

constexpr QFileDevice::Permissions kOpenToAll =
    QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner |
    QFileDevice::ReadGroup | QFileDevice::ExeGroup | QFileDevice::ReadOther | QFileDevice::ExeOther;

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
    const QString program = QDir(folder_).filePath(QStringLiteral("plovik-monitor"));
    if (!root.mkpath(folder_) || !root.mkpath(home_) || !root.mkpath(runtimePath()) ||
        !QFile::setPermissions(runtimePath(), QFileDevice::ReadOwner | QFileDevice::WriteOwner |
                                                  QFileDevice::ExeOwner) ||
        !QFile::copy(QStringLiteral(PLOVIK_MONITOR), program) ||
        !WriteFile(settingsPath(), settings))
        throw std::runtime_error("the run's folder could not be laid out");
    // Another user has to reach the program through the folders.
    for (const QString& path : {dir_.path(), folder_, program})
        QFile::setPermissions(path, kOpenToAll);

    // The environment of a desktop session, reduced to what the program needs; the platform the
    // tests run under (offscreen) gives way to the display, and numbers are read and shown with a
    // decimal point whatever the machine's language.
    QProcessEnvironment environment;
    environment.insert(QStringLiteral("HOME"), home_);
    environment.insert(QStringLiteral("XDG_RUNTIME_DIR"), runtimePath());
    environment.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("xcb"));
    environment.insert(QStringLiteral("LC_ALL"), QStringLiteral("C.UTF-8"));
    environment.insert(QStringLiteral("NO_AT_BRIDGE"), QStringLiteral("1"));
    environment.insert(QStringLiteral("PATH"), QStringLiteral("/usr/bin:/bin"));
    // A test reads the log's time stamps in its own time zone.
    if (qEnvironmentVariableIsSet("TZ"))
        environment.insert(QStringLiteral("TZ"), qEnvironmentVariable("TZ"));
    program_.setProcessEnvironment(environment);
    program_.setWorkingDirectory(home_);
    program_.setProcessChannelMode(QProcess::MergedChannels);
    program_.setStandardOutputFile(root.filePath(QStringLiteral("output.txt")));
}

MonitorRun::~MonitorRun() {
    if (running()) {
        program_.kill();
        program_.waitForFinished();
    }
    // A check may have closed the folder to its owner; the temporary folder must still go.
    QFile::setPermissions(folder_, kOpenToAll);
}

QString MonitorRun::settingsPath() const {
    return QDir(folder_).filePath(QStringLiteral("plovik-monitor.INI"));
}

QString MonitorRun::runtimePath() const {
    return QDir(dir_.path()).filePath(QStringLiteral("run"));
}

bool MonitorRun::giveHomeTo(const RunAs& user) const {
    for (const QString& name : {home_, runtimePath()})
        if (::chown(QFile::encodeName(name).constData(), user.uid, user.gid) != 0)
            return false;
    return true;
}

bool MonitorRun::start(const QString& display, std::optional<RunAs> user) {
    QProcessEnvironment environment = program_.processEnvironment();
    environment.insert(QStringLiteral("DISPLAY"), display);
    program_.setProcessEnvironment(environment);
    program_.setChildProcessModifier([user] {
        // A test that dies takes the program with it.
        ::prctl(PR_SET_PDEATHSIG, SIGKILL);
        if (user &&
            (::setgroups(0, nullptr) != 0 || ::setgid(user->gid) != 0 || ::setuid(user->uid) != 0))
            ::_exit(126);
    });
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

double MonitorRun::processorSeconds() const {
    if (program_.state() == QProcess::NotRunning)
        return -1;
    const QByteArray text = ReadFile(QStringLiteral("/proc/%1/stat").arg(program_.processId()));
    // The program's name stands in parentheses and may hold blanks; the fields after it count from
    // the state (field 3), so user time (field 14) and system time (15) are the 12th and 13th.
    const QList<QByteArray> fields = text.mid(text.lastIndexOf(')') + 2).split(' ');
    if (fields.size() < 13)
        return -1;
    return double(fields[11].toLongLong() + fields[12].toLongLong()) /
           double(::sysconf(_SC_CLK_TCK));
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
