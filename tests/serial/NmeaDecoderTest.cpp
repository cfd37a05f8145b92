// NMEA decoding: field splitting, coordinates, and sentences in, GpsData and events out.
#include <gtest/gtest.h>

#include <QLocale>
#include <iostream>
#include <stdexcept>

#include "CommaNumbers.h"
#include "ComponentOnFakeLayer.h"
#include "NmeaDecoder.h"
#include "Plovikserialgps.h"
#include "SerialPlatform.h"
#include "SteppedTime.h"

namespace {

TEST(SplitFields, KeepsEveryFieldInPlace) {
    struct Case {
        QByteArray text;
        QList<QByteArray> fields;
    };
    const Case cases[] = {
        {"", {""}},          {"$GPZDA", {"$GPZDA"}},
        {"a,b", {"a", "b"}}, {"a,,b,", {"a", "", "b", ""}},
        {",", {"", ""}},     {"$GPGGA,,\xe9,", {"$GPGGA", "", "\xe9", ""}},
    };
    for (const Case& c : cases)
        EXPECT_EQ(SplitFields(c.text, ','), c.fields) << c.text.constData();
    EXPECT_EQ(SplitFields("1;2", ';'), (QList<QByteArray>{"1", "2"}));
}

TEST(ParseCoordinate, ReadsDegreesAndMinutes) {
    struct Case {
        QByteArray value;
        QByteArray hemisphere;
        double degrees;
    };
    const Case cases[] = {
        {"5130.500", "N", 51 + 30.5 / 60},
        {"5130.500", "S", -(51 + 30.5 / 60)},
        {"00007.500", "W", -0.125},
        {"01131.000", "E", 11 + 31.0 / 60},
        {"4807.038", "", 48 + 7.038 / 60},   // no hemisphere: read as a latitude
        {"4807.038", "n", 48 + 7.038 / 60},  // only an exact "S" turns the sign
        {"12000.00000001", "E", 120 + 0.00000001 / 60},
        {"", "N", 0},
        {".5", "N", 0},
        {"5.0", "N", 0},
        {"4807", "N", 0},
        {"ab07.5", "N", 7.5 / 60},  // an unreadable part counts as 0
        {"48xx.5", "N", 48},
        {"1e30.5", "N", 30.5 / 60},  // "1e" is no number, "30.5" is
    };
    for (const Case& c : cases)
        EXPECT_NEAR(ParseCoordinate(c.value, c.hemisphere), c.degrees, 1e-12)
            << c.value.constData() << " " << c.hemisphere.constData();
}

// XOR of the bytes between "$" and "*", as a receiver writes it.
QByteArray WithChecksum(const QByteArray& body) {
    char sum = 0;
    for (char byte : body.mid(1))
        sum ^= byte;
    return body + "*" +
           QByteArray::number(static_cast<unsigned char>(sum), 16).toUpper().rightJustified(2, '0');
}

const QByteArray kLondon = "$GPGGA,123519,5130.500,N,00007.500,W,1,07,1.1,35.0,M,46.9,M,,";

struct Position {
    double latitude, longitude, altitude;
    bool operator==(const Position&) const = default;
};

class Decoder : public ::testing::Test, protected ComponentOnFakeLayer {
protected:
    Decoder() {
        gps.OnPosition = [this](TPlovikSerialGPS*, long double lat, long double lon,
                                long double alt) {
            positions.append({double(lat), double(lon), double(alt)});
        };
        gps.OnSpeed = [this](TPlovikSerialGPS*, long double speed) {
            speeds.append(double(speed));
        };
    }

    void decode(const QList<QByteArray>& sentences) {
        for (const QByteArray& sentence : sentences)
            gps.DecodeSentence(sentence);
    }

