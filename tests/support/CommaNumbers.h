#pragma once

#include <QLocale>
#include <QTemporaryDir>
#include <string>

// Switches the C library's and Qt's number format to a comma separator for its lifetime. Where no
// such C locale is installed it builds a minimal one in a temporary folder.
class CommaNumbers {
public:
    CommaNumbers();
    ~CommaNumbers();
    CommaNumbers(const CommaNumbers&) = delete;
    CommaNumbers& operator=(const CommaNumbers&) = delete;

    // Whether the C library reads "1,5" as one and a half now.
    static bool cUsesComma();

private:
    bool buildMinimalLocale();

    const QLocale previous_;
    const std::string previousC_;
    QTemporaryDir folder_;
};
