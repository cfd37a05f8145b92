#pragma once

#include <gtest/gtest.h>
#include <QFile>
#include <QList>
#include <QStringList>
#include <QTemporaryDir>
#include <QUrl>
#include <functional>
#include <memory>
#include <optional>

#include "MonitorPlatform.h"
#include "PtyHarness.h"
#include "SerialPlatform.h"
#include "SteppedTime.h"
#include "Uzivizovor.h"

// Message boxes that are only counted.
class CountingMessages : public MessageBoxes {
public:
    struct Shown {
        QMessageBox::Icon icon;
        QString text;
        QMessageBox::StandardButton button;
    };
    void show(QWidget*, QMessageBox::Icon icon, const QString& text,
              QMessageBox::StandardButton button) override {
        shown.append({icon, text, button});
    }
    QList<Shown> shown;
};

// The outside worlds of one main window, all of them under the test's control: stepped timers and
// clock, a temporary log root, counted messages, recorded priority changes and shell requests,
// choosers that give the answer the test set (none: cancelled) and the real serial layer (ports
// are pseudo-terminals mapped by number).
struct WindowHarness {
    SteppedTime time;
    CountingSerialLayer layer;
    QTemporaryDir dir;
    CountingMessages messages;
    QStringList devices;
    QList<int> niceValues;
    // The nice value the process holds; without privileges it may only go up (lower priority).
    int heldNiceValue = 0;
    bool privileged = true;
    QStringList started;
    QList<QUrl> opened;
    QList<TerminalFont> fontsOffered;
    std::optional<TerminalFont> fontAnswer;
    QList<QColor> colorsOffered;
    std::optional<QColor> colorAnswer;

    QString logRoot() const { return dir.filePath(QStringLiteral("PLV")); }

    MonitorPlatform platform() {
        MonitorPlatform p;
        p.serial = {&layer, &time, &time};
        p.logRoot = logRoot();
        p.runStarted = time.now();
        p.settingsFile = dir.filePath(QStringLiteral("plovik-monitor.INI"));
        p.serialDevices = [this] { return devices; };
        p.setNiceValue = [this](int value) {
            niceValues.append(value);
            if (privileged || value >= heldNiceValue)
                heldNiceValue = value;
        };
        p.niceValue = [this] { return heldNiceValue; };
        p.messages = &messages;
        p.startProgram = [this](const QString& program) { started.append(program); };
        p.openUrl = [this](const QUrl& url) { opened.append(url); };
        p.chooseFont = [this](const QFont& font, const QColor& color, QWidget*) {
            fontsOffered.append({font, color});
            return fontAnswer;
        };
        p.chooseColor = [this](const QColor& color, QWidget*) {
            colorsOffered.append(color);
            return colorAnswer;
        };
        return p;
    }

    std::unique_ptr<TfZIVizovor> window() { return std::make_unique<TfZIVizovor>(platform()); }

    // Writes the settings file the window reads when it is shown.
    void writeSettings(const QByteArray& content) {
        QFile file(platform().settingsFile);
        ASSERT_TRUE(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
        ASSERT_EQ(file.write(content), content.size());
    }

    // A settings file that maps port numbers to devices, as a user would in section PORTS.
    void mapPorts(const QMap<int, QString>& pathByNumber, const QByteArray& more = {}) {
        QByteArray content = "[PORTS]\n";
        for (auto it = pathByNumber.cbegin(); it != pathByNumber.cend(); ++it)
            content += QStringLiteral("COM%1=%2\n").arg(it.key()).arg(it.value()).toUtf8();
        writeSettings(content + more);
    }

    // Steps the timers until done() holds, while the pseudo-terminals deliver.
    bool stepUntil(const std::function<bool()>& done) { return StepUntil(time, done); }
};

// Every line of the terminal, after inserting the waiting ones.
inline QStringList TerminalLines(TfZIVizovor& window) {
    window.mTerminal->flush();
    return window.mTerminal->toPlainText().split(QLatin1Char('\n'));
}