    QList<Position> positions;
    QList<double> speeds;
};

struct SentenceCase {
    const char* name;
    QList<QByteArray> sentences;
    TGpsData expected;
    int positionEvents;
    QList<double> speedEvents;
};

void PrintTo(const SentenceCase& c, std::ostream* os) {
    *os << c.name;
}

class SentenceTable : public Decoder, public ::testing::WithParamInterface<SentenceCase> {};

TEST_P(SentenceTable, UpdatesGpsDataAndRaisesEvents) {
    const SentenceCase& c = GetParam();
    decode(c.sentences);
    EXPECT_NEAR(gps.GpsData.Latitude, c.expected.Latitude, 1e-9);
    EXPECT_NEAR(gps.GpsData.Longitude, c.expected.Longitude, 1e-9);
    EXPECT_DOUBLE_EQ(gps.GpsData.Altitude, c.expected.Altitude);
    EXPECT_DOUBLE_EQ(gps.GpsData.Speed, c.expected.Speed);
    EXPECT_DOUBLE_EQ(gps.GpsData.Course, c.expected.Course);
    EXPECT_EQ(gps.GpsData.FixQuality, c.expected.FixQuality);
    EXPECT_EQ(gps.GpsData.SatelliteCount, c.expected.SatelliteCount);
    EXPECT_EQ(positions.size(), c.positionEvents);
    EXPECT_EQ(speeds, c.speedEvents);
    // The last position event carries the values stored in the end.
    if (!positions.isEmpty()) {
        EXPECT_EQ(positions.last(),
                  (Position{gps.GpsData.Latitude, gps.GpsData.Longitude, gps.GpsData.Altitude}));
    }
}

constexpr double kLondonLat = 51 + 30.5 / 60;
const TGpsData kLondonData{kLondonLat, -0.125, 35.0, 0, 0, 1, 7};
const TGpsData kNothing{};

TGpsData With(TGpsData data, void (*change)(TGpsData&)) {
    change(data);
    return data;
}

INSTANTIATE_TEST_SUITE_P(
    Nmea, SentenceTable,
    ::testing::Values(
        SentenceCase{"Gga", {kLondon}, kLondonData, 1, {}},
        SentenceCase{"SameGgaTwiceRaisesOnce", {kLondon, kLondon}, kLondonData, 1, {}},
        SentenceCase{"RightChecksum", {WithChecksum(kLondon)}, kLondonData, 1, {}},
        SentenceCase{"WrongChecksum", {kLondon + "*00"}, kLondonData, 1, {}},
        SentenceCase{"EmptyChecksum", {kLondon + "*"}, kLondonData, 1, {}},
        SentenceCase{
            "GnTalker", {"$GNGGA,1,5130.500,N,00007.500,W,1,07,1.1,35.0"}, kLondonData, 1, {}},
        SentenceCase{
            "GlTalker", {"$GLGGA,1,5130.500,N,00007.500,W,1,07,1.1,35.0"}, kLondonData, 1, {}},
        SentenceCase{"LowerCaseTypeIgnored",
                     {"$GPgga,1,5130.500,N,00007.500,W,1,07,1.1,35.0"},
                     kNothing,
                     0,
                     {}},
        SentenceCase{"GsvIgnored",
                     {"$GPGSV,3,1,11,03,03,111,00,04,15,270,00,06,01,010,00"},
                     kNothing,
                     0,
                     {}},
        SentenceCase{"ProprietaryIgnored", {"$PGRME,15.0,M,45.0,M,25.0,M"}, kNothing, 0, {}},
        SentenceCase{"GgaWithNineFieldsIgnored",
                     {"$GPGGA,1,5130.500,N,00007.500,W,1,07,1.1"},
                     kNothing,
                     0,
                     {}},
        SentenceCase{"ChecksumCutsFieldsShort",
                     {"$GPGGA,1,5130.500,N,00007.500,W*1,07,1.1,35.0"},
                     kNothing,
                     0,
                     {}},
        SentenceCase{"TooShortForAType",
                     {"$GPGG", "$", "$GPGGA", "$GPGGA*12,1,2,3,4,5,6,7,8,9"},
                     kNothing,
                     0,
                     {}},
        SentenceCase{"LostFixZeroesPositionKeepsTheRest",
                     {kLondon, "$GPGGA,1,,,,,,,,,M"},
                     With(kLondonData, [](TGpsData& d) { d.Latitude = d.Longitude = 0; }),
                     2,
                     {}},
        SentenceCase{"EmptyAltitudeKeepsAltitude",
                     {kLondon, "$GPGGA,1,5130.500,N,00007.500,E,2,09,1.1,"},
                     With(kLondonData,
                          [](TGpsData& d) {
                              d.Longitude = 0.125;
                              d.FixQuality = 2;
                              d.SatelliteCount = 9;
                          }),
                     2,
                     {}},
        SentenceCase{"AltitudeAloneRaisesPosition",
                     {kLondon, "$GPGGA,1,5130.500,N,00007.500,W,1,07,1.1,-12.5"},
                     With(kLondonData, [](TGpsData& d) { d.Altitude = -12.5; }),
                     2,
                     {}},
        SentenceCase{"AllZeroGgaRaisesNothing", {"$GPGGA,1,,,,,0,00,,"}, kNothing, 0, {}},
        SentenceCase{"UnreadableNumbersCountAsZero",
                     {"$GPGGA,1,5130.500,N,00007.500,W,x,y,1.1,35m"},
                     With(kLondonData,
                          [](TGpsData& d) {
                              d.FixQuality = d.SatelliteCount = 0;
                              d.Altitude = 0;
                          }),
                     1,
                     {}},
        SentenceCase{"RmcKnotsToKmh",
                     {"$GPRMC,1,A,5130.5,N,00007.5,W,10.0,054.7,191194,,"},
                     With(kNothing,
                          [](TGpsData& d) {
                              d.Speed = 18.52;
                              d.Course = 54.7;
                          }),
                     0,
                     {18.52}},
        SentenceCase{"VtgWithSameSpeedRaisesNothing",
                     {"$GPRMC,1,A,5130.5,N,00007.5,W,10.0,054.7,191194,,",
                      "$GPVTG,90.5,T,,M,10.0,N,18.52,K"},
                     With(kNothing,
                          [](TGpsData& d) {
                              d.Speed = 18.52;
                              d.Course = 90.5;
                          }),
                     0,
                     {18.52}},
        SentenceCase{"RmcOfEightFieldsKeepsCourse",
                     {"$GPVTG,33.0,T,,M,,N,,K", "$GPRMC,1,A,5130.5,N,00007.5,W,1.0"},
                     With(kNothing,
                          [](TGpsData& d) {
                              d.Speed = 1.852;
                              d.Course = 33.0;
                          }),
                     0,
                     {1.852}},
        SentenceCase{"RmcEmptySpeedAndCourseKeepBoth",
                     {"$GPVTG,33.0,T,,M,,N,7.0,K", "$GPRMC,1,V,,,,,,,191194,,"},
                     With(kNothing,
                          [](TGpsData& d) {
                              d.Speed = 7.0;
                              d.Course = 33.0;
                          }),
                     0,
                     {7.0}},
        SentenceCase{"VtgSpeedChangesTwice",
                     {"$GPVTG,,T,,M,,N,7.0,K", "$GPVTG,,T,,M,,N,7.0,K", "$GPVTG,,T,,M,,N,0,K"},
                     kNothing,
                     0,
                     {7.0, 0.0}},
        SentenceCase{"VtgWithSevenFieldsIgnored", {"$GPVTG,33.0,T,,M,,N"}, kNothing, 0, {}},
        SentenceCase{
            "ZdaAndGsaChangeNothing",
            {"$GPZDA,201530.00,04,07,2002,00,00", "$GPGSA,A,3,04,05,,09,12,,,24,,,,,2.5,1.3,2.1"},
            kNothing,
            0,
            {}},
        // Not-a-number would never compare equal and raise an event for every sentence.
        SentenceCase{"NanAndInfinityCountAsZero",
                     {"$GPGGA,1,5130.500,N,00007.500,W,1,07,1.1,nan",
                      "$GPGGA,1,5130.500,N,00007.500,W,1,07,1.1,nan", "$GPVTG,inf,T,,M,,N,nan,K",
                      "$GPRMC,1,A,,,,,-inf,nan"},
                     With(kLondonData, [](TGpsData& d) { d.Altitude = 0; }),
                     1,
                     {}}),
    [](const auto& info) { return std::string(info.param.name); });

// A failing handler must not stop the decoder: the sentence's stored values stay, its remaining
// steps are skipped, and later sentences decode normally.
TEST_F(Decoder, HandlerExceptionsAreContainedPerSentence) {
    gps.OnPosition = [](TPlovikSerialGPS*, long double, long double, long double) {
        throw std::runtime_error("position handler failed");
    };
    gps.OnSpeed = [](TPlovikSerialGPS*, long double) {
        throw std::runtime_error("speed handler failed");
    };
    EXPECT_NO_THROW(decode({kLondon, "$GPRMC,1,A,,,,,10.0,054.7", "$GPVTG,,T,,M,,N,5.0,K"}));
    EXPECT_NEAR(gps.GpsData.Latitude, kLondonLat, 1e-9);
    EXPECT_EQ(gps.GpsData.SatelliteCount, 7);
    EXPECT_DOUBLE_EQ(gps.GpsData.Speed, 5.0);
    EXPECT_EQ(gps.GpsData.Course, 0);  // the failed RMC skipped its course
}

TEST_F(Decoder, CloseZeroesEverythingWithoutEvents) {
    gps.Ports.setExplicitEntries({{1, QStringLiteral("/dev/fake")}});
    gps.Open();
    decode({kLondon, "$GPRMC,1,A,,,,,10.0,054.7"});
    ASSERT_EQ(positions.size(), 1);
    gps.Close();
    EXPECT_EQ(gps.GpsData.Latitude, 0);
    EXPECT_EQ(gps.GpsData.Speed, 0);
    EXPECT_EQ(gps.GpsData.Course, 0);
    EXPECT_EQ(gps.GpsData.SatelliteCount, 0);
    EXPECT_EQ(positions.size(), 1);
    EXPECT_EQ(speeds.size(), 1);
}

TEST_F(Decoder, ArbitraryBytesNeverThrow) {
    QByteArray noise = "$GP";
    for (int i = 0; i < 5000; ++i) {
        noise += char((i * 7919) % 256);
        if (i % 97 == 0)
            noise += ",GGA,RMC,VTG.,";
        for (const char* type : {"GGA", "RMC", "VTG"}) {
            QByteArray sentence = "$GP" + QByteArray(type) + noise.right(i % 40);
            EXPECT_NO_THROW(gps.DecodeSentence(sentence));
        }
    }
    EXPECT_NO_THROW(gps.DecodeSentence(noise));
}

// NMEA writes a full stop whatever the user's locale; a comma-separator locale must not matter.
TEST_F(Decoder, CommaSeparatorLocaleChangesNothing) {
    {
        CommaNumbers comma;
        ASSERT_EQ(QLocale().decimalPoint(), QStringLiteral(","));
        if (!CommaNumbers::cUsesComma())
            std::cout << "[   NOTE   ] no comma C locale available; Qt's locale switched only\n";
        decode({kLondon, "$GPVTG,054.7,T,,M,,N,3.5,K"});
    }
    EXPECT_NEAR(gps.GpsData.Latitude, kLondonLat, 1e-9);
    EXPECT_DOUBLE_EQ(gps.GpsData.Longitude, -0.125);
    EXPECT_DOUBLE_EQ(gps.GpsData.Altitude, 35.0);
    EXPECT_DOUBLE_EQ(gps.GpsData.Speed, 3.5);
    EXPECT_DOUBLE_EQ(gps.GpsData.Course, 54.7);
}

}  // namespace
