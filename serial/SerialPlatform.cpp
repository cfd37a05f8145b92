#include "SerialPlatform.h"

#include "Clock.h"
#include "QtSerialLayer.h"
#include "Timer.h"

SerialPlatform SerialPlatform::system() {
    static QtSerialLayer layer;
    static QtTimerFactory timers;
    static const SystemClock clock;
    return {&layer, &timers, &clock};
}
