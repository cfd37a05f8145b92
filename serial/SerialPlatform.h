#pragma once

class Clock;
class SerialLayer;
class TimerFactory;

// The outside worlds the serial component talks to. Production uses system(); tests pass fakes.
struct SerialPlatform {
    SerialLayer* layer = nullptr;
    TimerFactory* timers = nullptr;
    const Clock* clock = nullptr;

    // Qt SerialPort, QTimer and the system clock; the objects live for the whole process.
    static SerialPlatform system();
};
