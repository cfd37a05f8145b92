// The main window's commands that act on the window rather than on the port: the menus File,
// Tools (but Clear and Toggle Date Time, which belong to the view) and Help, and the menu of
// eValue. Shell launches and choosers go through the platform and fail silently.
#include <QCoreApplication>
#include <QFile>
#include <QLineEdit>
#include <QMenu>
#include <QSplitter>

#include "Uabout.h"
#include "Uaverage.h"
#include "Uzivizovor.h"

void TfZIVizovor::New1Click() {
    if (platform_.startProgram)
        platform_.startProgram(QCoreApplication::applicationFilePath());
}

void TfZIVizovor::ShowControls1Click() {
    if (pSettings->isHidden()) {
        pSettings->show();
        SetSettingsPanelWidth(shownSettingsWidth_);
        return;
    }
    shownSettingsWidth_ = SettingsPanelWidth();
    pSettings->hide();
}

void TfZIVizovor::Font1Click() {
    if (!platform_.chooseFont)
        return;
    const std::optional<TerminalFont> chosen =
        platform_.chooseFont(mTerminal->font(), TerminalColor(QPalette::Text), this);
    if (!chosen)
        return;
    mTerminal->setFont(chosen->font);
    SetTerminalColor(QPalette::Text, chosen->color);
}

void TfZIVizovor::BackColor1Click() {
    if (!platform_.chooseColor)
        return;
    if (const std::optional<QColor> chosen =
            platform_.chooseColor(TerminalColor(QPalette::Base), this))
        SetTerminalColor(QPalette::Base, *chosen);
}

void TfZIVizovor::OpenLogFolder1Click() {
    if (platform_.openUrl)
        platform_.openUrl(QUrl::fromLocalFile(QFile::decodeName(LogFolder)));
}

void TfZIVizovor::About2Click() {
    if (fAbout)
        fAbout->ShowInFront();
}

void TfZIVizovor::PopupMenu11Click() {
    // The average goes on from where it stopped; only a line that matches while the window is
    // hidden starts it afresh.
    if (fAverage)
        fAverage->ShowInFront();
}

void TfZIVizovor::ShowValueMenu(const QPoint& at) {
    PopupMenu1->popup(eValue->mapToGlobal(at));
}

QColor TfZIVizovor::TerminalColor(QPalette::ColorRole role) const {
    return mTerminal->palette().color(role);
}

void TfZIVizovor::SetTerminalColor(QPalette::ColorRole role, const QColor& color) {
    QPalette colours = mTerminal->palette();
    colours.setColor(role, color);
    mTerminal->setPalette(colours);
}
