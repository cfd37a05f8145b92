#pragma once

#include <QApplication>
#include <QString>
#include <exception>

class MessageBoxes;

// The error box of an exception that escaped a handler.
void ShowEscapedError(const QString& message, MessageBoxes& messages);

// Runs an action; an exception that escapes it is shown in an error box with its message (an
// empty message for an exception that carries none) and goes no further. Returns whether the
// action ran to its end. A template, since it wraps the delivery of every event.
template <typename Action>
bool RunGuarded(Action&& action, MessageBoxes& messages) {
    try {
        action();
        return true;
    } catch (const std::exception& error) {
        ShowEscapedError(QString::fromLocal8Bit(error.what()), messages);
    } catch (...) {
        ShowEscapedError(QString(), messages);
    }
    return false;
}

// Selects the named theme; when there is none of that name, says so in an error box and keeps the
// native look.
void ApplyTheme(QApplication& app, const QString& themeName, MessageBoxes& messages);

// The application object: an exception escaping any event handler is shown and the program goes on.
class TApplication : public QApplication {
public:
    TApplication(int& argc, char** argv, MessageBoxes& messages);

    bool notify(QObject* receiver, QEvent* event) override;

private:
    MessageBoxes& messages_;
};
