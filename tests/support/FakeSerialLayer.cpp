#include "FakeSerialLayer.h"

#include <algorithm>

namespace {

class FakeSerialDevice : public SerialDevice {
public:
    explicit FakeSerialDevice(FakeSerialLayer& layer) : layer_(layer) { ++layer_.openDevices; }
    ~FakeSerialDevice() override { --layer_.openDevices; }

    bool getLineSettings(LineSettings& settings) override {
        if (layer_.failGetSettings)
            return false;
        settings = layer_.reported;
        return true;
    }
    bool setLineSettings(const LineSettings& settings) override {
        if (layer_.failSetSettings)
            return false;
        layer_.applied = settings;
        return true;
    }
    bool setTimeouts(const SerialTimeouts& timeouts) override {
        layer_.timeouts = timeouts;
        return true;
    }
    bool purge() override {
        ++layer_.purges;
        layer_.input.clear();
        return true;
    }
    qint64 bytesWaiting() override { return layer_.failQuery ? -1 : layer_.input.size(); }
    qint64 read(char* data, qint64 maxSize) override {
        ++layer_.reads;
        layer_.readSizes.append(maxSize);
        if (layer_.failRead)
            return -1;
        const qint64 n = std::min<qint64>(maxSize, layer_.input.size());
        std::copy_n(layer_.input.constData(), n, data);
        layer_.input.remove(0, n);
        return n;
    }
    qint64 write(const char* data, qint64 size) override {
        const qint64 n = layer_.writeLimit < 0 ? size : std::min(size, layer_.writeLimit);
        layer_.written.append(data, n);
        return n;
    }
    bool isGone() override { return layer_.gone; }
    SerialFailure failure() const override {
        if (layer_.gone)
            return {SerialFailure::Kind::HungUp, QStringLiteral("Input/output error")};
        return {SerialFailure::Kind::Other, layer_.settingsError};
    }

private:
    FakeSerialLayer& layer_;
};

}  // namespace

std::unique_ptr<SerialDevice> FakeSerialLayer::open(const QString& deviceName,
                                                    SerialFailure& failure) {
    ++openAttempts;
    if (failOpen) {
        failure = openFailure;
        return nullptr;
    }
    opened.append(deviceName);
    return std::make_unique<FakeSerialDevice>(*this);
}

DeviceIdentity FakeSerialLayer::identify(const QString& deviceName) {
    ++identifies;
    DeviceIdentity identity;
    identity.path = deviceName;
    identity.present = true;
    return identities.value(deviceName, identity);
}
