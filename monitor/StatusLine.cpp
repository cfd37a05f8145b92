#include "StatusLine.h"

#include <QFile>
#include <QFileInfo>
#include <QLabel>
#include <algorithm>

#include "LinkStatusText.h"
#include "Plovikserialgps.h"

namespace {

const char* const kCaption = "caption";
constexpr int kLeastPartWidth = 80;

QString Count(qint64 count, const char* one, const char* many) {
    return QStringLiteral("%1 %2").arg(count).arg(QLatin1String(count == 1 ? one : many));
}

QString TrafficText(const TLinkTraffic& traffic) {
    return QStringLiteral("received ") + Count(traffic.BytesReceived, "byte", "bytes") +
           QStringLiteral(", ") + Count(traffic.LinesReceived, "line", "lines") +
           QStringLiteral(" \u00b7 sent ") + Count(traffic.BytesSent, "byte", "bytes") +
           QStringLiteral(", ") + Count(traffic.LinesSent, "line", "lines");
}

// Only while a link is up or waiting to come back is there a log to tell about.
QString LogText(const TPlovikSerialGPS& link, const TStatusFacts& facts) {
    if (!link.LogEnabled || link.LinkState == TLinkState::Closed)
        return {};
    const QString notWritten = QStringLiteral("line log not written: ");
    // The file cannot be made in a folder that is not there; the folder is what to see to.
    if (!facts.logFolderReady && !link.LogFile)
        return notWritten + QStringLiteral("cannot create the folder ") + facts.logFolder;
    if (!link.LogError.isEmpty())
        return notWritten + link.LogError;
    return QStringLiteral("line log: ") + QFileInfo(QFile::decodeName(link.LogFileName)).fileName();
}

}  // namespace

TStatusTexts StatusTexts(const TPlovikSerialGPS& link, const TStatusFacts& facts) {
    const bool up = link.LinkState != TLinkState::Closed;
    TStatusTexts texts;
    texts.device =
        facts.noPorts && !up ? QStringLiteral("no serial port found") : LinkDeviceText(link);
    texts.settings = LinkSettingsText(link);
    texts.state = LinkStateText(link);
    if (facts.paused)
        texts.paused = QStringLiteral("paused");
    if (up)
        texts.traffic = TrafficText(link.Traffic);
    texts.log = LogText(link, facts);
    texts.note = facts.note;
    return texts;
}

TStatusLine::TStatusLine(QWidget* parent) : QStatusBar(parent) {
    setObjectName(QStringLiteral("StatusBar1"));
    setAccessibleName(QStringLiteral("Connection status"));
    Device = addPart("Device", QStringLiteral("Port"));
    Settings = addPart("Settings", QStringLiteral("Line settings"));
    State = addPart("State", QStringLiteral("Connection"), 1);
    Paused = addPart("Paused", QStringLiteral("Display"));
    Traffic = addPart("Traffic", QStringLiteral("Traffic"));
    Log = addPart("Log", QStringLiteral("Line log"));
    Note = addPart("Note", QStringLiteral("Priority"));
    display(TStatusTexts{});
}

QLabel* TStatusLine::addPart(const char* name, const QString& caption, int stretch) {
    auto* label = new QLabel(this);
    label->setObjectName(QLatin1String(name));
    label->setProperty(kCaption, caption);
    label->setTextFormat(Qt::PlainText);
    label->setFrameStyle(QFrame::StyledPanel | QFrame::Sunken);
    addPermanentWidget(label, stretch);
    return label;
}

QList<QLabel*> TStatusLine::parts() const {
    return {Device, Settings, State, Paused, Traffic, Log, Note};
}

void TStatusLine::display(const TStatusTexts& texts) {
    // Unchanged parts are not set again: every change is news to a screen reader.
    if (shown_ == texts)
        return;
    shown_ = texts;
    const QString* values[] = {&texts.device,  &texts.settings, &texts.state, &texts.paused,
                               &texts.traffic, &texts.log,      &texts.note};
    const QList<QLabel*> labels = parts();
    for (qsizetype i = 0; i < labels.size(); ++i) {
        QLabel* label = labels[i];
        label->setText(*values[i]);
        label->setToolTip(*values[i]);
        // A long text must not hold the window wider than the screen: the part gives way down to
        // a width that still shows its start, and its tooltip and accessible name keep it whole.
        label->setMinimumWidth(std::min(label->sizeHint().width(), kLeastPartWidth));
        label->setAccessibleName(label->property(kCaption).toString() + QStringLiteral(": ") +
                                 *values[i]);
        label->setVisible(!values[i]->isEmpty());
    }
    setAccessibleDescription(text());
}

QString TStatusLine::text() const {
    QStringList shown;
    for (const QLabel* label : parts()) {
        if (!label->text().isEmpty())
            shown << label->text();
    }
    return shown.join(QStringLiteral(" | "));
}
