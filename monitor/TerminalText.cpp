#include "TerminalText.h"

#include <algorithm>

namespace {

constexpr char16_t kControlPictures = 0x2400;  // U+2400 pictures U+0000, up to U+241F
constexpr char16_t kDeletePicture = 0x2421;
constexpr char16_t kReplacement = 0xFFFD;
// No character takes more bytes than this in any 8-bit encoding a locale uses.
constexpr qsizetype kMaxBytesPerChar = 4;

QString Pictured(QString text) {
    for (QChar& c : text) {
        const char16_t u = c.unicode();
        if (u == u'\t')
            continue;
        if (u < 0x20)
            c = QChar(char16_t(kControlPictures + u));
        else if (u == 0x7F)
            c = QChar(kDeletePicture);
        // C1 controls, and the separators that would start a new row in a layout.
        else if ((u >= 0x80 && u < 0xA0) || u == 0x2028 || u == 0x2029)
            c = QChar(kReplacement);
    }
    return text;
}

}  // namespace

QString ShownText(QByteArrayView bytes) {
    return Pictured(QString::fromLocal8Bit(bytes));
}

QString ShownTextStart(QByteArrayView bytes, qsizetype maxChars) {
    if (bytes.size() <= maxChars)
        return ShownText(bytes);
    QString text =
        QString::fromLocal8Bit(bytes.first(std::min(bytes.size(), maxChars * kMaxBytesPerChar)));
    text.truncate(maxChars);
    if (!text.isEmpty() && text.back().isHighSurrogate())
        text.chop(1);
    return Pictured(std::move(text));
}
