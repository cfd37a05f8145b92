#include "Uabout.h"

#include <QFrame>
#include <QKeyEvent>
#include <QLabel>
#include <QPushButton>
#include <QScreen>
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

// A link as a label: blue, underlined, the hand cursor over it. The keyboard reaches the label as a
// whole with one Tab (the box's event filter opens it on Enter or Space); a dotted frame shows the
// focus.
QLabel* Link(const char* name, const QString& address, const QRect& geometry, QWidget* parent) {
    // The colour is the anchor's own: a theme's link colour does not apply.
    const QString html =
        QStringLiteral("<a href=\"%1\" style=\"color: #0000ff; text-decoration: underline\">%1</a>")
            .arg(address.toHtmlEscaped());
    QLabel* label = Line(name, html, geometry, AboutFont(15), Qt::blue, parent);
    label->setTextFormat(Qt::RichText);
    label->setOpenExternalLinks(false);
    label->setTextInteractionFlags(Qt::LinksAccessibleByMouse);
    label->setFocusPolicy(Qt::TabFocus);
    label->setStyleSheet(QStringLiteral("QLabel:focus { border: 1px dotted blue; }"));
    label->setAccessibleName(address);
    label->setAccessibleDescription(QStringLiteral("Opens the maker's web site in the browser"));
    return label;
}

}  // namespace

TfAbout::TfAbout(QWidget* parent, QDate today) : TSecondaryWindow(parent) {
    setObjectName(QStringLiteral("fAbout"));
    setWindowTitle(QStringLiteral("About Plovik Comport Monitor"));
    setFont(AboutFont(12));
    setFixedSize(400, 280);
    if (const QScreen* shownOn = screen())
        move(shownOn->availableGeometry().center() - rect().center());
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
    Label8 =
        Line("Label8", QStringLiteral("\u00A9 %1 Plovik. All rights reserved.").arg(today.year()),
             {0, 15, 360, 22}, AboutFont(15), kDarkGrey, Panel3);
    Label5 = Link("Label5", QLatin1String(kMakerAddress), {0, 45, 360, 22}, Panel3);
    connect(Label5, &QLabel::linkActivated, this, [this] { Label5Click(); });
    Label5->installEventFilter(this);

    BitBtn2 = new QPushButton(style()->standardIcon(QStyle::SP_DialogOkButton),
                              QStringLiteral("OK"), this);
    BitBtn2->setObjectName(QStringLiteral("BitBtn2"));
    BitBtn2->setGeometry(140, 235, 120, 35);
    BitBtn2->setFont(AboutFont(13));
    BitBtn2->setDefault(true);
    // Enter closes the box; the link is a Tab away.
    BitBtn2->setFocus();
    connect(BitBtn2, &QPushButton::clicked, this, [this] { BitBtn2Click(); });
}

void TfAbout::BitBtn2Click() {
    hide();
}

bool TfAbout::eventFilter(QObject* watched, QEvent* event) {
    if (watched == Label5 && event->type() == QEvent::KeyPress) {
        const int key = static_cast<QKeyEvent*>(event)->key();
        if (key == Qt::Key_Return || key == Qt::Key_Enter || key == Qt::Key_Space) {
            Label5Click();
            return true;
        }
    }
    return TSecondaryWindow::eventFilter(watched, event);
}

void TfAbout::Label5Click() {
    if (OpenLink)
        OpenLink(QUrl(QLatin1String(kMakerAddress)));
}
