#include "PortName.h"

#include <algorithm>

namespace {

const QLatin1String kPrefix("COM");

bool IsAsciiDigit(QChar c) {
    return c >= u'0' && c <= u'9';
}

// Compares two runs of digits by their value, however long they are.
int CompareNumbers(QStringView a, QStringView b) {
    while (a.size() > 1 && a.front() == u'0')
        a = a.mid(1);
    while (b.size() > 1 && b.front() == u'0')
        b = b.mid(1);
    if (a.size() != b.size())
        return a.size() < b.size() ? -1 : 1;
    return a.compare(b);
}

QStringView DigitRun(const QString& text, qsizetype& position) {
    const qsizetype start = position;
    while (position < text.size() && IsAsciiDigit(text[position]))
        ++position;
    return QStringView(text).mid(start, position - start);
}

int ListNumber(const QString& name) {
    if (!name.startsWith(kPrefix))
        return 0;
    bool ok = false;
    const int number = QStringView(name).mid(kPrefix.size()).toInt(&ok, 10);
    return ok ? number : 0;
}

}  // namespace

QString PortName(int number) {
    return kPrefix + QString::number(number);
}

int PortNumberFromName(QStringView name) {
    const QStringView digits =
        name.startsWith(kPrefix, Qt::CaseInsensitive) ? name.mid(kPrefix.size()) : name;
    bool ok = false;
    const int number = digits.toInt(&ok, 10);
    return ok ? std::clamp(number, kFirstPortNumber, kLastPortNumber) : kFirstPortNumber;
}

std::optional<int> ExactPortNumber(QStringView name) {
    if (!name.startsWith(kPrefix, Qt::CaseInsensitive))
        return std::nullopt;
    const QStringView digits = name.mid(kPrefix.size());
    if (digits.isEmpty() || !std::all_of(digits.begin(), digits.end(), IsAsciiDigit))
        return std::nullopt;
    bool ok = false;
    const int number = digits.toInt(&ok, 10);
    return ok ? std::optional<int>(number) : std::nullopt;
}

QStringList SortedPortNames(QStringList names) {
    std::stable_sort(names.begin(), names.end(), [](const QString& a, const QString& b) {
        return ListNumber(a) < ListNumber(b);
    });
    return names;
}

bool NaturalLess(const QString& a, const QString& b) {
    qsizetype i = 0;
    qsizetype j = 0;
    while (i < a.size() && j < b.size()) {
        if (IsAsciiDigit(a[i]) && IsAsciiDigit(b[j])) {
            const int order = CompareNumbers(DigitRun(a, i), DigitRun(b, j));
            if (order != 0)
                return order < 0;
            continue;
        }
        if (a[i] != b[j])
            return a[i] < b[j];
        ++i;
        ++j;
    }
    return i == a.size() && j < b.size();
}
