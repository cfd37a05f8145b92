#include "PythonInterpreter.h"

#include <QProcess>
#include <QStandardPaths>

QString PythonInterpreter() {
    static const QString interpreter = [] {
        const QString python = QStandardPaths::findExecutable(QStringLiteral("python3"));
        if (python.isEmpty())
            return QString();
        QProcess ask;
        ask.start(python,
                  {QStringLiteral("-c"), QStringLiteral("import sys; print(sys.executable)")});
        ask.waitForFinished(20000);
        return QString::fromLocal8Bit(ask.readAllStandardOutput()).trimmed();
    }();
    return interpreter;
}
