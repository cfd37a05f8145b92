#include "ReadPacing.h"

#include <QSerialPort>
#include <QSocketNotifier>

namespace {
// Qt reads as bytes arrive when the device is counted less often than this, or for a while after a
// count found more than this waiting.
constexpr qint64 kEagerAfterMs = 25;
constexpr qint64 kEagerBacklog = 8 * 1024;
constexpr qint64 kEagerForMs = 200;
}  // namespace

void ReadPacing::afterTaking(QSerialPort& port) {
    if (!notifierSought_) {
        notifierSought_ = true;
        for (QSocketNotifier* notifier : port.findChildren<QSocketNotifier*>()) {
            if (notifier->type() == QSocketNotifier::Read)
                readNotifier_ = notifier;
        }
    }
    const bool seldom = !sinceTaken_.isValid() || sinceTaken_.elapsed() > kEagerAfterMs;
    sinceTaken_.start();
    if (port.bytesAvailable() > kEagerBacklog)
        sinceMuch_.start();
    const bool lately = sinceMuch_.isValid() && sinceMuch_.elapsed() < kEagerForMs;
    if (readNotifier_)
        readNotifier_->setEnabled(seldom || lately);
}
