#pragma once

#include <QString>

// The settings file of an executable: its path with the file name's extension replaced by ".INI"
// (".INI" appended when the name has none); dots in folder names are left alone.
QString SettingsFileFor(const QString& executablePath);

// The key ThemeStyle of section APPLICATION; "Windows" when the file or the key is missing.
QString ReadThemeStyle(const QString& settingsFile);
