#include "Application.h"

#include <exception>

#include "MonitorPlatform.h"
#include "Themes.h"

bool RunGuarded(const std::function<void()>& action, MessageBoxes& messages) {
    QString message;
    try {
        action();
        return true;
    } catch (const std::exception& error) {
        message = QString::fromLocal8Bit(error.what());
    } catch (...) {
    }
    messages.show(nullptr, QMessageBox::Critical, message, QMessageBox::Ok);
    return false;
}

void ApplyTheme(QApplication& app, const QString& themeName, MessageBoxes& messages) {
    if (SelectTheme(app, themeName))
        return;
    messages.show(nullptr, QMessageBox::Critical,
                  QStringLiteral("Style '%1' not found").arg(themeName), QMessageBox::Close);
}

TApplication::TApplication(int& argc, char** argv, MessageBoxes& messages)
    : QApplication(argc, argv), messages_(messages) {}

bool TApplication::notify(QObject* receiver, QEvent* event) {
    bool handled = false;
    RunGuarded([&] { handled = QApplication::notify(receiver, event); }, messages_);
    return handled;
}
