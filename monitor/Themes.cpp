#include "Themes.h"

#include <QApplication>
#include <QColor>
#include <QPalette>
#include <QStyle>
#include <QStyleFactory>
#include <algorithm>
#include <array>
#include <cmath>

namespace {

// The few colours a theme chooses; every other role of the palette follows from them.
struct Theme {
    const char* name;
    QRgb window;
    QRgb windowText;
    QRgb base;
    QRgb text;
    QRgb button;
    QRgb highlight;
};

constexpr std::array<Theme, 35> kThemes = {{
    {"Amakrits", 0x3a3632, 0xece3d6, 0x2a2623, 0xf2eadf, 0x4a443e, 0xd07a2c},
    {"Amethyst Kamri", 0xe6ddf0, 0x241a33, 0xffffff, 0x1d142a, 0xd5c6e6, 0x7b4fa8},
    {"Aqua Graphite", 0xe8e8e8, 0x1a1a1a, 0xffffff, 0x000000, 0xd9dce0, 0x5b6876},
    {"Aqua Light Slate", 0xe4e9ee, 0x1b2530, 0xffffff, 0x0f1822, 0xd3dbe3, 0x2f6aa8},
    {"Auric", 0x2e2b26, 0xf1e6c8, 0x22201c, 0xf5ecd4, 0x3e3a33, 0xc9a227},
    {"Carbon", 0x2d2d30, 0xe6e6e6, 0x1e1e1e, 0xf0f0f0, 0x3c3c3f, 0x0e639c},
    {"Charcoal Dark Slate", 0x2f3437, 0xdde3e6, 0x23272a, 0xe8edf0, 0x3b4145, 0x5c7a8a},
    {"Cobalt XEMedia", 0x1f2a3c, 0xe3ecf7, 0x152033, 0xeef4fb, 0x2b3a52, 0x2f7bd9},
    {"Cyan Dusk", 0x24343a, 0xddf3f6, 0x1a272c, 0xe6f7fa, 0x2f454c, 0x1a8fa2},
    {"Cyan Night", 0x1b2328, 0xd0f0f5, 0x12181c, 0xdcf5f9, 0x26323a, 0x00a8c6},
    {"Emerald Light Slate", 0xe3eae6, 0x1c2a22, 0xffffff, 0x101c15, 0xd3ded8, 0x23784a},
    {"Glossy", 0x303030, 0xf0f0f0, 0x202020, 0xf5f5f5, 0x454545, 0x3d8ee1},
    {"Glow", 0x262a33, 0xe8eaf0, 0x1b1e25, 0xf0f2f7, 0x353b47, 0x4fa3f7},
    {"Golden Graphite", 0x3b3b3b, 0xf0f0f0, 0x2b2b2b, 0xf5f5f5, 0x4a4a4a, 0xd4a017},
    {"Iceberg Classico", 0xe9f1f7, 0x102030, 0xffffff, 0x0a1724, 0xd6e4ee, 0x2f77ac},
    {"Lavender Classico", 0xece8f3, 0x231c30, 0xffffff, 0x1a1424, 0xdcd5e8, 0x6a55a8},
    {"Light", 0xf3f3f3, 0x111111, 0xffffff, 0x000000, 0xe6e6e6, 0x0067c0},
    {"Luna", 0xece9d8, 0x000000, 0xffffff, 0x000000, 0xf4f3ee, 0x316ac5},
    {"Obsidian", 0x1c1f22, 0xe4e6e8, 0x111315, 0xeceef0, 0x2a2e33, 0x4b6a88},
    {"Onyx Blue", 0x2a2d34, 0xe6e9ef, 0x1e2026, 0xeef1f6, 0x373b44, 0x3a6ea5},
    {"Ruby Graphite", 0x3a3a3a, 0xf0f0f0, 0x2a2a2a, 0xf5f5f5, 0x4a4a4a, 0xb22234},
    {"Sapphire Kamri", 0xdde5f0, 0x14213a, 0xffffff, 0x0c1830, 0xc9d6e8, 0x1f4e9c},
    {"Silver", 0xe0e0e0, 0x000000, 0xffffff, 0x000000, 0xd0d0d0, 0x5f6e7c},
    {"Sky", 0xdcebf7, 0x0f2a40, 0xffffff, 0x0a2033, 0xc4ddf2, 0x1f6fb2},
    {"Slate Classico", 0xd8dde2, 0x1b2430, 0xffffff, 0x111923, 0xc8cfd6, 0x4f6b84},
    {"Smokey Quartz Kamri", 0xe2dcd7, 0x2a221c, 0xfbf8f5, 0x211a15, 0xd3cbc3, 0x6f5d4e},
    {"Tablet Dark", 0x202225, 0xf2f2f2, 0x17181a, 0xf7f7f7, 0x2e3034, 0x2f80ed},
    {"Tablet Light", 0xf7f7f7, 0x1a1a1a, 0xffffff, 0x111111, 0xededed, 0x1a6bd0},
    {"Turquoise Gray", 0xd9dedf, 0x1e2526, 0xffffff, 0x121a1b, 0xc9d1d3, 0x137570},
    {"Windows10", 0xf0f0f0, 0x000000, 0xffffff, 0x000000, 0xe1e1e1, 0x0078d7},
    {"Windows10 Blue", 0xd8e6f3, 0x0b1f33, 0xffffff, 0x061626, 0xc2d8ee, 0x0063b1},
    {"Windows10 Dark", 0x2b2b2b, 0xf0f0f0, 0x1f1f1f, 0xf5f5f5, 0x3a3a3a, 0x0078d7},
    {"Windows10 Green", 0xddeedd, 0x10260f, 0xffffff, 0x0a1c0a, 0xc8e2c8, 0x107c10},
    {"Windows10 Purple", 0xe8dff0, 0x240f33, 0xffffff, 0x1a0a26, 0xd6c6e6, 0x5c2d91},
    {"Windows10 SlateGray", 0xd6dbe0, 0x1a2026, 0xffffff, 0x10151a, 0xc3cad2, 0x515c6b},
}};

const QString kNativeName = QStringLiteral("Windows");

double Luminance(const QColor& color) {
    auto channel = [](double c) {
        return c <= 0.03928 ? c / 12.92 : std::pow((c + 0.055) / 1.055, 2.4);
    };
    return 0.2126 * channel(color.redF()) + 0.7152 * channel(color.greenF()) +
           0.0722 * channel(color.blueF());
}

// Black or white, whichever reads better on the background.
QColor TextOn(const QColor& background) {
    return Luminance(background) > 0.179 ? QColor(Qt::black) : QColor(Qt::white);
}

QColor Blend(const QColor& a, const QColor& b) {
    return QColor((a.red() + b.red()) / 2, (a.green() + b.green()) / 2, (a.blue() + b.blue()) / 2);
}

QPalette PaletteOf(const Theme& theme) {
    const QColor window(theme.window), windowText(theme.windowText), base(theme.base),
        text(theme.text), button(theme.button), highlight(theme.highlight);
    const bool dark = Luminance(window) < 0.2;
    QPalette palette;
    palette.setColor(QPalette::Window, window);
    palette.setColor(QPalette::WindowText, windowText);
    palette.setColor(QPalette::Base, base);
    palette.setColor(QPalette::AlternateBase, dark ? base.lighter(120) : base.darker(104));
    palette.setColor(QPalette::Text, text);
    palette.setColor(QPalette::PlaceholderText, Blend(text, base));
    palette.setColor(QPalette::Button, button);
    palette.setColor(QPalette::ButtonText, windowText);
    palette.setColor(QPalette::BrightText, dark ? QColor(Qt::white) : QColor(Qt::red));
    palette.setColor(QPalette::Light, button.lighter(150));
    palette.setColor(QPalette::Midlight, button.lighter(125));
    palette.setColor(QPalette::Mid, button.darker(130));
    palette.setColor(QPalette::Dark, button.darker(200));
    palette.setColor(QPalette::Shadow, QColor(Qt::black));
    palette.setColor(QPalette::Highlight, highlight);
    palette.setColor(QPalette::HighlightedText, TextOn(highlight));
    palette.setColor(QPalette::ToolTipBase, base);
    palette.setColor(QPalette::ToolTipText, text);
    palette.setColor(QPalette::Link, dark ? highlight.lighter(160) : highlight.darker(120));
    palette.setColor(QPalette::LinkVisited, dark ? highlight.lighter(130) : highlight.darker(150));
    for (const auto role : {QPalette::WindowText, QPalette::Text, QPalette::ButtonText})
        palette.setColor(QPalette::Disabled, role, Blend(palette.color(role), window));
    palette.setColor(QPalette::Disabled, QPalette::Base, window);
    palette.setColor(QPalette::Disabled, QPalette::Highlight, button.darker(120));
    return palette;
}

// The look the application had before any theme was chosen.
struct NativeLook {
    QString styleName;
    QPalette palette;
};

const NativeLook& Native(const QApplication& app) {
    static const NativeLook look{app.style()->name(), app.palette()};
    return look;
}

void Apply(const QString& styleName, const QPalette& palette) {
    QApplication::setStyle(QStyleFactory::create(styleName));
    QApplication::setPalette(palette);
}

}  // namespace

QStringList ThemeNames() {
    QStringList names{kNativeName};
    for (const Theme& theme : kThemes)
        names.append(QString::fromLatin1(theme.name));
    return names;
}

bool SelectTheme(QApplication& app, const QString& name) {
    const NativeLook& native = Native(app);
    const auto theme = std::find_if(kThemes.begin(), kThemes.end(), [&](const Theme& t) {
        return name.compare(QLatin1String(t.name), Qt::CaseInsensitive) == 0;
    });
    if (theme != kThemes.end()) {
        Apply(QStringLiteral("Fusion"), PaletteOf(*theme));
        return true;
    }
    Apply(native.styleName, native.palette);
    return name.compare(kNativeName, Qt::CaseInsensitive) == 0;
}
