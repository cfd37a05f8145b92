// The main window's connection control: applying the port settings to the component, and pausing
// the view.
#include <QComboBox>
#include <algorithm>
#include <array>
#include <cstdlib>
#include <utility>

#include "Uzivizovor.h"
#include "WindowDefaults.h"

namespace {

constexpr qint32 kDefaultBaud = 9600;

const std::array<std::pair<const char*, qint32>, 5> kParityCodes = {
    {{"None", 0}, {"Odd", 1}, {"Even", 2}, {"Mark", 3}, {"Space", 4}}};

// From the lowest priority to the highest; raising above normal usually needs privileges.
const std::array<std::pair<const char*, int>, 6> kNiceValues = {
    {{"Idle", 19}, {"Lowest", 10}, {"Lower", 5}, {"Normal", 0}, {"Higher", -5}, {"Highest", -10}}};

template <typename Table, typename Value>
Value LookUp(const Table& table, const QString& text, Value fallback) {
    for (const auto& [name, value] : table) {
        if (text == QLatin1String(name))
            return value;
    }
    return fallback;
}

int IntegerOr(const QString& text, int fallback) {
    bool ok = false;
    const int value = text.toInt(&ok, 10);
    return ok ? value : fallback;
}

// Index + 1 of the selected item, the fallback with none selected.
qint32 CodeFromIndex(const QComboBox* list, qint32 fallback) {
    return list->currentIndex() < 0 ? fallback : list->currentIndex() + 1;
}

// The item whose nice value is nearest to the one held; a held value of a start through nice(1)
// may lie between two items.
const char* NearestPriority(int niceValue) {
    const auto distance = [niceValue](const auto& item) {
        return std::abs(item.second - niceValue);
    };
    return std::min_element(kNiceValues.begin(), kNiceValues.end(),
                            [&](const auto& a, const auto& b) { return distance(a) < distance(b); })
        ->first;
}

bool IsTrue(const QComboBox* list) {
    return list->currentText() == QLatin1String(kTrueText);
}

}  // namespace

qint32 TfZIVizovor::SelectedParityCode() const {
    return LookUp(kParityCodes, Parity->currentText(), qint32{0});
}

int TfZIVizovor::SelectedNiceValue() const {
    return LookUp(kNiceValues, Priority->currentText(), 0);
}

void TfZIVizovor::bConnectClick() {
    Paused = false;
    ApplyPriority();
    if (Port->currentIndex() >= 0 && !Port->currentText().isEmpty()) {
        try {
            ApplyConnection();
        } catch (...) {
            // The status line tells what the component knows; nothing else is to be said.
        }
    }
    RefreshStatus();
}

void TfZIVizovor::ApplyPriority() {
    if (!platform_.setNiceValue)
        return;
    const int asked = SelectedNiceValue();
    platform_.setNiceValue(asked);
    const int held = platform_.niceValue ? platform_.niceValue() : asked;
    if (held == asked) {
        PriorityNote.clear();
        return;
    }
    // Raising the priority needs privileges, and so does taking back a lowering: the list shows
    // what the process holds, so that is also what is stored at close.
    Priority->setCurrentIndex(Priority->findText(QLatin1String(NearestPriority(held))));
    PriorityNote = QStringLiteral("priority not changed: needs privileges");
}

void TfZIVizovor::ApplyConnection() {
    if (zSerial->Connected)
        zSerial->Close();
    const bool logOn = IsTrue(NMEALog);
    if (logOn)
        zSerial->LogFileName = LineLogPath;
    zSerial->PortNumber = TPlovikSerialGPS::PortNumberFromName(Port->currentText().toLocal8Bit());
    zSerial->Baud =
        TPlovikSerialGPS::NormalizeBaud(IntegerOr(BaudRate->currentText(), kDefaultBaud));
    zSerial->DataBitsCode = CodeFromIndex(DataWidth, 4);
    zSerial->StopBitsCode = CodeFromIndex(StopBits, 1);
    zSerial->ParityCode = SelectedParityCode();
    zSerial->PollInterval = IntegerOr(Delay->currentText(), kDefaultDelay);
    zSerial->LogEnabled = logOn;
    zSerial->LogTimestamps = IsTrue(LogTime);
    zSerial->DtrEnabled = EnableDTR->currentIndex() == 0;
    zSerial->RtsEnabled = EnableRTS->currentIndex() == 0;
    zSerial->Open();
}

void TfZIVizovor::bPauseClick() {
    Paused = true;
    RefreshStatus();
}
