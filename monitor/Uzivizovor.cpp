#include "Uzivizovor.h"

#include <QAction>
#include <QCloseEvent>
#include <QFrame>
#include <QLineEdit>
#include <QMenu>
#include <QMenuBar>
#include <QPushButton>
#include <QShortcut>
#include <QShowEvent>
#include <QSplitter>
#include <QVBoxLayout>
#include <algorithm>

#include "Fonts.h"
#include "PickList.h"
#include "PortSettingsPanel.h"
#include "ProgramIcon.h"
#include "QuickValueSearchPanel.h"
#include "StatusLine.h"
#include "Timer.h"
#include "TransmitPanel.h"
#include "WindowDefaults.h"

namespace {

constexpr int kSizeCheckPeriod = 60000;
// Often enough for counters to look live, seldom enough to cost nothing.
constexpr int kStatusPeriod = 250;

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
    setWindowIcon(ProgramIcon());
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

    Timer1 = platform_.serial.timers->create();
    Timer1->setInterval(kSizeCheckPeriod);
    zSerial = new TPlovikSerialGPS(this, platform_.serial);
    zSerial->setObjectName(QStringLiteral("zSerial"));
    // A device unplugged and plugged in again comes back by itself, as a user expects.
    zSerial->AutoReconnect = true;
    StatusBar1 = new TStatusLine(this);
    setStatusBar(StatusBar1);
    StatusTimer = platform_.serial.timers->create();
    StatusTimer->setInterval(kStatusPeriod);
    initActionsConnections();
    Timer1->setEnabled(true);
    StatusTimer->setEnabled(true);
    RefreshStatus();
}

TfZIVizovor::~TfZIVizovor() {
    // The component closes the port on destruction; it goes first, while the window it reports to
    // is still whole, and without telling a status line that goes next.
    zSerial->OnClose = nullptr;
    delete zSerial;
}

void TfZIVizovor::BuildMenus() {
    const auto addMenu = [this](const char* name, const QString& title) {
        QMenu* menu = menuBar()->addMenu(title);
        menu->setObjectName(QLatin1String(name));
        return menu;
    };
    const auto addItem = [](QMenu* menu, const char* name, const QString& text) {
        QAction* action = menu->addAction(text);
        action->setObjectName(QLatin1String(name));
        return action;
    };
    menuBar()->setObjectName(QStringLiteral("MainMenu1"));
    File1 = addMenu("File1", QStringLiteral("&File"));
    New1 = addItem(File1, "New1", QStringLiteral("&New"));
    ools1 = addMenu("ools1", QStringLiteral("&Tools"));
    ShowControls1 = addItem(ools1, "ShowControls1", QStringLiteral("&Settings"));
    Clear1 = addItem(ools1, "Clear1", QStringLiteral("&Clear"));
    DateTime1 = addItem(ools1, "DateTime1", QStringLiteral("Toggle &Date Time"));
    Font1 = addItem(ools1, "Font1", QStringLiteral("&Font..."));
    BackColor1 = addItem(ools1, "BackColor1", QStringLiteral("&Background Color..."));
    OpenLogFolder1 = addItem(ools1, "OpenLogFolder1", QStringLiteral("Open &Log Folder"));
    Help1 = addMenu("Help1", QStringLiteral("&Help"));
    About2 = addItem(Help1, "About2", QStringLiteral("&About"));
}

QFrame* TfZIVizovor::BuildSettingsPanel() {
    pSettings = new QFrame;
    pSettings->setObjectName(QStringLiteral("pSettings"));
    // The panel may be dragged narrower than its contents would like; they are clipped then.
    pSettings->setMinimumWidth(kLeastSettingsPanelWidth);
    GroupBox2 = new TQuickValueSearchPanel(pSettings);
    GroupBox1 = new TPortSettingsPanel(pSettings);
    GroupBox3 = new TTransmitPanel(pSettings);
    auto* layout = new QVBoxLayout(pSettings);
    layout->setContentsMargins(5, 5, 5, 5);
    layout->setSpacing(0);
    layout->addWidget(GroupBox2);
    layout->addWidget(GroupBox1);
    layout->addWidget(GroupBox3, 1);

    eSearcString = GroupBox2->eSearcString;
    eFormatIdentifier = GroupBox2->eFormatIdentifier;
    eAX = GroupBox2->eAX;
    eB = GroupBox2->eB;
    eValue = GroupBox2->eValue;
    PopupMenu1 = GroupBox2->PopupMenu1;
    PopupMenu11 = GroupBox2->PopupMenu11;

    Port = GroupBox1->Port;
    BaudRate = GroupBox1->BaudRate;
    DataWidth = GroupBox1->DataWidth;
    StopBits = GroupBox1->StopBits;
    Parity = GroupBox1->Parity;
    Priority = GroupBox1->Priority;
    Delay = GroupBox1->Delay;
    NMEALog = GroupBox1->NMEALog;
    LogTime = GroupBox1->LogTime;
    EnableDTR = GroupBox1->EnableDTR;
    EnableRTS = GroupBox1->EnableRTS;
    bConnect = GroupBox1->bConnect;
    bPause = GroupBox1->bPause;

    eBroadcast = GroupBox3->eBroadcast;
    cbCR = GroupBox3->cbCR;
    cbLF = GroupBox3->cbLF;
    Button1 = GroupBox3->Button1;
    return pSettings;
}

