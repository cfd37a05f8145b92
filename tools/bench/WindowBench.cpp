// Main-window benchmark: lines per second shown in the terminal through the window's line handler,
// into an empty view and into one already holding 50,000 lines; what it costs to paint a screen of
// new rows; and the process's peak memory. Runs offscreen with a window that is shown, so painting
// is counted. Prints figures; never fails.
#include <sys/resource.h>

#include <QApplication>
#include <QElapsedTimer>
#include <QTemporaryDir>
#include <cstdio>

#include "MonitorPlatform.h"
#include "Uzivizovor.h"

namespace {

class SilentMessages : public MessageBoxes {
public:
    void show(QWidget*, QMessageBox::Icon, const QString&, QMessageBox::StandardButton) override {}
};

long PeakMemoryMiB() {
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    return usage.ru_maxrss / 1024;
}

// Feeds lines the way the poll timer does: a batch per turn of the event loop.
double LinesPerSecond(TfZIVizovor& window, int lines, int perTurn) {
    QElapsedTimer clock;
    clock.start();
    for (int sent = 0; sent < lines;) {
        for (int i = 0; i < perTurn && sent < lines; ++i, ++sent)
            window.zSerialNewCommand(window.zSerial,
                                     "$GPGGA," + QByteArray::number(sent) +
                                         ",5130.500,N,00007.500,W,1,07,1.1,35.0,M,46.9,M,,*47");
        QCoreApplication::processEvents();
    }
    window.mTerminal->flush();
    QCoreApplication::processEvents();
    return lines / (clock.nsecsElapsed() / 1e9);
}

void Fill(TfZIVizovor& window, int lines) {
    window.mTerminal->clear();
    for (int i = 0; i < lines; ++i)
        window.zSerialNewCommand(window.zSerial, "filler line");
    window.mTerminal->flush();
    QCoreApplication::processEvents();
}

// Milliseconds to paint the terminal when every row on it is new, as while lines flood in: in the
// terminal's monospaced face (rows from glyph cells) and in a proportional one (rows laid out).
double MsPerScreenOfNewRows(TfZIVizovor& window, const QFont& face) {
    TTerminalView& view = *window.mTerminal;
    view.setFont(face);
    const int rows = view.viewport()->height() / QFontMetrics(face).lineSpacing() + 1;
    constexpr int kFrames = 200;
    QElapsedTimer clock;
    clock.start();
    for (int frame = 0; frame < kFrames; ++frame) {
        for (int i = 0; i < rows; ++i)
            view.appendLine("2026-12-10 13:11:47.396",
                            "INFO  app.main: loop tick ok up=0032084ms heap=42464 q=3 seq=" +
                                QByteArray::number(frame * rows + i));
        view.flush();
        view.viewport()->repaint();
    }
    return clock.nsecsElapsed() / 1e6 / kFrames;
}

}  // namespace

int main(int argc, char** argv) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QTemporaryDir home;
    qputenv("HOME", home.path().toLocal8Bit());
    QApplication app(argc, argv);

    SilentMessages messages;
    MonitorPlatform platform;
    platform.serial = SerialPlatform::system();
    platform.logRoot = home.filePath(QStringLiteral("PLV"));
    platform.runStarted = QDateTime::currentDateTime();
    platform.settingsFile = home.filePath(QStringLiteral("bench.INI"));
    platform.serialDevices = [] { return QStringList(); };
    platform.setNiceValue = [](int) {};
    platform.messages = &messages;

    TfZIVizovor window(platform);
    window.resize(1040, 691);
    window.show();
    QCoreApplication::processEvents();

    constexpr int kLines = 100000;
    std::printf("Lines shown per second through zSerialNewCommand (offscreen, %d lines):\n",
                kLines);
    for (const bool stamped : {true, false}) {
        window.ShowDateTime = stamped;
        for (const int perTurn : {25, 1000}) {
            Fill(window, 0);
            const double empty = LinesPerSecond(window, kLines, perTurn);
            Fill(window, 50000);
            const double full = LinesPerSecond(window, kLines, perTurn);
            std::printf(
                "  %-13s %4d lines per turn: empty view %9.0f, view of 50,000 lines %9.0f\n",
                stamped ? "time stamp," : "no stamp,", perTurn, empty, full);
        }
    }
    std::printf("View holds %d lines after all that (bound %d)\n", window.mTerminal->lineCount(),
                TTerminalView::kMaxLines);
    const QFont terminalFace = window.mTerminal->font();
    std::printf("A screen of new rows painted in %.2f ms (terminal face), %.2f ms (proportional)\n",
                MsPerScreenOfNewRows(window, terminalFace),
                MsPerScreenOfNewRows(window, QFont(QStringLiteral("DejaVu Sans"), 14)));
    std::printf("Peak memory of the process: %ld MiB\n", PeakMemoryMiB());
    return 0;
}
