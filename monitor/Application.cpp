#include "Application.h"

#include "MonitorPlatform.h"
#include "Themes.h"

void ShowEscapedError(const QString& message, MessageBoxes& messages) {
    messages.show(nullptr, QMessageBox::Critical, message, QMessageBox::Ok);
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
