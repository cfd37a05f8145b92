#pragma once

#include <QByteArray>
#include <QMainWindow>
#include <QString>
#include <memory>

#include "LogFolder.h"
#include "MonitorPlatform.h"
#include "Plovikserialgps.h"
#include "TerminalView.h"
#include "ValueSearch.h"

class QAction;
class QCheckBox;
class QComboBox;
class QFrame;
class QLineEdit;
class QMenu;
class QPushButton;
class QSplitter;
class TPortSettingsPanel;
class TQuickValueSearchPanel;
class TStatusLine;
class TTransmitPanel;
class TfAbout;
class TfAverage;
class Timer;

// The main window: the settings panel on the left, the terminal on the right, one serial
// component. Controls are public and named as in the window's designer layout, so tests and the
// settings code reach them directly; the three groups of the panel build their own controls.
//
// The handlers live in files by concern: Uzivizovor.cpp the frame, the menus and the wiring,
// UzivizovorConnection.cpp the connection, UzivizovorView.cpp the received lines and the view
// commands, UzivizovorSettings.cpp the settings file and the port list, UzivizovorStatus.cpp the
// status line, UzivizovorTransmit.cpp the Transmit group, UzivizovorCommands.cpp the window
// commands of the menus.
class TfZIVizovor : public QMainWindow {
    Q_OBJECT

public:
    explicit TfZIVizovor(const MonitorPlatform& platform, QWidget* parent = nullptr);
    ~TfZIVizovor() override;

    // Handlers.
    void FormShow();
    // Writes the settings back; throws when the settings file cannot be written, which refuses
    // the close. The next close request after a refused one closes whatever the save does, so an
    // unwritable file never keeps the program from ending.
    void FormCloseQuery(bool& canClose);
    void FillPortList();
    void bConnectClick();
    void bPauseClick();
    void zSerialNewCommand(TPlovikSerialGPS* sender, const QByteArray& line);
    void mTerminalDblClick();
    void DateTime1Click();
    void Clear1Click();
    void Timer1Timer();
    // Tells the status line what stands now; on every change of the link and a few times a second.
    void RefreshStatus();
    void Button1Click();
    void PopupMenu11Click();
    void New1Click();
    void ShowControls1Click();
    void Font1Click();
    void BackColor1Click();
    void OpenLogFolder1Click();
    void About2Click();
    void RestoreSettings();
    void SaveSettings();

    // The code the Parity list gives the component; no selection is no parity.
    qint32 SelectedParityCode() const;
    // The nice value the Priority list asks for; no selection is normal priority.
    int SelectedNiceValue() const;

    // Width of the settings panel, as the splitter holds it; while the panel is hidden, the width
    // it had when it was last shown.
    int SettingsPanelWidth() const;
    void SetSettingsPanelWidth(int width);

    // Named when the window is created, that is at the start of the run, and kept all run long.
    QByteArray LogFolder;
    QByteArray LineLogPath;
    QString SettingsFilePath;

    bool Paused = false;
    bool ShowDateTime = true;
    // SampleCount and RunningAverage of the quick value search, for the whole run.
    RunningAverage Averaging;
    TPlovikSerialGPS* zSerial = nullptr;
    // The other two windows of the application; set by their creator, may stay null.
    TfAbout* fAbout = nullptr;
    TfAverage* fAverage = nullptr;

    QFrame* pSettings = nullptr;
    QSplitter* Splitter1 = nullptr;
    QFrame* Panel4 = nullptr;
    TPortSettingsPanel* GroupBox1 = nullptr;
    TQuickValueSearchPanel* GroupBox2 = nullptr;
    TTransmitPanel* GroupBox3 = nullptr;

    QComboBox* Port = nullptr;
    QComboBox* BaudRate = nullptr;
    QComboBox* DataWidth = nullptr;
    QComboBox* StopBits = nullptr;
    QComboBox* Parity = nullptr;
    QComboBox* Priority = nullptr;
    QComboBox* Delay = nullptr;
    QComboBox* NMEALog = nullptr;
    QComboBox* LogTime = nullptr;
    QComboBox* EnableDTR = nullptr;
    QComboBox* EnableRTS = nullptr;
    QPushButton* bConnect = nullptr;
    QPushButton* bPause = nullptr;

    QLineEdit* eSearcString = nullptr;
    QLineEdit* eFormatIdentifier = nullptr;
    QLineEdit* eAX = nullptr;
    QLineEdit* eB = nullptr;
    QLineEdit* eValue = nullptr;
    QMenu* PopupMenu1 = nullptr;
    QAction* PopupMenu11 = nullptr;

    QLineEdit* eBroadcast = nullptr;
    QCheckBox* cbCR = nullptr;
    QCheckBox* cbLF = nullptr;
    QPushButton* Button1 = nullptr;

    TTerminalView* mTerminal = nullptr;
    TStatusLine* StatusBar1 = nullptr;
    // Whether EnsureLogFolder made the log folder when the window was shown.
    bool LogFolderReady = true;
    // "priority not changed: needs privileges" after the system refused the level asked for.
    QString PriorityNote;

    QMenu* File1 = nullptr;
    QAction* New1 = nullptr;
    QMenu* ools1 = nullptr;
    QAction* ShowControls1 = nullptr;
    QAction* Clear1 = nullptr;
    QAction* DateTime1 = nullptr;
    QAction* Font1 = nullptr;
    QAction* BackColor1 = nullptr;
    QAction* OpenLogFolder1 = nullptr;
    QMenu* Help1 = nullptr;
    QAction* About2 = nullptr;

    std::unique_ptr<Timer> Timer1;
    std::unique_ptr<Timer> StatusTimer;

protected:
    void showEvent(QShowEvent* event) override;
    void closeEvent(QCloseEvent* event) override;

private:
    void BuildMenus();
    QFrame* BuildSettingsPanel();
    QFrame* BuildTerminalPanel();
    // Every action, button, list and timer of the window to its handler, in one place.
    void initActionsConnections();
    void ApplyConnection();
    void ApplyPriority();
    // The value steps of a received line: its scaled value into eValue and the average.
    void ShowValueOf(const QByteArray& line, const QByteArray& search);
    void ShowValueMenu(const QPoint& at);
    QColor TerminalColor(QPalette::ColorRole role) const;
    void SetTerminalColor(QPalette::ColorRole role, const QColor& color);

    const MonitorPlatform platform_;
    int shownSettingsWidth_ = 0;
    // Whether the last close request was refused because the settings could not be written.
    bool closeRefused_ = false;
};
