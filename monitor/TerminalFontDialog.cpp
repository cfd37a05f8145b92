#include "TerminalFontDialog.h"

#include <QColorDialog>
#include <QDialogButtonBox>
#include <QFontDialog>
#include <QFontInfo>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QPixmap>
#include <QPushButton>
#include <QVBoxLayout>

namespace {

constexpr int kSwatchSize = 16;

// The fields list installed faces and their own style names only; a face the terminal asks for by
// another name (such as "Terminal"), or a style the face names otherwise ("Book" for "Normal"),
// is shown as what really renders, so OK without a change keeps the look.
QFont AsRendered(const QFont& font) {
    const QFontInfo rendered(font);
    QFont shown = font;
    shown.setFamily(rendered.family());
    shown.setStyleName(rendered.styleName());
    return shown;
}

}  // namespace

TTerminalFontDialog::TTerminalFontDialog(const QFont& font, const QColor& color, QWidget* parent)
    : QDialog(parent) {
    // The window's font chooser.
    setObjectName(QStringLiteral("FontDialog1"));
    setWindowTitle(QStringLiteral("Font"));

    FontFields = new QFontDialog(this);
    FontFields->setObjectName(QStringLiteral("FontFields"));
    FontFields->setWindowFlags(Qt::Widget);
    FontFields->setOptions(QFontDialog::NoButtons | QFontDialog::DontUseNativeDialog);
    FontFields->setCurrentFont(AsRendered(font));
    // The embedded dialog would close itself on Escape and Enter; they belong to this one.
    FontFields->installEventFilter(this);

    ColorButton = new QPushButton(QStringLiteral("Text &Color..."), this);
    ColorButton->setObjectName(QStringLiteral("ColorButton"));
    ColorButton->setAutoDefault(false);
    ColorChooser = new QColorDialog(this);
    ColorChooser->setObjectName(QStringLiteral("ColorChooser"));
    connect(ColorButton, &QPushButton::clicked, this, [this] {
        ColorChooser->setCurrentColor(color_);
        ColorChooser->open();
    });
    connect(ColorChooser, &QColorDialog::colorSelected, this, &TTerminalFontDialog::setColor);
    setColor(color);

    Buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
    Buttons->setObjectName(QStringLiteral("Buttons"));
    connect(Buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(Buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);

    auto* layout = new QVBoxLayout(this);
    layout->addWidget(FontFields, 1);
    auto* row = new QHBoxLayout;
    row->addWidget(ColorButton);
    row->addStretch(1);
    row->addWidget(Buttons);
    layout->addLayout(row);
}

std::optional<TerminalFont> TTerminalFontDialog::choose(const QFont& font, const QColor& color,
                                                        QWidget* parent) {
    TTerminalFontDialog dialog(font, color, parent);
    dialog.exec();
    return dialog.chosen();
}

TerminalFont TTerminalFontDialog::current() const {
    return {FontFields->currentFont(), color_};
}

std::optional<TerminalFont> TTerminalFontDialog::chosen() const {
    if (result() != QDialog::Accepted)
        return std::nullopt;
    return current();
}

void TTerminalFontDialog::setColor(const QColor& color) {
    color_ = color;
    QPixmap swatch(kSwatchSize, kSwatchSize);
    swatch.fill(color);
    ColorButton->setIcon(swatch);
    ColorButton->setAccessibleDescription(color.name());
}

bool TTerminalFontDialog::eventFilter(QObject* watched, QEvent* event) {
    if (watched == FontFields && event->type() == QEvent::KeyPress) {
        switch (static_cast<QKeyEvent*>(event)->key()) {
            case Qt::Key_Escape:
                reject();
                return true;
            case Qt::Key_Return:
            case Qt::Key_Enter:
                accept();
                return true;
            default:
                break;
        }
    }
    return QDialog::eventFilter(watched, event);
}
