#include "Uzivizovor.h"

#include <QAction>
#include <QCheckBox>
#include <QCloseEvent>
#include <QColorDialog>
#include <QComboBox>
#include <QFontDialog>
#include <QFrame>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMenuBar>
#include <QPushButton>
#include <QShowEvent>
#include <QSplitter>
#include <QVBoxLayout>
#include <algorithm>
#include <array>
#include <utility>

#include "Clock.h"
#include "Fonts.h"
#include "SettingsFile.h"
#include "TimeStamp.h"
#include "Timer.h"

namespace {

constexpr int kSettingsPanelWidth = 148;
constexpr int kMinSettingsPanelWidth = 100;
constexpr int kSizeCheckPeriod = 60000;
constexpr int kMaxLinesAtSizeCheck = 1000;
constexpr int kDefaultDelay = 5;
constexpr qint32 kDefaultBaud = 9600;

const QStringList kTrueFalse = {QStringLiteral("True"), QStringLiteral("False")};

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

QLabel* Caption(const QString& text, QWidget* parent) {
    return new QLabel(text, parent);
}

}  // namespace

TfZIVizovor::TfZIVizovor(const MonitorPlatform& platform, QWidget* parent)
    : QMainWindow(parent), platform_(platform) {
    const LogNames names = MakeLogNames(platform_.logRoot, platform_.runStarted);
    LogFolder = names.LogFolder;
    LineLogPath = names.LineLogPath;
    SettingsFilePath = platform_.settingsFile;

    InstallFontSubstitutes();
    setObjectName(QStringLiteral("fZIVizovor"));
    setWindowTitle(QStringLiteral("Plovik Comport Monitor"));
    setFont(PixelFont(QStringLiteral("Tahoma"), 11));
    resize(1040, 691);

    BuildMenus();
    Splitter1 = new QSplitter(Qt::Horizontal, this);
    Splitter1->setObjectName(QStringLiteral("Splitter1"));
    Splitter1->setHandleWidth(5);
    Splitter1->setChildrenCollapsible(false);
    Splitter1->addWidget(BuildSettingsPanel());
    Splitter1->addWidget(BuildTerminalPanel());
    Splitter1->setStretchFactor(0, 0);
    Splitter1->setStretchFactor(1, 1);
    SetSettingsPanelWidth(kSettingsPanelWidth);
    setCentralWidget(Splitter1);

    FontDialog1 = new QFontDialog(this);
    FontDialog1->setObjectName(QStringLiteral("FontDialog1"));
    ColorDialog1 = new QColorDialog(this);
    ColorDialog1->setObjectName(QStringLiteral("ColorDialog1"));

    Timer1 = platform_.serial.timers->create();
    Timer1->setInterval(kSizeCheckPeriod);
    Timer1->onTimeout = [this] { Timer1Timer(); };
    Timer1->setEnabled(true);

    zSerial = new TPlovikSerialGPS(this, platform_.serial);
    zSerial->setObjectName(QStringLiteral("zSerial"));
    zSerial->OnNewCommand = [this](TPlovikSerialGPS* sender, QByteArray line) {
        zSerialNewCommand(sender, line);
    };
}

TfZIVizovor::~TfZIVizovor() {
    // The component closes the port on destruction; it goes first, while the window it reports to
    // is still whole.
    delete zSerial;
}

void TfZIVizovor::BuildMenus() {
    const auto addMenu = [this](const char* name, const QString& title) {
        QMenu* menu = menuBar()->addMenu(title);
        menu->setObjectName(QLatin1String(name));
        return menu;
    };
    const auto addItem = [this](QMenu* menu, const char* name, const QString& text) {
        QAction* action = menu->addAction(text);
        action->setObjectName(QLatin1String(name));
        return action;
    };
    menuBar()->setObjectName(QStringLiteral("MainMenu1"));
    File1 = addMenu("File1", QStringLiteral("File"));
    New1 = addItem(File1, "New1", QStringLiteral("New"));
    ools1 = addMenu("ools1", QStringLiteral("Tools"));
    ShowControls1 = addItem(ools1, "ShowControls1", QStringLiteral("Settings"));
    Clear1 = addItem(ools1, "Clear1", QStringLiteral("Clear"));
    DateTime1 = addItem(ools1, "DateTime1", QStringLiteral("Toggle Date Time"));
    Font1 = addItem(ools1, "Font1", QStringLiteral("Font..."));
    BackColor1 = addItem(ools1, "BackColor1", QStringLiteral("Background Color..."));
    OpenLogFolder1 = addItem(ools1, "OpenLogFolder1", QStringLiteral("Open Log Folder"));
    Help1 = addMenu("Help1", QStringLiteral("Help"));
    About2 = addItem(Help1, "About2", QStringLiteral("About"));

    connect(Clear1, &QAction::triggered, this, [this] { Clear1Click(); });
    connect(DateTime1, &QAction::triggered, this, [this] { DateTime1Click(); });
}

