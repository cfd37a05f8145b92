#include "MonitorRun.h"

#include <fcntl.h>
#include <grp.h>
#include <signal.h>
#include <sys/prctl.h>
#include <sys/wait.h>
#include <unistd.h>

#include <QDeadlineTimer>
#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QThread>
#include <string>
#include <vector>

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

// The environment of a desktop session, reduced to what the program needs; the platform the tests
// run under (offscreen) gives way to the display.
std::vector<std::string> Environment(const QString& display, const QString& home,
                                     const QString& runtime) {
    std::vector<std::string> environment = {
        "DISPLAY=" + display.toStdString(),
        "HOME=" + home.toStdString(),
        "XDG_RUNTIME_DIR=" + runtime.toStdString(),
        "QT_QPA_PLATFORM=xcb",
        "NO_AT_BRIDGE=1",
        "PATH=/usr/bin:/bin",
    };
    for (const char* kept : {"LANG", "LC_ALL"})
        if (const char* value = ::getenv(kept))
            environment.push_back(std::string(kept) + '=' + value);
    return environment;
}

}  // namespace

MonitorRun::MonitorRun(const QByteArray& settings) {
    const QDir root(dir_.path());
    folder_ = root.filePath(QStringLiteral("bin"));
    home_ = root.filePath(QStringLiteral("home"));
    const QString program = QDir(folder_).filePath(QStringLiteral("plovik-monitor"));
    if (!root.mkpath(folder_) || !root.mkpath(home_) || !root.mkpath(QStringLiteral("run")) ||
        !QFile::copy(QStringLiteral(PLOVIK_MONITOR), program) ||
        !WriteFile(settingsPath(), settings))
        throw std::runtime_error("the run's folder could not be laid out");
    // Another user has to reach the program through the folders.
    for (const QString& path : {dir_.path(), folder_, program})
        QFile::setPermissions(path, kOpenToAll);
    QFile::setPermissions(root.filePath(QStringLiteral("run")),
                          QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner);
}

MonitorRun::~MonitorRun() {
    if (running()) {
        ::kill(pid_, SIGKILL);
        ::waitpid(pid_, nullptr, 0);
    }
    // A check may have closed the folder to its owner; the temporary folder must still go.
    QFile::setPermissions(folder_, kOpenToAll);
}

QString MonitorRun::settingsPath() const {
    return QDir(folder_).filePath(QStringLiteral("plovik-monitor.INI"));
}

bool MonitorRun::giveHomeTo(const RunAs& user) const {
    for (const QString& name : {home_, QDir(dir_.path()).filePath(QStringLiteral("run"))})
        if (::chown(QFile::encodeName(name).constData(), user.uid, user.gid) != 0)
            return false;
    return true;
}

bool MonitorRun::start(const QString& display, std::optional<RunAs> user) {
    const std::string program =
        QFile::encodeName(QDir(folder_).filePath(QStringLiteral("plovik-monitor"))).toStdString();
    const std::vector<std::string> environment =
        Environment(display, home_, QDir(dir_.path()).filePath(QStringLiteral("run")));
    std::vector<char*> envp;
    for (const std::string& entry : environment)
        envp.push_back(const_cast<char*>(entry.c_str()));
    envp.push_back(nullptr);
    char* argv[] = {const_cast<char*>(program.c_str()), nullptr};
    const QByteArray outputPath = QFile::encodeName(QDir(dir_.path()).filePath("output.txt"));
    const int output = ::open(outputPath.constData(), O_WRONLY | O_CREAT | O_TRUNC, 0644);

    pid_ = ::fork();
    if (pid_ == 0) {
        ::prctl(PR_SET_PDEATHSIG, SIGKILL);
        ::dup2(output, STDOUT_FILENO);
        ::dup2(output, STDERR_FILENO);
        if (user &&
            (::setgroups(0, nullptr) != 0 || ::setgid(user->gid) != 0 || ::setuid(user->uid) != 0))
            ::_exit(126);
        if (::chdir(QFile::encodeName(home_).constData()) != 0)
            ::_exit(126);
        ::execve(program.c_str(), argv, envp.data());
        ::_exit(127);
    }
    ::close(output);
    return pid_ > 0;
}

bool MonitorRun::running() {
    if (pid_ <= 0 || exitCode_)
        return false;
    int status = 0;
    if (::waitpid(pid_, &status, WNOHANG) != pid_)
        return true;
    // A program ended by a signal reports 128 and the signal's number, as a shell does.
    exitCode_ = WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
    return false;
}

std::optional<int> MonitorRun::waitForExit(int timeoutMs) {
    const QDeadlineTimer deadline(timeoutMs);
    while (running() && !deadline.hasExpired())
        QThread::msleep(20);
    return exitCode_;
}

double MonitorRun::processorSeconds() const {
    QFile stat(QStringLiteral("/proc/%1/stat").arg(pid_));
    if (!stat.open(QIODevice::ReadOnly))
        return -1;
    // The program's name stands in parentheses and may hold blanks; the fields after it count from
    // the state (field 3), so user time (field 14) and system time (15) are the 12th and 13th.
    const QByteArray text = stat.readAll();
    const QList<QByteArray> fields = text.mid(text.lastIndexOf(')') + 2).split(' ');
    if (fields.size() < 13)
        return -1;
    return double(fields[11].toLongLong() + fields[12].toLongLong()) /
           double(::sysconf(_SC_CLK_TCK));
}

QByteArray MonitorRun::lineLog() const {
    QDirIterator logs(QDir(home_).filePath(QStringLiteral("PLV")),
                      {QStringLiteral("*Terminal.log")}, QDir::Files, QDirIterator::Subdirectories);
    if (!logs.hasNext())
        return {};
    QFile log(logs.next());
    return log.open(QIODevice::ReadOnly) ? log.readAll() : QByteArray();
}

QByteArray MonitorRun::output() const {
    QFile file(QDir(dir_.path()).filePath(QStringLiteral("output.txt")));
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}
