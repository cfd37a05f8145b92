// The way from bytes waiting in the driver to lines: polling, framing, the line log and the silence
// watchdog.
#include <algorithm>
#include <array>
#include <cstdio>
#include <string>

#include "Clock.h"
#include "Plovikserialgps.h"
#include "TimeStamp.h"

namespace {

// One read never takes more than this, so one chunk is handled like every other.
constexpr qint64 kReadSize = 1023;
// Keep one poll from holding the user-interface thread for long on a flooding line: a tick stops
// taking data after this much or after twice its period (within these bounds), and the next tick
// takes the rest. With a short period the next tick is due at once and the window gets its turn in
// between; with a long one the window is idle between ticks, and a longer tick keeps the port's
// throughput.
constexpr qint64 kMaxBytesPerPoll = 1024 * 1024;
constexpr qint64 kShortestPollMs = 10;
constexpr qint64 kLongestPollMs = 40;
// A run without a line feed longer than this is noise or a wrong line speed: only its tail is kept.
constexpr qsizetype kReceiveBufferLimit = 4096;
constexpr qsizetype kReceiveBufferKeep = 2048;
// Lines held back behind a handler that keeps failing wait for the next pass, but the text waiting
// never grows past what one tick may take.
constexpr qsizetype kWaitingTextLimit = kMaxBytesPerPoll;

bool IsBlank(char byte) {
    return static_cast<unsigned char>(byte) < 33;
}

// Removes leading and trailing bytes below 33; bytes from 127 up are ordinary characters.
QByteArray TrimmedLine(QByteArrayView raw) {
    const auto first = std::find_if_not(raw.begin(), raw.end(), IsBlank);
    const auto last = std::find_if_not(raw.rbegin(), raw.rend(), IsBlank).base();
    if (first >= last)
        return {};
    return QByteArray(first, last - first);
}

// A stray zero byte on the line must not take the bytes around it along.
void AppendWithoutZeroBytes(QByteArray& target, const char* data, qint64 size) {
    const char* end = data + size;
    for (const char* from = data; from < end;) {
        const char* zero = std::find(from, end, '\0');
        target.append(from, zero - from);
        from = zero + 1;
    }
}

// Drops the oldest waiting text down to the limit. The cut follows a line feed, so no line arrives
// without its beginning; with no line feed left, the text is one run and keeps only its tail.
void DropOldestWaitingText(QByteArray& buffer) {
    if (buffer.size() <= kWaitingTextLimit)
        return;
    const qsizetype lineEnd = buffer.indexOf('\n', buffer.size() - kWaitingTextLimit - 1);
    buffer.remove(0, lineEnd >= 0 ? lineEnd + 1 : buffer.size() - kReceiveBufferKeep);
}

}  // namespace

void TPlovikSerialGPS::Poll() {
    std::array<char, kReadSize> chunk;
    bool watchdogRestarted = false;
    const qint64 started = platform_.clock->steadyMs();
    const qint64 budget =
        std::clamp<qint64>(2 * PollTimer->interval(), kShortestPollMs, kLongestPollMs);
    // A handler may close the port while its line is handled, so every round checks again.
    for (qint64 taken = 0; taken < kMaxBytesPerPoll && Connected && PortHandle;) {
        if (taken > 0 && platform_.clock->steadyMs() - started >= budget)
            return;
        const qint64 waiting = PortHandle->bytesWaiting();
        if (waiting <= 0)
            return;
        const qint64 size = PortHandle->read(
            chunk.data(), std::min({waiting, kReadSize, kMaxBytesPerPoll - taken}));
        if (size <= 0)
            return;
        taken += size;
        Traffic.BytesReceived += size;
        AppendWithoutZeroBytes(ReceiveBuffer, chunk.data(), size);
        DataSeen = true;
        if (!watchdogRestarted) {
            // The next silence check comes a full period after this tick's data.
            WatchdogTimer->setEnabled(false);
            WatchdogTimer->setEnabled(true);
            watchdogRestarted = true;
        }
        SplitLines();
    }
}

void TPlovikSerialGPS::SplitLines() {
    // A handler that threw ended the last pass before the cut below.
    DropOldestWaitingText(ReceiveBuffer);
    for (qsizetype end = ReceiveBuffer.indexOf('\n'); end >= 0; end = ReceiveBuffer.indexOf('\n')) {
        // The line leaves the buffer before anyone sees it, so a throwing handler cannot make it
        // arrive twice.
        const QByteArray line = TrimmedLine(QByteArrayView(ReceiveBuffer).first(end));
        ReceiveBuffer.remove(0, end + 1);
        if (line.isEmpty())
            continue;
        ++Traffic.LinesReceived;
        WriteLogLine(line);
        if (OnNewCommand)
            OnNewCommand(this, line);
        if (line.startsWith('$'))
            DecodeSentence(line);
    }
    if (ReceiveBuffer.size() > kReceiveBufferLimit)
        ReceiveBuffer = ReceiveBuffer.right(kReceiveBufferKeep);
}

void TPlovikSerialGPS::WriteLogLine(const QByteArray& line) {
    if (!LogEnabled || !LogFile)
        return;

    // One buffer for every record: a flood of lines costs no allocation here.
    thread_local std::string record;
    record.clear();
    if (LogTimestamps) {
        const QByteArrayView stamp = LogStamp(platform_.clock->epochMs());
        record.append(stamp.data(), stamp.size());
        record += ' ';
    }
    record.append(line.constData(), line.size());
    // CR LF on every platform, so a log reads the same wherever it was written.
    record += "\r\n";
    std::fwrite(record.data(), 1, record.size(), LogFile);
    // On disk as soon as its line is handled, even if the program dies right after.
    std::fflush(LogFile);
}

void TPlovikSerialGPS::WatchdogTick() {
    if (DataSeen) {
        SilenceReported = false;
    } else if (!SilenceReported) {
        SilenceReported = true;
        if (OnTimeout)
            OnTimeout(this);
        if (OnNoData)
            OnNoData(this);
    }
    DataSeen = false;
}
