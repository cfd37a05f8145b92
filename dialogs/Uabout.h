#pragma once

#include <QDate>
#include <QUrl>
#include <functional>

#include "SecondaryWindow.h"

class QFrame;
class QLabel;
class QPushButton;

// The About box: program name, version, the maker's notice and web address.
class TfAbout : public TSecondaryWindow {
    Q_OBJECT

public:
    static constexpr char kMakerAddress[] = "https://plovik.example";

    // The notice carries the year of today, read once: a program left running over the new year
    // keeps the year it started in.
    explicit TfAbout(QWidget* parent = nullptr, QDate today = QDate::currentDate());

    void BitBtn2Click();
    // Hands the maker's address to OpenLink; the box stays open.
    void Label5Click();

    // Opens an address in the user's browser; set by the creator. Unset, a click opens nothing.
    std::function<void(const QUrl&)> OpenLink;

    QFrame* Panel4 = nullptr;
    QLabel* SoftName = nullptr;
    QLabel* Version = nullptr;
    QFrame* Panel3 = nullptr;
    QLabel* Label8 = nullptr;
    QLabel* Label5 = nullptr;
    QPushButton* BitBtn2 = nullptr;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
};
