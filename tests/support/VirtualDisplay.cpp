#include "VirtualDisplay.h"

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <sys/prctl.h>
#include <sys/wait.h>
#include <unistd.h>

#include <QByteArray>
#include <QDeadlineTimer>
#include <QProcess>
#include <QStandardPaths>
#include <string>

// Xlib's macros (None, Bool, Status, KeyPress...) would clash with Qt's names, so it comes last.
#include <X11/Xlib.h>

namespace {

// Generous: the tests share a small, busy machine.
constexpr int kServerStartMs = 30000;
constexpr int kTypingMs = 60000;

// The number the server writes to the descriptor once it listens; -1 when it did not come up.
int ReadDisplayNumber(int fd) {
    const QDeadlineTimer deadline(kServerStartMs);
    std::string text;
    while (!deadline.hasExpired()) {
        pollfd p{fd, POLLIN, 0};
        if (::poll(&p, 1, 100) <= 0)
            continue;
        char c = 0;
        if (::read(fd, &c, 1) != 1)
            return -1;
        if (c == '\n')
            return text.empty() ? -1 : std::stoi(text);
        text += c;
    }
    return -1;
}

// A window may go between listing it and asking about it; Xlib's own handler would end the
// program for that.
int IgnoreError(Display*, XErrorEvent*) {
    return 0;
}

Atom Intern(Display* display, const char* name) {
    return XInternAtom(display, name, False);
}

QString Title(Display* display, Window window) {
    Atom type = 0;
    int format = 0;
    unsigned long count = 0, after = 0;
    unsigned char* data = nullptr;
    QString title;
    if (XGetWindowProperty(display, window, Intern(display, "_NET_WM_NAME"), 0, 1024, False,
                           Intern(display, "UTF8_STRING"), &type, &format, &count, &after,
                           &data) == Success &&
        data) {
        title = QString::fromUtf8(reinterpret_cast<const char*>(data), qsizetype(count));
        XFree(data);
    }
    return title;
}

}  // namespace

QString VirtualDisplay::serverProgram() {
    return QStandardPaths::findExecutable(QStringLiteral("Xvfb"));
}

QString VirtualDisplay::keyboardProgram() {
    return QStandardPaths::findExecutable(QStringLiteral("xdotool"));
}

VirtualDisplay::VirtualDisplay() {
    const QByteArray program = serverProgram().toLocal8Bit();
    int ready[2];
    if (program.isEmpty() || ::pipe(ready) != 0)
        return;
    server_ = ::fork();
    if (server_ == 0) {
        ::prctl(PR_SET_PDEATHSIG, SIGTERM);
        ::close(ready[0]);
        const int quiet = ::open("/dev/null", O_WRONLY);
        ::dup2(quiet, STDOUT_FILENO);
        ::dup2(quiet, STDERR_FILENO);
        const std::string fd = std::to_string(ready[1]);
        ::execl(program.constData(), "Xvfb", "-displayfd", fd.c_str(), "-screen", "0",
                "1280x1024x24", "-nolisten", "tcp", static_cast<char*>(nullptr));
        ::_exit(127);
    }
    ::close(ready[1]);
    number_ = server_ > 0 ? ReadDisplayNumber(ready[0]) : -1;
    ::close(ready[0]);
    if (number_ < 0)
        return;
    XSetErrorHandler(IgnoreError);
    display_ = XOpenDisplay(name().toLocal8Bit().constData());
}

VirtualDisplay::~VirtualDisplay() {
    if (display_)
        XCloseDisplay(display_);
    if (server_ > 0) {
        ::kill(server_, SIGTERM);
        ::waitpid(server_, nullptr, 0);
    }
}

QString VirtualDisplay::name() const {
    return QStringLiteral(":%1").arg(number_);
}

QList<VirtualDisplay::Window> VirtualDisplay::windows(const QString& title) const {
    QList<Window> found;
    ::Window root = 0, parent = 0;
    ::Window* children = nullptr;
    unsigned int count = 0;
    if (!XQueryTree(display_, DefaultRootWindow(display_), &root, &parent, &children, &count))
        return found;
    for (unsigned int i = 0; i < count; ++i) {
        XWindowAttributes attributes{};
        if (XGetWindowAttributes(display_, children[i], &attributes) &&
            attributes.map_state == IsViewable && Title(display_, children[i]) == title)
            found.append(children[i]);
    }
    if (children)
        XFree(children);
    return found;
}

void VirtualDisplay::requestClose(Window window) const {
    XEvent event{};
    event.xclient.type = ClientMessage;
    event.xclient.window = window;
    event.xclient.message_type = Intern(display_, "WM_PROTOCOLS");
    event.xclient.format = 32;
    event.xclient.data.l[0] = long(Intern(display_, "WM_DELETE_WINDOW"));
    event.xclient.data.l[1] = CurrentTime;
    XSendEvent(display_, window, False, NoEventMask, &event);
    XFlush(display_);
}

bool VirtualDisplay::press(Window window, const QStringList& keys) const {
    return inputTo(window, QStringList{QStringLiteral("key")} + keys);
}

bool VirtualDisplay::type(Window window, const QString& text) const {
    return inputTo(window, {QStringLiteral("type"), QStringLiteral("--"), text});
}

bool VirtualDisplay::inputTo(Window window, const QStringList& command) const {
    QProcess keyboard;
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert(QStringLiteral("DISPLAY"), name());
    keyboard.setProcessEnvironment(environment);
    // The focus is in place before the first key goes.
    keyboard.start(keyboardProgram(),
                   QStringList{QStringLiteral("windowfocus"), QStringLiteral("--sync"),
                               QString::number(window)} +
                       command);
    if (!keyboard.waitForFinished(kTypingMs)) {
        keyboard.kill();
        keyboard.waitForFinished();
        return false;
    }
    return keyboard.exitStatus() == QProcess::NormalExit && keyboard.exitCode() == 0;
}
