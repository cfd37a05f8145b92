#include "ValueSearch.h"

#include <climits>
#include <clocale>
#include <cstdio>
#include <limits>
#include <stdexcept>
#include <string_view>

#ifndef _WIN32
#include <locale.h>
#endif

// In the C library's old GNU mode "%as" allocates and stores a pointer; only the ISO scan reads
// "%la" as a double, as the format check assumes.
#if defined(__GLIBC__) && defined(__GLIBC_USE)
#if __GLIBC_USE(DEPRECATED_SCANF)
#error "the value scan needs the ISO C99 scanf"
#endif
#endif

namespace {

// Conversion letters the C library knows; anything else is refused rather than guessed at.
constexpr std::string_view kConversions = "diouxXaAeEfFgGsScCp[";
// The conversions that store a double when they carry the length modifier "l".
constexpr std::string_view kDoubleConversions = "aAeEfFgG";
constexpr std::string_view kLengthModifiers[] = {"hh", "ll", "h", "l", "j", "z", "t", "L", "q"};

bool IsDigit(char c) {
    return c >= '0' && c <= '9';
}

// Moves past a field width. False for a width the C library would not read as one: zero, or one
// that does not fit in an int.
bool SkipWidth(const char*& at) {
    if (!IsDigit(*at))
        return true;
    long long width = 0;
    for (; IsDigit(*at); ++at) {
        width = width * 10 + (*at - '0');
        if (width > INT_MAX)
            return false;
    }
    return width > 0;
}

std::string_view ReadLengthModifier(const char*& at) {
    const std::string_view rest(at);
    for (const std::string_view modifier : kLengthModifiers) {
        if (rest.starts_with(modifier)) {
            at += modifier.size();
            return modifier;
        }
    }
    return {};
}

// Moves past the set of a %[ conversion, whose opening bracket is already read. A "]" right after
// "[" or "[^" belongs to the set. False when the set is never closed.
bool SkipScanSet(const char*& at) {
    if (*at == '^')
        ++at;
    if (*at == ']')
        ++at;
    while (*at != '\0' && *at != ']')
        ++at;
    if (*at == '\0')
        return false;
    ++at;
    return true;
}

enum class Conversion { Refused, Suppressed, StoresDouble };

// One conversion, "%" already read and not followed by another "%".
Conversion ReadConversion(const char*& at) {
    const bool suppressed = *at == '*';
    if (suppressed)
        ++at;
    if (!SkipWidth(at))
        return Conversion::Refused;
    const std::string_view length = ReadLengthModifier(at);
    const char letter = *at;
    if (letter == '\0' || kConversions.find(letter) == std::string_view::npos)
        return Conversion::Refused;
    ++at;
    if (letter == '[' && !SkipScanSet(at))
        return Conversion::Refused;
    if (suppressed)
        return Conversion::Suppressed;
    if (length == "l" && kDoubleConversions.find(letter) != std::string_view::npos)
        return Conversion::StoresDouble;
    return Conversion::Refused;
}

// Runs the C library's scan with the format's one double as its destination, reading numbers with
// "." for this thread only: the process locale follows the user's once Qt has started, and other
// code may rely on it. Returns the count of assigned conversions.
int ScanWithPoint(const char* text, const char* format, double* value) {
#ifdef _WIN32
    _locale_t point = _create_locale(LC_NUMERIC, "C");
    if (!point)
        throw std::runtime_error("no C numeric locale");
    const int assigned = _sscanf_l(text, format, point, value);
    _free_locale(point);
    return assigned;
#else
    const locale_t current = duplocale(uselocale(nullptr));
    if (!current)
        throw std::runtime_error("cannot copy the thread's locale");
    const locale_t point = newlocale(LC_NUMERIC_MASK, "C", current);
    if (!point) {
        freelocale(current);
        throw std::runtime_error("no C numeric locale");
    }
    const locale_t previous = uselocale(point);
    const int assigned = std::sscanf(text, format, value);
    uselocale(previous);
    freelocale(point);
    return assigned;
#endif
}

}  // namespace

bool LineShown(const QByteArray& line, const QByteArray& search) {
    return search.isEmpty() || line.contains(search);
}

bool LineMatches(const QByteArray& line, const QByteArray& search) {
    return !search.isEmpty() && line.contains(search);
}

QByteArray ScanLineCopy(const QByteArray& line) {
    return line.left(kScanLineBytes);
}

QByteArray ScanFormatCopy(const QByteArray& format) {
    return format.left(kScanFormatBytes);
}

bool IsSafeScanFormat(const QByteArray& format) {
    // Read as the C library reads it: up to the first zero byte.
    const char* at = format.constData();
    int assigning = 0;
    while (*at != '\0') {
        if (*at++ != '%')
            continue;
        if (*at == '%') {
            ++at;
            continue;
        }
        switch (ReadConversion(at)) {
            case Conversion::Refused:
                return false;
            case Conversion::Suppressed:
                break;
            case Conversion::StoresDouble:
                if (++assigning > 1)
                    return false;
                break;
        }
    }
    return assigning == 1;
}

double ScanValue(const QByteArray& line, const QByteArray& format) {
    const QByteArray formatCopy = ScanFormatCopy(format);
    if (!IsSafeScanFormat(formatCopy))
        return 0.0;
    const QByteArray lineCopy = ScanLineCopy(line);
    double value = 0.0;
    return ScanWithPoint(lineCopy.constData(), formatCopy.constData(), &value) == 1 ? value : 0.0;
}

double ReadFactor(const QString& text, double fallback, const QLocale& locale) {
    if (text.isEmpty())
        return fallback;
    // "1,5" typed under an English locale is no number, not fifteen.
    QLocale strict = locale;
    strict.setNumberOptions(strict.numberOptions() | QLocale::RejectGroupSeparator);
    bool ok = false;
    const double value = strict.toDouble(text, &ok);
    return ok ? value : fallback;
}

QString GeneralFormat(double value, const QLocale& locale) {
    QLocale plain = locale;
    plain.setNumberOptions(plain.numberOptions() | QLocale::OmitGroupSeparator);
    return plain.toString(value, 'g', 15);
}

std::optional<double> ScaledValue(const QByteArray& line, const ValueQuery& query) {
    if (!LineMatches(line, query.search))
        return std::nullopt;
    const double x = ScanValue(line, query.format);
    const double a = ReadFactor(query.gain, 1.0, query.locale);
    const double b = ReadFactor(query.offset, 0.0, query.locale);
    return x * a + b;
}

void RunningAverage::add(double value) {
    // The count stops at its largest value rather than overflow; the mean then goes on moving
    // with weight 1/count.
    if (count_ < std::numeric_limits<qint32>::max())
        ++count_;
    // The same mean as ((count - 1) * mean + value) / count, but a steady value stays exactly that
    // value: the product form drifts in the last digits shown after a few dozen samples.
    mean_ += (value - mean_) / count_;
}

void RunningAverage::reset() {
    count_ = 0;
    mean_ = 0.0;
}
