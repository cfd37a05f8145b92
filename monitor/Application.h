#pragma once

#include <QApplication>
#include <QString>
#include <functional>

class MessageBoxes;

// Runs an action; an exception that escapes it is shown in an error box with its message (an
// empty message for an exception that carries none) and goes no further. Returns whether the
// action ran to its end.
bool RunGuarded(const std::function<void()>& action, MessageBoxes& messages);

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
