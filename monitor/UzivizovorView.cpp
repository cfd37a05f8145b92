// The main window's view of the received lines: the component's line handler and the commands
// that act on the view.
#include <QLineEdit>

#include "Clock.h"
#include "TimeStamp.h"
#include "Uzivizovor.h"
#include "ValueDisplay.h"

namespace {

// The size check clears a view that holds more lines than this.
constexpr int kMaxLinesAtSizeCheck = 1000;

}  // namespace

void TfZIVizovor::zSerialNewCommand(TPlovikSerialGPS*, const QByteArray& line) {
    if (!eSearcString || !eFormatIdentifier || !eAX || !eB || !eValue || !mTerminal)
        return;
    if (line.isEmpty())
        return;
    try {
        const QByteArray search = eSearcString->text().toLocal8Bit();
        const bool shown = LineShown(line, search);
        // Before the display and whatever it decides: the value goes on while the view is paused.
        ShowValueOf(line, search);
        if (Paused || !shown)
            return;
        const QByteArrayView stamp =
            ShowDateTime ? DisplayStamp(platform_.serial.clock->epochMs()) : QByteArrayView();
        mTerminal->appendLine(stamp, line);
    } catch (...) {
        // One line that cannot be handled must not stop the lines after it.
    }
}

void TfZIVizovor::ShowValueOf(const QByteArray& line, const QByteArray& search) {
    // Most lines do not match, and reading the other boxes and the locale costs more than the match.
    if (!LineMatches(line, search))
        return;
    const ValueQuery query{search, eFormatIdentifier->text().toLocal8Bit(), eAX->text(),
                           eB->text()};
    if (const std::optional<double> y = ScaledValue(line, query))
        ShowScaledValue(*y, *eValue, Averaging, fAverage);
}

void TfZIVizovor::mTerminalDblClick() {
    Paused = !Paused;
    RefreshStatus();
}

void TfZIVizovor::DateTime1Click() {
    ShowDateTime = !ShowDateTime;
}

void TfZIVizovor::Clear1Click() {
    mTerminal->clear();
}

void TfZIVizovor::Timer1Timer() {
    if (mTerminal->lineCount() > kMaxLinesAtSizeCheck)
        mTerminal->clear();
}
