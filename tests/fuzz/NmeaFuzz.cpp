// NMEA decoding of any bytes after "$", one sentence per line of the input, all into one
// component: GpsData stays finite, OnPosition and OnSpeed come exactly when their values changed
// and carry the stored values, and no exception leaves the decoder, not even a handler's.
#include <cmath>
#include <cstdint>
#include <stdexcept>

#include "FakeSerialLayer.h"
#include "FuzzSupport.h"
#include "Plovikserialgps.h"
#include "SerialPlatform.h"
#include "SteppedTime.h"

namespace {

bool Finite(const TGpsData& d) {
    return std::isfinite(d.Latitude) && std::isfinite(d.Longitude) && std::isfinite(d.Altitude) &&
           std::isfinite(d.Speed) && std::isfinite(d.Course);
}

bool SamePosition(const TGpsData& a, const TGpsData& b) {
    return a.Latitude == b.Latitude && a.Longitude == b.Longitude && a.Altitude == b.Altitude;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    FakeSerialLayer layer;
    SteppedTime time;
    TPlovikSerialGPS gps(nullptr, SerialPlatform{&layer, &time, &time});
    int positions = 0;
    int speeds = 0;
    int events = 0;
    // Every third event fails, so containment is tried along with the ordinary path.
    const auto maybeThrow = [&events] {
        if (++events % 3 == 0)
            throw std::runtime_error("handler failed");
    };
    gps.OnPosition = [&](TPlovikSerialGPS* sender, long double lat, long double lon,
                         long double alt) {
        ++positions;
        FUZZ_CHECK(double(lat) == sender->GpsData.Latitude);
        FUZZ_CHECK(double(lon) == sender->GpsData.Longitude);
        FUZZ_CHECK(double(alt) == sender->GpsData.Altitude);
        maybeThrow();
    };
    gps.OnSpeed = [&](TPlovikSerialGPS* sender, long double speed) {
        ++speeds;
        FUZZ_CHECK(double(speed) == sender->GpsData.Speed);
        maybeThrow();
    };

    const QByteArray input(reinterpret_cast<const char*>(data), qsizetype(size));
    for (const QByteArray& part : input.split('\n')) {
        const TGpsData before = gps.GpsData;
        positions = speeds = 0;
        try {
            gps.DecodeSentence('$' + part);
        } catch (...) {
            FUZZ_CHECK(!"an exception left DecodeSentence");
        }
        FUZZ_CHECK(Finite(gps.GpsData));
        FUZZ_CHECK(positions == (SamePosition(before, gps.GpsData) ? 0 : 1));
        FUZZ_CHECK(speeds == (before.Speed == gps.GpsData.Speed ? 0 : 1));
    }
    return 0;
}
