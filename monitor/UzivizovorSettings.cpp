// The main window's settings: restored when the window is shown, together with the port list, and
// written back when it closes.
#include <QCheckBox>
#include <QComboBox>
#include <QFontInfo>
#include <QLineEdit>
#include <QPushButton>
#include <utility>

#include "PortName.h"
#include "SettingsFile.h"
#include "Uzivizovor.h"
#include "WindowDefaults.h"

namespace {

using S = TerminalSettings;
using W = TfZIVizovor;

// Which control shows which of the settings.
constexpr std::pair<QString S::*, QComboBox * W::*> kLists[] = {
    {&S::portNo, &W::Port},         {&S::baudRate, &W::BaudRate},   {&S::dataWidth, &W::DataWidth},
    {&S::stopBits, &W::StopBits},   {&S::parity, &W::Parity},       {&S::priority, &W::Priority},
    {&S::delay, &W::Delay},         {&S::nmeaLog, &W::NMEALog},     {&S::logTime, &W::LogTime},
    {&S::enableDtr, &W::EnableDTR}, {&S::enableRts, &W::EnableRTS},
};

constexpr std::pair<QString S::*, QLineEdit * W::*> kEdits[] = {
    {&S::searchString, &W::eSearcString},
    {&S::formatIdentifier, &W::eFormatIdentifier},
    {&S::ax, &W::eAX},
    {&S::b, &W::eB},
    {&S::value, &W::eValue},
    {&S::broadcast, &W::eBroadcast},
};

constexpr std::pair<bool S::*, QCheckBox * W::*> kChecks[] = {
    {&S::cr, &W::cbCR},
    {&S::lf, &W::cbLF},
};

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

}  // namespace

void TfZIVizovor::FormShow() {
    LogFolderReady =
        EnsureLogFolder(platform_.logRoot, *platform_.serial.clock, *platform_.messages, this);
    FillPortList();
    RestoreSettings();
    bConnect->click();
}

void TfZIVizovor::FormCloseQuery(bool& /*canClose*/) {
    // The close refused for an unwritable file has told the user; the next request must end the
    // program all the same. It tries once more, quietly, in case the file was mended meanwhile.
    if (std::exchange(closeRefused_, false)) {
        try {
            SaveSettings();
        } catch (const SettingsWriteError&) {
        }
        return;
    }
    closeRefused_ = true;
    SaveSettings();
    closeRefused_ = false;
}

void TfZIVizovor::FillPortList() {
    Port->clear();
    try {
        zSerial->Ports.setExplicitEntries(ReadPortEntries(IniFile(SettingsFilePath)));
        zSerial->Ports.setDetectedDevices(platform_.serialDevices ? platform_.serialDevices()
                                                                  : QStringList());
        QMap<QString, QString> devicePaths;
        for (const PortMap::Entry& entry : zSerial->Ports.entries())
            devicePaths.insert(entry.name, entry.devicePath);
        for (const QString& name : SortedPortNames(devicePaths.keys())) {
            Port->addItem(name);
            Port->setItemData(Port->count() - 1, devicePaths.value(name), Qt::ToolTipRole);
        }
    } catch (...) {
        // A port list that cannot be read leaves the list as it is; the window works without.
    }
}

void TfZIVizovor::RestoreSettings() {
    const TerminalSettings stored = ReadTerminalSettings(IniFile(SettingsFilePath));
    for (const auto& [field, list] : kLists)
        SelectItem(this->*list, stored.*field);
    // A port that has gone away gives way to the first one there is.
    if (Port->currentIndex() < 0 && Port->count() > 0)
        Port->setCurrentIndex(0);
    for (const auto& [field, edit] : kEdits)
        (this->*edit)->setText(stored.*field);
    for (const auto& [field, check] : kChecks)
        (this->*check)->setChecked(stored.*field);
    ShowDateTime = stored.showDateTime;

    if (stored.settingsWidth >= kLeastSettingsPanelWidth &&
        stored.settingsWidth <= kMostSettingsPanelWidth)
        SetSettingsPanelWidth(stored.settingsWidth);

    if (stored.fontName.isEmpty()) {
        SetTerminalColor(QPalette::Text, Qt::black);
        SetTerminalColor(QPalette::Base, Qt::white);
        return;
    }
    QFont font = mTerminal->font();
    font.setFamily(stored.fontName);
    if (stored.fontSize >= kLeastFontSize && stored.fontSize <= kMostFontSize)
        font.setPointSize(stored.fontSize);
    ApplyStyleBits(font, stored.fontStyle);
    mTerminal->setFont(font);
    SetTerminalColor(QPalette::Text, ColorFromStored(stored.fontColor));
    SetTerminalColor(QPalette::Base, ColorFromStored(stored.backColor));
}

void TfZIVizovor::SaveSettings() {
    TerminalSettings current;
    for (const auto& [field, list] : kLists)
        current.*field = (this->*list)->currentText();
    for (const auto& [field, edit] : kEdits)
        current.*field = (this->*edit)->text();
    for (const auto& [field, check] : kChecks)
        current.*field = (this->*check)->isChecked();
    current.showDateTime = ShowDateTime;
    // Hidden, the panel keeps the width it was last shown with; its visibility is not stored.
    current.settingsWidth = SettingsPanelWidth();

    const QFont font = mTerminal->font();
    current.fontName = font.family();
    current.fontSize = PointSize(font, mTerminal->logicalDpiY());
    current.fontColor = StoredFromColor(TerminalColor(QPalette::Text));
    current.fontStyle = StyleBits(font);
    current.backColor = StoredFromColor(TerminalColor(QPalette::Base));

    IniFile file(SettingsFilePath);
    WriteTerminalSettings(file, current);
    file.save();
}
