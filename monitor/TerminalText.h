#pragma once

#include <QByteArrayView>
#include <QString>

// The text a received line is shown as: its bytes through the locale's 8-bit encoding, one row
// whatever they hold. Control characters become their visible control pictures (a carriage return
// inside a line is U+240D, not a break); a tab stays a tab and advances to the next tab stop when
// drawn; bytes that are no text in the locale become U+FFFD, so none is silently dropped.
QString ShownText(QByteArrayView bytes);
// The first characters of the shown text, at most maxChars of them: enough for a row cut off at the
// pane's edge without converting all of a very long line.
QString ShownTextStart(QByteArrayView bytes, qsizetype maxChars);
