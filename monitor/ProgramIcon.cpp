#include "ProgramIcon.h"

QIcon ProgramIcon() {
    return QIcon(QStringLiteral(":/plovik-monitor.svg"));
}
