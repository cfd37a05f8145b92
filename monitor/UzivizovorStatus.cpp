// The main window's status line: what the window and its component know about the connection.
#include <QComboBox>
#include <QFile>

#include "StatusLine.h"
#include "Uzivizovor.h"

void TfZIVizovor::RefreshStatus() {
    TStatusFacts facts;
    facts.noPorts = Port->count() == 0;
    facts.paused = Paused;
    facts.logFolderReady = LogFolderReady;
    facts.logFolder = QFile::decodeName(LogFolder);
    facts.note = PriorityNote;
    StatusBar1->display(StatusTexts(*zSerial, facts));
}
