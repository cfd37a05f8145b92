#pragma once

#include <QString>
#include <QStringList>

class QApplication;

// "Windows", the platform's native look, followed by the named themes.
QStringList ThemeNames();

// Applies the theme of that name (letter case ignored) to every window of the application.
// Returns false, leaving the native look, when no theme has that name.
bool SelectTheme(QApplication& app, const QString& name);
