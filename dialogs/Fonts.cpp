#include "Fonts.h"

#include <QStringList>

void InstallFontSubstitutes() {
    const QStringList monospaced = {QStringLiteral("DejaVu Sans Mono"),
                                    QStringLiteral("Liberation Mono")};
    // Liberation Sans is about as wide as the faces it stands in for; DejaVu Sans is wider.
    const QStringList sans = {QStringLiteral("Liberation Sans"), QStringLiteral("DejaVu Sans")};
    QFont::insertSubstitutions(QStringLiteral("Terminal"), monospaced);
    QFont::insertSubstitutions(QStringLiteral("Tahoma"), sans);
    QFont::insertSubstitutions(QStringLiteral("Segoe UI"), sans);
    QFont::insertSubstitutions(QStringLiteral("Arial Narrow"),
                               {QStringLiteral("Liberation Sans Narrow")});
}

QFont PixelFont(const QString& family, int pixelSize, bool bold) {
    QFont font(family);
    font.setPixelSize(pixelSize);
    font.setBold(bold);
    return font;
}
