// The main window's side of the settings file: which control each key of section TERMINAL
// belongs to, and how a stored value is put back into it.
#include <QCheckBox>
#include <QComboBox>
#include <QFontInfo>
#include <QLineEdit>
#include <utility>

#include "SettingsFile.h"
#include "Uzivizovor.h"

namespace {

constexpr std::pair<TerminalKey, QComboBox * TfZIVizovor::*> kLists[] = {
    {PortNoKey, &TfZIVizovor::Port},         {BaudRateKey, &TfZIVizovor::BaudRate},
    {DataWidthKey, &TfZIVizovor::DataWidth}, {StopBitsKey, &TfZIVizovor::StopBits},
    {ParityKey, &TfZIVizovor::Parity},       {PriorityKey, &TfZIVizovor::Priority},
    {DelayKey, &TfZIVizovor::Delay},         {NmeaLogKey, &TfZIVizovor::NMEALog},
    {LogTimeKey, &TfZIVizovor::LogTime},     {EnableDtrKey, &TfZIVizovor::EnableDTR},
    {EnableRtsKey, &TfZIVizovor::EnableRTS},
};

constexpr std::pair<TerminalKey, QLineEdit * TfZIVizovor::*> kEdits[] = {
    {SearchStringKey, &TfZIVizovor::eSearcString},
    {FormatIdentifierKey, &TfZIVizovor::eFormatIdentifier},
    {AxKey, &TfZIVizovor::eAX},
    {BKey, &TfZIVizovor::eB},
    {ValueKey, &TfZIVizovor::eValue},
    {BroadcastKey, &TfZIVizovor::eBroadcast},
};

constexpr std::pair<TerminalKey, QCheckBox * TfZIVizovor::*> kChecks[] = {
    {CrKey, &TfZIVizovor::cbCR},
    {LfKey, &TfZIVizovor::cbLF},
};

constexpr int kMinSettingsWidth = 100;
constexpr int kMaxSettingsWidth = 400;

// Bits of the stored font style.
constexpr int kBold = 1;
constexpr int kItalic = 2;
constexpr int kUnderline = 4;
constexpr int kStrikeOut = 8;

// Colours are stored red in the lowest byte (0x00BBGGRR).
QColor ColorFromStored(int stored) {
    return QColor(stored & 0xFF, (stored >> 8) & 0xFF, (stored >> 16) & 0xFF);
}

int StoredFromColor(const QColor& color) {
    return color.red() | (color.green() << 8) | (color.blue() << 16);
}

int StyleBits(const QFont& font) {
    return (font.bold() ? kBold : 0) | (font.italic() ? kItalic : 0) |
           (font.underline() ? kUnderline : 0) | (font.strikeOut() ? kStrikeOut : 0);
}

void ApplyStyleBits(QFont& font, int bits) {
    font.setBold(bits & kBold);
    font.setItalic(bits & kItalic);
    font.setUnderline(bits & kUnderline);
    font.setStrikeOut(bits & kStrikeOut);
}

// A font laid out in pixels is stored in the points it measures on this screen.
int PointSize(const QFont& font, int dotsPerInch) {
    if (font.pointSize() > 0)
        return font.pointSize();
    return qRound(font.pixelSize() * 72.0 / dotsPerInch);
}

// The item equal to the text, letter case ignored; no selection when there is none.
void SelectItem(QComboBox* list, const QString& text) {
    list->setCurrentIndex(text.isEmpty() ? -1 : list->findText(text, Qt::MatchFixedString));
}

void SetTerminalColors(QWidget* terminal, const QColor& text, const QColor& background) {
    QPalette colours = terminal->palette();
    colours.setColor(QPalette::Text, text);
    colours.setColor(QPalette::Base, background);
    terminal->setPalette(colours);
}

}  // namespace

void TfZIVizovor::RestoreSettings() {
    const TerminalValues stored = ReadTerminalSection(IniFile(SettingsFilePath));
    for (const auto& [key, list] : kLists)
        SelectItem(this->*list, stored[key].toString());
    // A port that has gone away gives way to the first one there is.
    if (Port->currentIndex() < 0 && Port->count() > 0)
        Port->setCurrentIndex(0);
    for (const auto& [key, edit] : kEdits)
        (this->*edit)->setText(stored[key].toString());
    for (const auto& [key, check] : kChecks)
        (this->*check)->setChecked(stored[key].toBool());
    ShowDateTime = stored[ShowDateTimeKey].toBool();

    const int width = stored[SettingsWidthKey].toInt();
    if (width >= kMinSettingsWidth && width <= kMaxSettingsWidth)
        SetSettingsPanelWidth(width);

    const QString fontName = stored[FontNameKey].toString();
    if (fontName.isEmpty()) {
        SetTerminalColors(mTerminal, Qt::black, Qt::white);
        return;
    }
    QFont font = mTerminal->font();
    font.setFamily(fontName);
    // Qt has no font of zero or fewer points; such a size keeps the one there is.
    if (const int size = stored[FontSizeKey].toInt(); size > 0)
        font.setPointSize(size);
    ApplyStyleBits(font, stored[FontStyleKey].toInt());
    mTerminal->setFont(font);
    SetTerminalColors(mTerminal, ColorFromStored(stored[FontColorKey].toInt()),
                      ColorFromStored(stored[BackColorKey].toInt()));
}

void TfZIVizovor::SaveSettings() {
    TerminalValues current;
    for (const auto& [key, list] : kLists)
        current[key] = (this->*list)->currentText();
    for (const auto& [key, edit] : kEdits)
        current[key] = (this->*edit)->text();
    for (const auto& [key, check] : kChecks)
        current[key] = (this->*check)->isChecked();
    current[ShowDateTimeKey] = ShowDateTime;
    current[SettingsWidthKey] = SettingsPanelWidth();

    const QFont font = mTerminal->font();
    const QPalette colours = mTerminal->palette();
    current[FontNameKey] = font.family();
    current[FontSizeKey] = PointSize(font, mTerminal->logicalDpiY());
    current[FontColorKey] = StoredFromColor(colours.color(QPalette::Text));
    current[FontStyleKey] = StyleBits(font);
    current[BackColorKey] = StoredFromColor(colours.color(QPalette::Base));

    IniFile file(SettingsFilePath);
    WriteTerminalSection(file, current);
    file.save();
}