QFrame* TfZIVizovor::BuildTerminalPanel() {
    Panel4 = new QFrame;
    Panel4->setObjectName(QStringLiteral("Panel4"));
    mTerminal = new TTerminalView(Panel4);
    mTerminal->setObjectName(QStringLiteral("mTerminal"));
    mTerminal->setAccessibleName(QStringLiteral("Terminal"));
    QFont font = PixelFont(QStringLiteral("Terminal"), 19);
    font.setStyleHint(QFont::TypeWriter);
    mTerminal->setFont(font);
    QPalette colours = mTerminal->palette();
    colours.setColor(QPalette::Base, Qt::white);
    colours.setColor(QPalette::Text, Qt::black);
    mTerminal->setPalette(colours);
    auto* layout = new QVBoxLayout(Panel4);
    layout->setContentsMargins(5, 5, 5, 5);
    layout->addWidget(mTerminal);
    return Panel4;
}

void TfZIVizovor::initActionsConnections() {
    connect(Clear1, &QAction::triggered, this, [this] { Clear1Click(); });
    connect(DateTime1, &QAction::triggered, this, [this] { DateTime1Click(); });
    connect(New1, &QAction::triggered, this, [this] { New1Click(); });
    connect(ShowControls1, &QAction::triggered, this, [this] { ShowControls1Click(); });
    connect(Font1, &QAction::triggered, this, [this] { Font1Click(); });
    connect(BackColor1, &QAction::triggered, this, [this] { BackColor1Click(); });
    connect(OpenLogFolder1, &QAction::triggered, this, [this] { OpenLogFolder1Click(); });
    connect(About2, &QAction::triggered, this, [this] { About2Click(); });
    // The mouse and the menu key ask through the context-menu policy; Shift+F10, the other
    // keyboard way to a context menu, is not one Qt knows on every platform.
    connect(eValue, &QWidget::customContextMenuRequested, this,
            [this](const QPoint& at) { ShowValueMenu(at); });
    auto* menuKey = new QShortcut(QKeySequence(Qt::SHIFT | Qt::Key_F10), eValue, nullptr, nullptr,
                                  Qt::WidgetShortcut);
    connect(menuKey, &QShortcut::activated, this,
            [this] { ShowValueMenu(eValue->rect().center()); });
    connect(PopupMenu11, &QAction::triggered, this, [this] { PopupMenu11Click(); });
    // Only a change of selection made by the user reconnects: neither a pick of the item a list
    // already shows nor a change the program makes.
    for (TPickList* list : GroupBox1->lists())
        connect(list, &TPickList::changedByUser, this, [this] { bConnectClick(); });
    connect(bConnect, &QPushButton::clicked, this, [this] { bConnectClick(); });
    connect(bPause, &QPushButton::clicked, this, [this] { bPauseClick(); });
    connect(Button1, &QPushButton::clicked, this, [this] { Button1Click(); });
    connect(mTerminal, &TTerminalView::doubleClicked, this, [this] { mTerminalDblClick(); });
    Timer1->onTimeout = [this] { Timer1Timer(); };
    zSerial->OnNewCommand = [this](TPlovikSerialGPS* sender, QByteArray line) {
        zSerialNewCommand(sender, line);
    };
    zSerial->OnOpen = [this](TPlovikSerialGPS*, qint32) { RefreshStatus(); };
    zSerial->OnClose = [this](TPlovikSerialGPS*, qint32) { RefreshStatus(); };
    StatusTimer->onTimeout = [this] { RefreshStatus(); };
}

int TfZIVizovor::SettingsPanelWidth() const {
    // The splitter holds 0 for a hidden panel.
    return pSettings->isHidden() ? shownSettingsWidth_ : Splitter1->sizes().value(0);
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
