#include "PortSettingsPanel.h"

#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>

#include "PickList.h"
#include "WindowDefaults.h"

namespace {

// Each list with its caption, its items in order and the item selected at first. A caption's marked
// letter is its mnemonic, unique in the whole window (the menus hold F, T and H); no letter of
// "Enable RTS" is left, and the Tab from "Enable DTR" reaches it.
struct ListLayout {
    TPickList* TPortSettingsPanel::*list;
    const char* name;
    const char* caption;
    QStringList items;
    QString selected;  // empty: none
};

QList<ListLayout> Lists() {
    using P = TPortSettingsPanel;
    const QStringList trueFalse = {QLatin1String(kTrueText), QLatin1String(kFalseText)};
    return {
        {&P::Port, "Port", "&Port No: ", {}, {}},
        {&P::BaudRate,
         "BaudRate",
         "Ba&ud Rate",
         {"110", "300", "1200", "2400", "4800", "9600", "19200", "38400", "57600", "115200"},
         "19200"},
        {&P::DataWidth, "DataWidth", "Data &Width", {"5", "6", "7", "8"}, "8"},
        {&P::StopBits, "StopBits", "St&op Bits", {"1", "1.5", "2"}, "1"},
        {&P::Parity, "Parity", "Parit&y", {"Even", "Mark", "None", "Odd", "Space"}, "None"},
        {&P::Priority,
         "Priority",
         "Pr&iority",
         {"Higher", "Highest", "Idle", "Lower", "Lowest", "Normal"},
         "Normal"},
        {&P::Delay,
         "Delay",
         "&Delay",
         {"1", "5", "10", "50", "100", "500", "1000"},
         QString::number(kDefaultDelay)},
        {&P::NMEALog, "NMEALog", "&NMEA Log", trueFalse, kFalseText},
        {&P::LogTime, "LogTime", "Lo&g Time", trueFalse, kFalseText},
        {&P::EnableDTR, "EnableDTR", "&Enable DTR", trueFalse, kTrueText},
        {&P::EnableRTS, "EnableRTS", "Enable RTS", trueFalse, kTrueText},
    };
}

}  // namespace

TPortSettingsPanel::TPortSettingsPanel(QWidget* parent)
    : QGroupBox(QStringLiteral("COM Port Settings"), parent) {
    setObjectName(QStringLiteral("GroupBox1"));
    setMinimumHeight(370);
    auto* grid = new QGridLayout(this);
    grid->setContentsMargins(5, 6, 3, 6);
    grid->setHorizontalSpacing(2);
    grid->setVerticalSpacing(4);
    grid->setColumnStretch(1, 1);
    const QList<ListLayout> lists = Lists();
    for (int row = 0; row < lists.size(); ++row) {
        const ListLayout& entry = lists[row];
        auto* list = new TPickList(this);
        list->setObjectName(QLatin1String(entry.name));
        list->addItems(entry.items);
        list->setCurrentIndex(entry.selected.isEmpty() ? -1 : list->findText(entry.selected));
        list->setSizeAdjustPolicy(QComboBox::AdjustToMinimumContentsLengthWithIcon);
        list->setMinimumContentsLength(2);
        auto* caption = new QLabel(QLatin1String(entry.caption), this);
        caption->setBuddy(list);
        grid->addWidget(caption, row, 0);
        grid->addWidget(list, row, 1);
        this->*entry.list = list;
    }

    const auto button = [this](const char* name, const QString& text) {
        auto* b = new QPushButton(text, this);
        b->setObjectName(QLatin1String(name));
        b->setFixedSize(60, 25);
        return b;
    };
    bConnect = button("bConnect", QStringLiteral("&Connect"));
    bPause = button("bPause", QStringLiteral("P&ause"));
    auto* buttons = new QHBoxLayout;
    buttons->setSpacing(2);
    buttons->addStretch(1);
    buttons->addWidget(bConnect);
    buttons->addWidget(bPause);
    grid->addLayout(buttons, lists.size(), 0, 1, 2);
    grid->setRowStretch(lists.size() + 1, 1);
}

QList<TPickList*> TPortSettingsPanel::lists() const {
    return {Port,  BaudRate, DataWidth, StopBits,  Parity,   Priority,
            Delay, NMEALog,  LogTime,   EnableDTR, EnableRTS};
}
