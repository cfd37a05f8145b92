#pragma once

#include <QElapsedTimer>
#include <QPointer>

class QSerialPort;
class QSocketNotifier;

// Qt reads by itself whenever bytes arrive, waking the event loop for each chunk and making it
// poll the device on every turn. While the component comes often and finds little, that is work
// done twice, so Qt's read notifier is held off (Qt has no switch for it) and the driver keeps the
// bytes meanwhile. When the component comes seldom, or has lately found much, the driver's smaller
// buffer could run full before it comes again, and Qt reads as bytes arrive.
class ReadPacing {
public:
    // Called each time the component has counted or read; `port` is open.
    void afterTaking(QSerialPort& port);

private:
    bool notifierSought_ = false;
    QPointer<QSocketNotifier> readNotifier_;
    QElapsedTimer sinceTaken_;
    QElapsedTimer sinceMuch_;
};
