#include "CommaNumbers.h"

#include <QFile>
#include <QProcess>
#include <clocale>
#include <cstdlib>

CommaNumbers::CommaNumbers() : previousC_(std::setlocale(LC_NUMERIC, nullptr)) {
    QLocale::setDefault(QLocale(QLocale::German, QLocale::Germany));
    for (const char* name : {"de_DE.UTF-8", "de_DE.utf8", "fr_FR.UTF-8", "ru_RU.UTF-8"}) {
        if (std::setlocale(LC_NUMERIC, name))
            return;
    }
    if (buildMinimalLocale()) {
        qputenv("LOCPATH", folder_.path().toLocal8Bit());
        std::setlocale(LC_NUMERIC, "comma");
    }
}

CommaNumbers::~CommaNumbers() {
    std::setlocale(LC_NUMERIC, previousC_.c_str());
    qunsetenv("LOCPATH");
    QLocale::setDefault(previous_);
}

bool CommaNumbers::cUsesComma() {
    return std::strtod("1,5", nullptr) == 1.5;
}

bool CommaNumbers::buildMinimalLocale() {
    const QString source = folder_.filePath(QStringLiteral("comma.src"));
    QFile file(source);
    if (!file.open(QIODevice::WriteOnly))
        return false;
    file.write(
        "LC_NUMERIC\ndecimal_point \",\"\nthousands_sep \".\"\ngrouping 3;3\n"
        "END LC_NUMERIC\nLC_CTYPE\ncopy \"POSIX\"\nEND LC_CTYPE\n");
    file.close();
    QProcess localedef;
    localedef.start(QStringLiteral("localedef"),
                    {"-c", "-i", source, "-f", "ANSI_X3.4-1968", folder_.filePath("comma")});
    return localedef.waitForFinished(10000);
}
