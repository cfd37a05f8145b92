// NMEA 0183 decoding: GGA, RMC and VTG update GpsData; every other sentence is ignored. The decoder
// is tolerant: malformed input reads as 0 or is skipped, never an error.
#include "NmeaDecoder.h"

#include <QVarLengthArray>
#include <array>
#include <cmath>

#include "Plovikserialgps.h"

namespace {

constexpr double kKmhPerKnot = 1.852;

// NMEA writes a full stop whatever the reader's locale; QByteArrayView::toDouble never consults
// the locale. A text that does not convert, or converts to infinity or NaN, counts as 0.
double NumberIn(QByteArrayView field) {
    bool ok = false;
    const double value = field.toDouble(&ok);
    return ok && std::isfinite(value) ? value : 0;
}

// Knots beyond about 9.7e307 would overflow to infinity; such a speed counts as 0 like any other
// number that does not fit.
double KmhFromKnots(double knots) {
    const double kmh = knots * kKmhPerKnot;
    return std::isfinite(kmh) ? kmh : 0;
}

qint32 IntegerIn(QByteArrayView field) {
    return field.toInt(nullptr, 10);
}

// RMC and VTG share the speed; whichever arrives last wins.
void StoreSpeed(TPlovikSerialGPS& gps, double speed) {
    if (speed == gps.GpsData.Speed)
        return;
    gps.GpsData.Speed = speed;
    if (gps.OnSpeed)
        gps.OnSpeed(&gps, gps.GpsData.Speed);
}

// The fields of a sentence as views into it, so a sentence decoded allocates nothing; GGA, the
// longest kept, has 15.
using Fields = QVarLengthArray<QByteArrayView, 24>;

Fields FieldsOf(QByteArrayView text, char delimiter) {
    Fields fields;
    for (qsizetype start = 0;;) {
        const qsizetype end = text.indexOf(delimiter, start);
        if (end < 0) {
            fields.append(text.sliced(start));
            return fields;
        }
        fields.append(text.sliced(start, end - start));
        start = end + 1;
    }
}

double CoordinateIn(QByteArrayView value, QByteArrayView hemisphere) {
    // Degrees take two or three digits; a point that early leaves no room for the minutes.
    if (value.indexOf('.') < 2)
        return 0;

    const bool longitude = hemisphere == "E" || hemisphere == "W";
    const qsizetype degreeDigits = longitude ? 3 : 2;
    const double degrees = NumberIn(value.first(degreeDigits));
    const double minutes = NumberIn(value.sliced(degreeDigits));
    const double result = degrees + minutes / 60;
    return hemisphere == "S" || hemisphere == "W" ? -result : result;
}

struct SentenceParser {
    const char* type;
    void (TPlovikSerialGPS::*parse)(const QByteArray&);
};

// Checked in this order; the first exact, case-sensitive match wins.
constexpr std::array<SentenceParser, 5> kParsers = {{
    {"GGA", &TPlovikSerialGPS::ParseGGA},
    {"RMC", &TPlovikSerialGPS::ParseRMC},
    {"VTG", &TPlovikSerialGPS::ParseVTG},
    {"ZDA", &TPlovikSerialGPS::ParseZDA},
    {"GSA", &TPlovikSerialGPS::ParseGSA},
}};

}  // namespace

QList<QByteArray> SplitFields(const QByteArray& text, char delimiter) {
    QList<QByteArray> fields;
    for (const QByteArrayView field : FieldsOf(text, delimiter))
        fields.append(field.toByteArray());
    return fields;
}

double ParseCoordinate(const QByteArray& value, const QByteArray& hemisphere) {
    return CoordinateIn(value, hemisphere);
}

void TPlovikSerialGPS::DecodeSentence(const QByteArray& line) {
    // The checksum is cut off unread: receivers differ in how they fill it, and the next sentence
    // puts right whatever a damaged one got wrong.
    const qsizetype star = line.indexOf('*');
    const QByteArray sentence = star >= 0 ? line.left(star) : line;
    if (sentence.size() < 6)
        return;

    // Positions 1 and 2 are the talker (GP, GN, GL, ...), which does not matter here.
    const QByteArrayView type = QByteArrayView(sentence).sliced(3, 3);
    for (const SentenceParser& parser : kParsers) {
        if (type == parser.type) {
            (this->*parser.parse)(sentence);
            return;
        }
    }
}

void TPlovikSerialGPS::ParseGGA(const QByteArray& sentence) {
    const Fields fields = FieldsOf(sentence, ',');
    if (fields.size() < 10)
        return;
    // One bad sentence, or a handler that fails on it, must not stop decoding of the next.
    try {
        const double latitude = CoordinateIn(fields[2], fields[3]);
        const double longitude = CoordinateIn(fields[4], fields[5]);
        if (!fields[6].isEmpty())
            GpsData.FixQuality = IntegerIn(fields[6]);
        if (!fields[7].isEmpty())
            GpsData.SatelliteCount = IntegerIn(fields[7]);
        const double altitude = fields[9].isEmpty() ? GpsData.Altitude : NumberIn(fields[9]);
        if (latitude == GpsData.Latitude && longitude == GpsData.Longitude &&
            altitude == GpsData.Altitude)
            return;
        GpsData.Latitude = latitude;
        GpsData.Longitude = longitude;
        GpsData.Altitude = altitude;
        if (OnPosition)
            OnPosition(this, GpsData.Latitude, GpsData.Longitude, GpsData.Altitude);
    } catch (...) {
    }
}

void TPlovikSerialGPS::ParseRMC(const QByteArray& sentence) {
    const Fields fields = FieldsOf(sentence, ',');
    if (fields.size() < 8)
        return;
    try {
        if (!fields[7].isEmpty())
            StoreSpeed(*this, KmhFromKnots(NumberIn(fields[7])));
        if (fields.size() > 8 && !fields[8].isEmpty())
            GpsData.Course = NumberIn(fields[8]);
    } catch (...) {
    }
}

void TPlovikSerialGPS::ParseVTG(const QByteArray& sentence) {
    const Fields fields = FieldsOf(sentence, ',');
    if (fields.size() < 8)
        return;
    try {
        if (!fields[1].isEmpty())
            GpsData.Course = NumberIn(fields[1]);
        if (!fields[7].isEmpty())
            StoreSpeed(*this, NumberIn(fields[7]));
    } catch (...) {
    }
}

// Recognised so they are told apart from unknown sentences; they carry nothing kept here.
void TPlovikSerialGPS::ParseZDA(const QByteArray&) {}
void TPlovikSerialGPS::ParseGSA(const QByteArray&) {}