QFrame* TfZIVizovor::BuildSettingsPanel() {
    pSettings = new QFrame;
    pSettings->setObjectName(QStringLiteral("pSettings"));
    // The panel may be dragged narrower than its contents would like; they are clipped then.
    pSettings->setMinimumWidth(kMinSettingsPanelWidth);
    auto* layout = new QVBoxLayout(pSettings);
    layout->setContentsMargins(5, 5, 5, 5);
    layout->setSpacing(0);
    layout->addWidget(BuildQuickValueSearch());
    layout->addWidget(BuildPortSettings());
    layout->addWidget(BuildTransmit(), 1);
    return pSettings;
}

QGroupBox* TfZIVizovor::BuildQuickValueSearch() {
    GroupBox2 = new QGroupBox(QStringLiteral("Quick Value Search"));
    GroupBox2->setObjectName(QStringLiteral("GroupBox2"));
    GroupBox2->setMinimumHeight(185);
    const auto edit = [this](const char* name) {
        auto* box = new QLineEdit(GroupBox2);
        box->setObjectName(QLatin1String(name));
        return box;
    };
    eSearcString = edit("eSearcString");
    eFormatIdentifier = edit("eFormatIdentifier");
    eAX = edit("eAX");
    eB = edit("eB");
    eValue = edit("eValue");
    eValue->setText(QStringLiteral("eValue"));
    eValue->setAlignment(Qt::AlignCenter);
    eValue->setFont(PixelFont(QStringLiteral("Arial Narrow"), 21, true));

    PopupMenu1 = new QMenu(eValue);
    PopupMenu1->setObjectName(QStringLiteral("PopupMenu1"));
    PopupMenu11 = PopupMenu1->addAction(QStringLiteral("Average"));
    PopupMenu11->setObjectName(QStringLiteral("PopupMenu11"));
    eValue->setContextMenuPolicy(Qt::CustomContextMenu);
    connect(eValue, &QWidget::customContextMenuRequested, this,
            [this](const QPoint& at) { PopupMenu1->popup(eValue->mapToGlobal(at)); });

    auto* layout = new QVBoxLayout(GroupBox2);
    layout->setContentsMargins(6, 4, 4, 6);
    layout->setSpacing(2);
    layout->addWidget(Caption(QStringLiteral("Search String"), GroupBox2));
    layout->addWidget(eSearcString);
    layout->addWidget(Caption(QStringLiteral("Scan Format Identifier"), GroupBox2));
    layout->addWidget(eFormatIdentifier);
    auto* scale = new QHBoxLayout;
    scale->addWidget(Caption(QStringLiteral("ax"), GroupBox2));
    scale->addWidget(eAX, 1);
    scale->addWidget(Caption(QStringLiteral("+b"), GroupBox2));
    scale->addWidget(eB, 1);
    layout->addLayout(scale);
    layout->addSpacing(4);
    layout->addWidget(eValue);
    layout->addStretch(1);
    return GroupBox2;
}

