// Coming back by itself after the device went away while open.
#include "Plovikserialgps.h"

void TPlovikSerialGPS::ReconnectTick() {
    if (Connected) {
        if (PortHandle && PortHandle->isGone())
            DeviceGone();
    } else if (LinkState == TLinkState::WaitingForDevice) {
        LookForDevice();
    }
}

void TPlovikSerialGPS::DeviceGone() {
    const SerialFailure reason{SerialFailure::Kind::HungUp, PortHandle->errorString()};
    Release();
    LinkState = TLinkState::WaitingForDevice;
    Fail(reason);
    if (OnClose)
        OnClose(this, PortNumber);
    // A device may be back before anyone could tell it was gone (a link pointed at a new one);
    // after this first look, one a tick.
    if (LinkState == TLinkState::WaitingForDevice)
        LookForDevice();
}

void TPlovikSerialGPS::LookForDevice() {
    const DeviceIdentity now = platform_.layer->identify(Device.path);
    if (!now.present)
        return;
    // Opening a different adapter that took the name would also raise its DTR: never try.
    if (!Device.serialNumber.isEmpty() && now.serialNumber != Device.serialNumber)
        return;
    Attach();
}
