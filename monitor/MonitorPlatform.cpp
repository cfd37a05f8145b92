#include "MonitorPlatform.h"

#include <QColorDialog>
#include <QCoreApplication>
#include <QDesktopServices>
#include <QDir>
#include <QProcess>

#include "PortMap.h"

#ifdef Q_OS_UNIX
#include <sys/resource.h>

#include <cerrno>
#endif

namespace {

#ifdef Q_OS_UNIX
void SetNiceValue(int niceValue) {
    // On Linux the nice value of PRIO_PROCESS 0 is the calling thread's, which is the UI thread
    // that does all the work.
    setpriority(PRIO_PROCESS, 0, niceValue);
}

int NiceValue() {
    // -1 is also a nice value; only errno tells it from a failure, which counts as normal.
    errno = 0;
    const int value = getpriority(PRIO_PROCESS, 0);
    return value == -1 && errno != 0 ? 0 : value;
}
#else
// Other systems have no nice values and their priority classes are not mapped yet: whatever is
// asked for counts as held, so the list is never turned back.
int askedNiceValue = 0;

void SetNiceValue(int niceValue) {
    askedNiceValue = niceValue;
}

int NiceValue() {
    return askedNiceValue;
}
#endif

std::optional<QColor> ChooseColor(const QColor& color, QWidget* parent) {
    QColorDialog dialog(color, parent);
    dialog.setObjectName(QStringLiteral("ColorDialog1"));
    if (dialog.exec() != QDialog::Accepted)
        return std::nullopt;
    return dialog.selectedColor();
}

}  // namespace

void ModalMessageBoxes::show(QWidget* parent, QMessageBox::Icon icon, const QString& text,
                             QMessageBox::StandardButton button) {
    QMessageBox box(icon, QCoreApplication::applicationName(), text, button, parent);
    box.exec();
}

MonitorPlatform MonitorPlatform::system(const QString& settingsFile, const QDateTime& runStarted) {
    static ModalMessageBoxes boxes;
    MonitorPlatform platform;
    platform.serial = SerialPlatform::system();
    platform.logRoot = QDir::home().filePath(QStringLiteral("PLV"));
    platform.settingsFile = settingsFile;
    platform.runStarted = runStarted;
    platform.serialDevices = &PortMap::detectSystemDevices;
    platform.setNiceValue = &SetNiceValue;
    platform.niceValue = &NiceValue;
    platform.messages = &boxes;
    platform.startProgram = [](const QString& program) { QProcess::startDetached(program, {}); };
    platform.openUrl = [](const QUrl& url) { QDesktopServices::openUrl(url); };
    platform.chooseFont = &TTerminalFontDialog::choose;
    platform.chooseColor = &ChooseColor;
    return platform;
}