QGroupBox* TfZIVizovor::BuildPortSettings() {
    GroupBox1 = new QGroupBox(QStringLiteral("COM Port Settings"));
    GroupBox1->setObjectName(QStringLiteral("GroupBox1"));
    GroupBox1->setMinimumHeight(370);
    // Each list with its caption, its items in order and the item selected at first.
    struct ListLayout {
        QComboBox* TfZIVizovor::*list;
        const char* name;
        const char* caption;
        QStringList items;
        const char* selected;  // nullptr: none
    };
    using W = TfZIVizovor;
    const QList<ListLayout> lists = {
        {&W::Port, "Port", "Port No: ", {}, nullptr},
        {&W::BaudRate,
         "BaudRate",
         "Baud Rate",
         {"110", "300", "1200", "2400", "4800", "9600", "19200", "38400", "57600", "115200"},
         "19200"},
        {&W::DataWidth, "DataWidth", "Data Width", {"5", "6", "7", "8"}, "8"},
        {&W::StopBits, "StopBits", "Stop Bits", {"1", "1.5", "2"}, "1"},
        {&W::Parity, "Parity", "Parity", {"Even", "Mark", "None", "Odd", "Space"}, "None"},
        {&W::Priority,
         "Priority",
         "Priority",
         {"Higher", "Highest", "Idle", "Lower", "Lowest", "Normal"},
         "Normal"},
        {&W::Delay, "Delay", "Delay", {"1", "5", "10", "50", "100", "500", "1000"}, "5"},
        {&W::NMEALog, "NMEALog", "NMEA Log", kTrueFalse, "False"},
        {&W::LogTime, "LogTime", "Log Time", kTrueFalse, "False"},
        {&W::EnableDTR, "EnableDTR", "Enable DTR", kTrueFalse, "True"},
        {&W::EnableRTS, "EnableRTS", "Enable RTS", kTrueFalse, "True"},
    };

    auto* grid = new QGridLayout(GroupBox1);
    grid->setContentsMargins(5, 6, 3, 6);
    grid->setHorizontalSpacing(2);
    grid->setVerticalSpacing(4);
    grid->setColumnStretch(1, 1);
    for (int row = 0; row < lists.size(); ++row) {
        const ListLayout& entry = lists[row];
        auto* list = new QComboBox(GroupBox1);
        list->setObjectName(QLatin1String(entry.name));
        list->addItems(entry.items);
        list->setCurrentIndex(entry.selected ? list->findText(QLatin1String(entry.selected)) : -1);
        list->setSizeAdjustPolicy(QComboBox::AdjustToMinimumContentsLengthWithIcon);
        list->setMinimumContentsLength(2);
        // Only a change made by the user reconnects; the program's own changes do not.
        connect(list, &QComboBox::activated, this, [this] { bConnectClick(); });
        grid->addWidget(Caption(QLatin1String(entry.caption), GroupBox1), row, 0);
        grid->addWidget(list, row, 1);
        this->*entry.list = list;
    }

    const auto button = [this](const char* name, const QString& text) {
        auto* b = new QPushButton(text, GroupBox1);
        b->setObjectName(QLatin1String(name));
        b->setFixedSize(60, 25);
        return b;
    };
    bConnect = button("bConnect", QStringLiteral("Connect"));
    bPause = button("bPause", QStringLiteral("Pause"));
    connect(bConnect, &QPushButton::clicked, this, [this] { bConnectClick(); });
    connect(bPause, &QPushButton::clicked, this, [this] { bPauseClick(); });
    auto* buttons = new QHBoxLayout;
    buttons->setSpacing(2);
    buttons->addStretch(1);
    buttons->addWidget(bConnect);
    buttons->addWidget(bPause);
    grid->addLayout(buttons, lists.size(), 0, 1, 2);
    grid->setRowStretch(lists.size() + 1, 1);
    return GroupBox1;
}

QGroupBox* TfZIVizovor::BuildTransmit() {
    GroupBox3 = new QGroupBox(QStringLiteral("Transmit"));
    GroupBox3->setObjectName(QStringLiteral("GroupBox3"));
    eBroadcast = new QLineEdit(GroupBox3);
    eBroadcast->setObjectName(QStringLiteral("eBroadcast"));
    cbCR = new QCheckBox(QStringLiteral("CR"), GroupBox3);
    cbCR->setObjectName(QStringLiteral("cbCR"));
    cbLF = new QCheckBox(QStringLiteral("LF"), GroupBox3);
    cbLF->setObjectName(QStringLiteral("cbLF"));
    Button1 = new QPushButton(QStringLiteral("Broadcast"), GroupBox3);
    Button1->setObjectName(QStringLiteral("Button1"));
    Button1->setAutoDefault(false);

    auto* layout = new QVBoxLayout(GroupBox3);
    layout->setContentsMargins(6, 4, 4, 6);
    layout->setSpacing(4);
    layout->addWidget(Caption(QStringLiteral("Broadcast"), GroupBox3));
    layout->addWidget(eBroadcast);
    auto* endings = new QHBoxLayout;
    endings->addWidget(cbCR);
    endings->addWidget(cbLF);
    endings->addStretch(1);
    layout->addLayout(endings);
    layout->addWidget(Button1);
    layout->addStretch(1);
    return GroupBox3;
}

