#pragma once

#include <QByteArray>
#include <QLocale>
#include <QString>
#include <QtGlobal>
#include <optional>

// The value half of the handling of one received line: find the search text, scan one number out
// of the line with the user's format, scale it as a·x + b. No window involved.

// The scan sees at most this many bytes of a line and of the format.
inline constexpr qsizetype kScanLineBytes = 1023;
inline constexpr qsizetype kScanFormatBytes = 255;

// Whether the terminal shows the line: the search text is empty or occurs in it (exact bytes).
bool LineShown(const QByteArray& line, const QByteArray& search);
// Whether the value steps run for the line: the search text is not empty and occurs in it.
bool LineMatches(const QByteArray& line, const QByteArray& search);

// The copies the scan works on: the first 1023 bytes of the line, the first 255 of the format.
QByteArray ScanLineCopy(const QByteArray& line);
QByteArray ScanFormatCopy(const QByteArray& format);

// Whether the C library may scan with this format into one double and write nothing else: up to
// its first zero byte it has exactly one assigning conversion, %lf %le %lg %la or an upper-case
// form, with an optional width that fits in an int; around it only literal text, %% and
// conversions suppressed with *. Everything else is refused: %n, any other assigning conversion, a
// second one, positional arguments, flags, an overflowing or zero width, an unclosed %[ and a %
// left dangling at the end.
bool IsSafeScanFormat(const QByteArray& format);

// x of a line: the number the format reads from the start of the line's copy with the format's
// copy, read with "." whatever the locale; 0.0 when the format is refused or the scan assigns
// nothing. Throws std::runtime_error when the point locale cannot be had.
double ScanValue(const QByteArray& line, const QByteArray& format);

// A number the user typed, in the locale's notation and without group separators; the fallback
// when the text is empty or is no number.
double ReadFactor(const QString& text, double fallback, const QLocale& locale);

// A value as the window shows it: general format, at most 15 significant digits, the locale's
// decimal separator, no group separator.
QString GeneralFormat(double value, const QLocale& locale = QLocale::system());

// The four boxes of the quick value search as they read for one line. Search and format are 8-bit
// text like the line; gain and offset are display text in the user's locale.
struct ValueQuery {
    QByteArray search;
    QByteArray format;
    QString gain;
    QString offset;
    QLocale locale = QLocale::system();
};

// y = x·a + b for a line the search text occurs in; nothing when the search text is empty or does
// not occur, so the value shown and the average stay as they are.
std::optional<double> ScaledValue(const QByteArray& line, const ValueQuery& query);

// The mean of the values seen since the last reset, updated one value at a time without keeping
// the values.
class RunningAverage {
public:
    void add(double value);
    void reset();
    qint32 count() const { return count_; }
    double mean() const { return mean_; }

private:
    qint32 count_ = 0;
    double mean_ = 0.0;
};
