#pragma once

#include <sys/types.h>

#include <QList>
#include <QString>
#include <QStringList>

struct _XDisplay;

// An X server of its own (Xvfb) for one test, and what a window manager and a user do to the
// windows on it. No window manager runs there: a window's close button is a close request sent as
// the window manager would send it, and the keyboard is the server's own test input (xdotool).
class VirtualDisplay {
public:
    using Window = unsigned long;

    // Starts the server on a free display number; started() tells whether it came up.
    VirtualDisplay();
    ~VirtualDisplay();
    VirtualDisplay(const VirtualDisplay&) = delete;
    VirtualDisplay& operator=(const VirtualDisplay&) = delete;

    // The server program; empty when it is not installed.
    static QString serverProgram();
    // The program that types on the display; empty when it is not installed.
    static QString keyboardProgram();
    bool started() const { return display_ != nullptr; }
    // The DISPLAY a client connects to, ":N".
    QString name() const;

    // The shown top-level windows with exactly this title.
    QList<Window> windows(const QString& title) const;
    // Asks the window to close (WM_DELETE_WINDOW), as the close button of its frame would.
    void requestClose(Window window) const;
    // Give the window the keyboard focus, as a click on its frame would, then press the keys there
    // one after the other ("alt+r", "Tab", "space"), or type the text. Return whether all went.
    bool press(Window window, const QStringList& keys) const;
    bool type(Window window, const QString& text) const;

private:
    bool inputTo(Window window, const QStringList& command) const;

    pid_t server_ = -1;
    int number_ = -1;
    _XDisplay* display_ = nullptr;
};
