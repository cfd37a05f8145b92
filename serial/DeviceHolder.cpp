#include "DeviceHolder.h"

#ifdef Q_OS_LINUX
#include <dirent.h>
#include <signal.h>
#include <sys/stat.h>
#include <unistd.h>

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <cerrno>
#include <cstring>

namespace {

const QString kProc = QStringLiteral("/proc");

// A lock file names its process in text ("  4711\n", or Qt's "4711\nprogram\nhost\n") or, from
// old programs, as four binary bytes.
qint64 LockFileProcess(const QString& path) {
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return 0;
    const QByteArray content = file.read(128);
    bool ok = false;
    const qint64 pid = content.split('\n').value(0).trimmed().toLongLong(&ok);
    if (ok)
        return pid;
    if (content.size() == 4) {
        qint32 binary = 0;
        std::memcpy(&binary, content.constData(), sizeof binary);
        return binary;
    }
    return 0;
}

bool IsAlive(qint64 pid) {
    return pid > 0 && (::kill(static_cast<pid_t>(pid), 0) == 0 || errno == EPERM);
}

// The program's name as it was started, which the kernel's own name cuts to 15 characters.
QString ProgramName(qint64 pid) {
    const QString folder = kProc + u'/' + QString::number(pid);
    QFile commandLine(folder + QStringLiteral("/cmdline"));
    if (commandLine.open(QIODevice::ReadOnly)) {
        const QByteArray first = commandLine.read(4096).split('\0').value(0);
        if (!first.isEmpty())
            return QFileInfo(QFile::decodeName(first)).fileName();
    }
    QFile name(folder + QStringLiteral("/comm"));
    if (name.open(QIODevice::ReadOnly))
        return QString::fromLocal8Bit(name.readAll().trimmed());
    return QStringLiteral("process");
}

QString Holder(qint64 pid) {
    return QStringLiteral("%1 (%2)").arg(ProgramName(pid)).arg(pid);
}

// A lock file's name for a device path: below /dev without that prefix, every "/" turned into "_"
// ("LCK..ttyUSB0", "LCK..pts_3", "LCK.._tmp_link").
QString LockFileName(const QString& path) {
    const QString dev = QStringLiteral("/dev/");
    QString name = path.startsWith(dev) ? path.mid(dev.size()) : path;
    name.replace(u'/', u'_');
    return QStringLiteral("LCK..") + name;
}

// Lock files are named after the path the holder opened, which may be a link, or after the
// device's own name.
qint64 LockingProcess(const QString& location) {
    const QString device = QFileInfo(location).canonicalFilePath();
    const QStringList names = {LockFileName(location), LockFileName(device),
                               QStringLiteral("LCK..") + QFileInfo(device).fileName()};
    for (const char* folder : {"/run/lock/", "/var/lock/"}) {
        for (const QString& name : names) {
            const qint64 pid = LockFileProcess(QString::fromLatin1(folder) + name);
            if (pid != ::getpid() && IsAlive(pid))
                return pid;
        }
    }
    return 0;
}

// Whether the process has the device open, by its device number, whatever path it used.
bool HasOpen(const QByteArray& process, dev_t device) {
    const QByteArray folder = "/proc/" + process + "/fd/";
    DIR* fds = ::opendir(folder.constData());
    if (!fds)
        return false;
    bool found = false;
    while (const dirent* fd = ::readdir(fds)) {
        struct stat node {};
        if (fd->d_name[0] != '.' && ::stat((folder + fd->d_name).constData(), &node) == 0 &&
            S_ISCHR(node.st_mode) && node.st_rdev == device) {
            found = true;
            break;
        }
    }
    ::closedir(fds);
    return found;
}

// Another process that has the device open; this one's own opens are not "another program".
qint64 ProcessWithDeviceOpen(const QString& location) {
    struct stat device {};
    if (::stat(QFile::encodeName(location).constData(), &device) != 0)
        return 0;
    const QStringList processes = QDir(kProc).entryList(QDir::Dirs | QDir::NoDotAndDotDot);
    for (const QString& process : processes) {
        bool numeric = false;
        const qint64 pid = process.toLongLong(&numeric);
        if (numeric && pid != ::getpid() && HasOpen(process.toLatin1(), device.st_rdev))
            return pid;
    }
    return 0;
}

}  // namespace

QString DeviceHolder(const QString& location) {
    qint64 pid = LockingProcess(location);
    if (pid == 0)
        pid = ProcessWithDeviceOpen(location);
    return pid == 0 ? QString() : Holder(pid);
}
#else
QString DeviceHolder(const QString&) {
    return {};
}
#endif
