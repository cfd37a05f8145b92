#pragma once

#include <QStatusBar>
#include <QString>
#include <optional>

class QLabel;
class TPlovikSerialGPS;

// What the status line says, part by part; an empty part is not shown.
struct TStatusTexts {
    QString device;    // "COM3 · /dev/ttyUSB0 (FT232R USB UART, serial A50285BI)"
    QString settings;  // "19200 8N1" while open
    QString state;     // "open", "not open: <why and what to do>", "device gone — ..."
    QString paused;    // "paused" while the display is paused
    QString traffic;   // "received 1200 bytes, 12 lines · sent 8 bytes, 2 lines"
    QString log;       // "line log: <file name>", "line log not written: <why>"
    QString note;      // "priority not changed: needs privileges"

    bool operator==(const TStatusTexts&) const = default;
};

// What the window knows beside its component.
struct TStatusFacts {
    bool noPorts = false;  // the port list is empty
    bool paused = false;
    bool logFolderReady = true;  // the log folder could be made when the window was shown
    QString logFolder;
    QString note;
};

TStatusTexts StatusTexts(const TPlovikSerialGPS& link, const TStatusFacts& facts);

// The foot of the main window: one label a part, each with an accessible name that holds its
// caption and its text, so a screen reader tells the whole state without sight of the window.
class TStatusLine : public QStatusBar {
    Q_OBJECT

public:
    explicit TStatusLine(QWidget* parent = nullptr);

    void display(const TStatusTexts& texts);
    // The parts shown, joined by " | ".
    QString text() const;

    QLabel* Device = nullptr;
    QLabel* Settings = nullptr;
    QLabel* State = nullptr;
    QLabel* Paused = nullptr;
    QLabel* Traffic = nullptr;
    QLabel* Log = nullptr;
    QLabel* Note = nullptr;

private:
    QLabel* addPart(const char* name, const QString& caption, int stretch = 0);
    QList<QLabel*> parts() const;

    std::optional<TStatusTexts> shown_;
};
