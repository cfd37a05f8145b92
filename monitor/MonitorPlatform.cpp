#include "MonitorPlatform.h"

#include <sys/resource.h>

#include <QCoreApplication>
#include <QDir>

#include "PortMap.h"

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
    // On Linux the nice value of PRIO_PROCESS 0 is the calling thread's, which is the UI thread
    // that does all the work.
    platform.setNiceValue = [](int niceValue) { setpriority(PRIO_PROCESS, 0, niceValue); };
    platform.messages = &boxes;
    return platform;
}
