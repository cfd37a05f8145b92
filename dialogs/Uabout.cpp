#include "Uabout.h"

#include <QDate>
#include <QFrame>
#include <QLabel>
#include <QPushButton>
#include <QStyle>

#include "Fonts.h"

namespace {

constexpr QColor kPanelGrey(240, 240, 240);
constexpr QColor kDarkGrey(82, 82, 82);

// The box is laid out in one face throughout.
QFont AboutFont(int pixelSize, bool bold = false) {
    return PixelFont(QStringLiteral("Segoe UI"), pixelSize, bold);
}

QFrame* Panel(const char* name, const QRect& geometry, QWidget* parent) {
    auto* panel = new QFrame(parent);
    panel->setObjectName(QLatin1String(name));
    panel->setGeometry(geometry);
    panel->setFrameShape(QFrame::NoFrame);
    panel->setAutoFillBackground(true);
    QPalette colours = panel->palette();
    colours.setColor(QPalette::Window, kPanelGrey);
    panel->setPalette(colours);
    return panel;
}

QLabel* Line(const char* name, const QString& text, const QRect& geometry, const QFont& font,
             const QColor& colour, QWidget* parent) {
    auto* label = new QLabel(text, parent);
    label->setObjectName(QLatin1String(name));
    label->setGeometry(geometry);
    label->setAlignment(Qt::AlignCenter);
    label->setFont(font);
    QPalette colours = label->palette();
    colours.setColor(QPalette::WindowText, colour);
    label->setPalette(colours);
    return label;
}

}  // namespace

TfAbout::TfAbout(QWidget* parent) : QDialog(parent) {
    setObjectName(QStringLiteral("fAbout"));
    setWindowTitle(QStringLiteral("About Plovik Comport Monitor"));
    setFont(AboutFont(12));
    setFixedSize(400, 280);
    setAutoFillBackground(true);
    QPalette colours = palette();
    colours.setColor(QPalette::Window, Qt::white);
    setPalette(colours);

    Panel4 = Panel("Panel4", {20, 20, 360, 100}, this);
    SoftName = Line("SoftName", QStringLiteral("Plovik Comport Monitor"), {0, 15, 360, 32},
                    AboutFont(24, true), kDarkGrey, Panel4);
    Version = Line("Version", QStringLiteral("Version 2.1.7"), {0, 55, 360, 24}, AboutFont(16),
                   Qt::gray, Panel4);
    Panel3 = Panel("Panel3", {20, 130, 360, 90}, this);
    // The notice carries the year the program was started in.
    Label8 = Line(
        "Label8",
        QStringLiteral("\u00A9 %1 Plovik. All rights reserved.").arg(QDate::currentDate().year()),
        {0, 15, 360, 22}, AboutFont(15), kDarkGrey, Panel3);
    QFont link = AboutFont(15);
    link.setUnderline(true);
    Label5 = Line("Label5", QStringLiteral("https://plovik.example"), {0, 45, 360, 22}, link,
                  Qt::blue, Panel3);
    Label5->setCursor(Qt::PointingHandCursor);

    BitBtn2 = new QPushButton(style()->standardIcon(QStyle::SP_DialogOkButton),
                              QStringLiteral("OK"), this);
    BitBtn2->setObjectName(QStringLiteral("BitBtn2"));
    BitBtn2->setGeometry(140, 235, 120, 35);
    BitBtn2->setFont(AboutFont(13));
    connect(BitBtn2, &QPushButton::clicked, this, &QDialog::hide);
}
