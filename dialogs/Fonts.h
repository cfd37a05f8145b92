#pragma once

#include <QFont>
#include <QString>

// Makes the Windows face names the window is laid out with ("Terminal", "Tahoma", "Segoe UI",
// "Arial Narrow") resolve to installed faces of the same kind, so those names can be kept in the
// settings file and still render. Safe to call more than once.
void InstallFontSubstitutes();

// A font of the given face with a character height in pixels.
QFont PixelFont(const QString& family, int pixelSize, bool bold = false);