QFrame* TfZIVizovor::BuildTerminalPanel() {
    Panel4 = new QFrame;
    Panel4->setObjectName(QStringLiteral("Panel4"));
    mTerminal = new TTerminalView(Panel4);
    mTerminal->setObjectName(QStringLiteral("mTerminal"));
    QFont font = PixelFont(QStringLiteral("Terminal"), 19);
    font.setStyleHint(QFont::TypeWriter);
    mTerminal->setFont(font);
    QPalette colours = mTerminal->palette();
    colours.setColor(QPalette::Base, Qt::white);
    colours.setColor(QPalette::Text, Qt::black);
    mTerminal->setPalette(colours);
    connect(mTerminal, &TTerminalView::doubleClicked, this, [this] { mTerminalDblClick(); });
    auto* layout = new QVBoxLayout(Panel4);
    layout->setContentsMargins(5, 5, 5, 5);
    layout->addWidget(mTerminal);
    return Panel4;
}

int TfZIVizovor::SettingsPanelWidth() const {
    return Splitter1->sizes().value(0);
}

void TfZIVizovor::SetSettingsPanelWidth(int width) {
    const int total = std::max(Splitter1->width(), width + 1);
    Splitter1->setSizes({width, total - width});
}

void TfZIVizovor::showEvent(QShowEvent* event) {
    QMainWindow::showEvent(event);
    if (!event->spontaneous())
        FormShow();
}

void TfZIVizovor::closeEvent(QCloseEvent* event) {
    // Ignored until the settings are written: when writing throws, the window stays open and the
    // error box says why.
    event->ignore();
    bool canClose = true;
    FormCloseQuery(canClose);
    event->setAccepted(canClose);
}

void TfZIVizovor::FormShow() {
    EnsureLogFolder(platform_.logRoot, *platform_.serial.clock, *platform_.messages, this);
    FillPortList();
    RestoreSettings();
    bConnect->click();
}

void TfZIVizovor::FormCloseQuery(bool& /*canClose*/) {
    SaveSettings();
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

qint32 TfZIVizovor::SelectedParityCode() const {
    return LookUp(kParityCodes, Parity->currentText(), qint32{0});
}

int TfZIVizovor::SelectedNiceValue() const {
    return LookUp(kNiceValues, Priority->currentText(), 0);
}

void TfZIVizovor::bConnectClick() {
    Paused = false;
    ApplyPriority();
    if (Port->currentIndex() < 0 || Port->currentText().isEmpty())
        return;
    try {
        ApplyConnection();
    } catch (...) {
        // A connection that fails shows only as lines that do not arrive.
    }
}

void TfZIVizovor::ApplyPriority() {
    if (platform_.setNiceValue)
        platform_.setNiceValue(SelectedNiceValue());
}

void TfZIVizovor::ApplyConnection() {
    if (zSerial->Connected)
        zSerial->Close();
    const bool logOn = NMEALog->currentText() == QLatin1String("True");
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
    zSerial->LogTimestamps = LogTime->currentText() == QLatin1String("True");
    zSerial->DtrEnabled = EnableDTR->currentIndex() == 0;
    zSerial->RtsEnabled = EnableRTS->currentIndex() == 0;
    zSerial->Open();
}

void TfZIVizovor::bPauseClick() {
    Paused = true;
}

void TfZIVizovor::zSerialNewCommand(TPlovikSerialGPS*, const QByteArray& line) {
    if (!eSearcString || !eFormatIdentifier || !eAX || !eB || !eValue || !mTerminal)
        return;
    if (line.isEmpty())
        return;
    try {
        const QByteArray search = eSearcString->text().toLocal8Bit();
        const bool shown = search.isEmpty() || line.contains(search);
        if (Paused || !shown)
            return;
        const QByteArrayView stamp =
            ShowDateTime ? DisplayStamp(platform_.serial.clock->epochMs()) : QByteArrayView();
        mTerminal->appendLine(stamp, line);
    } catch (...) {
        // One line that cannot be handled must not stop the lines after it.
    }
}

void TfZIVizovor::mTerminalDblClick() {
    Paused = !Paused;
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
