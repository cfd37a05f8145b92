// The value steps of a received line: search, format check, scan, factors, text, average.
#include <gtest/gtest.h>

#include <QLineEdit>
#include <iostream>
#include <optional>

#include "CommaNumbers.h"
#include "Uaverage.h"
#include "ValueDisplay.h"
#include "ValueSearch.h"

namespace {

const QLocale kEnglish(QLocale::English, QLocale::UnitedStates);
const QLocale kGerman(QLocale::German, QLocale::Germany);

struct ValueCase {
    const char* what;
    QByteArray line;
    QByteArray search;
    QByteArray format;
    QString gain;
    QString offset;
    QLocale locale;
    std::optional<double> expected;
};

QList<ValueCase> ValueCases() {
    const QByteArray temp = "TEMP=23.45 C";
    QList<ValueCase> cases = {
        {"empty search", temp, "", "TEMP=%lf", "2", "1", kEnglish, std::nullopt},
        {"search absent", temp, "HUM=", "TEMP=%lf", "2", "1", kEnglish, std::nullopt},
        {"search in another case", temp, "temp=", "TEMP=%lf", "", "", kEnglish, std::nullopt},
        {"empty format gives b", temp, "TEMP=", "", "2", "0.5", kEnglish, 0.5},
        {"format without %", temp, "TEMP=", "TEMP=", "2", "1", kEnglish, 1.0},
        {"leading literal", temp, "TEMP=", "TEMP=%lf", "", "", kEnglish, 23.45},
        {"scaled", temp, "TEMP=", "TEMP=%lf", "2", "1", kEnglish, 2 * 23.45 + 1},
        {"skipping conversion", "TEMP: 23.45 C", "TEMP", "%*s %lf", "", "", kEnglish, 23.45},
        {"scan starts at the line's start", "id 7 TEMP=23.45", "TEMP=", "TEMP=%lf", "", "1",
         kEnglish, 1.0},
        {"letters as gain", temp, "TEMP=", "TEMP=%lf", "abc", "", kEnglish, 23.45},
        {"letters as offset", temp, "TEMP=", "TEMP=%lf", "", "x1", kEnglish, 23.45},
        {"comma factors, comma locale", "V=20.25", "V=", "V=%lf", "1,5", "0,5", kGerman, 30.875},
        {"point factor, comma locale", "V=20.25", "V=", "V=%lf", "1.500", "", kGerman, 20.25},
        {"comma factor, point locale", "V=20.25", "V=", "V=%lf", "1,500", "", kEnglish, 20.25},
        {"line of 1023 bytes", QByteArray(1017, 'x') + "TEMP=5", "TEMP=", "%*[x]TEMP=%lf", "", "",
         kEnglish, 5.0},
        {"value past byte 1023", QByteArray(1018, 'x') + "TEMP=5", "TEMP=5", "%*[x]TEMP=%lf", "",
         "1", kEnglish, 1.0},
        // The cut leaves 252 blanks and "%lf"; what follows it would be refused.
        {"300-byte format", "23.45", "23",
         QByteArray(252, ' ') + "%lf" + QByteArray("%d").repeated(22) + "%", "", "", kEnglish,
         23.45},
        {"cut inside the conversion", "23.45", "23",
         QByteArray(253, ' ') + "%lf" + QByteArray(44, ' '), "", "", kEnglish, 0.0},
    };
    // Each on a line it would assign from if it were let through.
    const struct {
        const char* format;
        QByteArray line;
    } hostile[] = {{"%s", "23 6.5"},      {"%n", "23 6.5"},   {"%lf%lf", "23 6.5"},
                   {"%d", "23 6.5"},      {"%f", "23 6.5"},   {"%99999999999lf", "23 6.5"},
                   {"TEMP=%", "TEMP=23"}, {"%[a-z]", "az23"}, {"%c", "23 6.5"},
                   {"%Lf", "23 6.5"},     {"%1$lf", "23 6.5"}};
    for (const auto& [format, line] : hostile)
        cases.append({format, line, "23", format, "", "", kEnglish, 0.0});
    return cases;
}

void CheckValueCases() {
    for (const ValueCase& c : ValueCases()) {
        SCOPED_TRACE(c.what);
        const std::optional<double> y =
            ScaledValue(c.line, {c.search, c.format, c.gain, c.offset, c.locale});
        ASSERT_EQ(y.has_value(), c.expected.has_value());
        if (y) {
            EXPECT_DOUBLE_EQ(*y, *c.expected);
        }
    }
}

TEST(ValueSearch, ScaledValueOfEachCase) {
    CheckValueCases();
}

// Devices write a point; a comma in the C library's locale must not cut their numbers short.
TEST(ValueSearch, ScaledValueOfEachCaseUnderACommaLocale) {
    CommaNumbers comma;
    const bool cComma = CommaNumbers::cUsesComma();
    if (!cComma)
        std::cout << "[   NOTE   ] no comma C locale available; Qt's locale switched only\n";
    CheckValueCases();
    EXPECT_EQ(CommaNumbers::cUsesComma(), cComma) << "the scan must leave the locale as it was";
}

TEST(ValueSearch, FormatCheckAcceptsOneDoubleAmongSuppressedConversions) {
    for (const char* format :
         {"%lf", "%le", "%lg", "%la", "%lF", "%lE", "%lG", "%lA", "%10lf", "%2147483647lf",
          "T=%lf C", "%%%lf%%", "%*d,%lf", "%*[^=]=%lf", "%*[]x]%lf", "%*lf %lf", "%*s %*c%lf"}) {
        EXPECT_TRUE(IsSafeScanFormat(format)) << format;
    }
    for (const char* format : {"",
                               "TEMP=",
                               "%%",
                               "%s",
                               "%n",
                               "%*n%lf",
                               "%lf%n",
                               "%lf%lf",
                               "%lf %*d %lg",
                               "%d",
                               "%f",
                               "%Lf",
                               "%llf",
                               "%hlf",
                               "%ls",
                               "%lc",
                               "%l[a]",
                               "%2147483648lf",
                               "%99999999999lf",
                               "%0lf",
                               "%1$lf",
                               "%'lf",
                               "% lf",
                               "%mlf",
                               "%lf%",
                               "TEMP=%",
                               "%*",
                               "%l",
                               "%[a-z]",
                               "%*[abc%lf",
                               "%lk"}) {
        EXPECT_FALSE(IsSafeScanFormat(format)) << format;
    }
    // The C library stops at a zero byte, and so does the check.
    EXPECT_TRUE(IsSafeScanFormat(QByteArray("%lf\0%s", 6)));
    EXPECT_FALSE(IsSafeScanFormat(QByteArray("%s\0%lf", 6)));
}

TEST(ValueSearch, GeneralFormatHasFifteenDigitsAndNoGroups) {
    const struct {
        double value;
        QLocale locale;
        const char* text;
    } cases[] = {
        {1.5 * 20.25 + 0.5, kEnglish, "30.875"},  {1.5 * 20.25 + 0.5, kGerman, "30,875"},
        {2 * 23.45 + 1, kEnglish, "47.9"},        {1234567.5, kEnglish, "1234567.5"},
        {1234567.5, kGerman, "1234567,5"},        {0.1 + 0.2, kEnglish, "0.3"},
        {1.0 / 3, kEnglish, "0.333333333333333"}, {-2.0, kEnglish, "-2"},
    };
    for (const auto& c : cases)
        EXPECT_EQ(GeneralFormat(c.value, c.locale), QLatin1String(c.text)) << c.text;
}

class Averaging : public ::testing::Test {
protected:
    void show(double y) { ShowScaledValue(y, eValue, average, &fAverage, kEnglish); }
    QStringList boxes() const { return {fAverage.eSample->text(), fAverage.eAvrage->text()}; }

    QLineEdit eValue;
    RunningAverage average;
    TfAverage fAverage;
};

TEST_F(Averaging, OpenFromTheStartCountsAndAverages) {
    fAverage.ShowInFront();
    const QList<QStringList> expected = {{"1", "1"}, {"2", "1.5"}, {"3", "3"}};
    const double values[] = {1, 2, 6};
    for (int i = 0; i < 3; ++i) {
        show(values[i]);
        EXPECT_EQ(boxes(), expected[i]);
    }
    EXPECT_EQ(eValue.text(), QStringLiteral("6"));
}

TEST_F(Averaging, ASteadyValueStaysExact) {
    fAverage.ShowInFront();
    for (int i = 0; i < 1000; ++i)
        show(47.9);
    EXPECT_EQ(boxes(), QStringList({"1000", "47.9"}));
}

TEST_F(Averaging, HiddenWhileLinesMatchStartsAfreshAndKeepsTheBoxes) {
    fAverage.ShowInFront();
    show(1);
    show(2);
    fAverage.close();
    show(10);
    EXPECT_EQ(eValue.text(), QStringLiteral("10"));
    EXPECT_EQ(average.count(), 0);
    EXPECT_EQ(boxes(), QStringList({"2", "1.5"}));
    fAverage.ShowInFront();
    EXPECT_EQ(boxes(), QStringList({"2", "1.5"}));
    show(4);
    EXPECT_EQ(boxes(), QStringList({"1", "4"}));
}

TEST_F(Averaging, ReopenedWithNoLineBetweenGoesOn) {
    fAverage.ShowInFront();
    show(1);
    show(2);
    fAverage.hide();
    fAverage.ShowInFront();
    show(6);
    EXPECT_EQ(boxes(), QStringList({"3", "3"}));
}

}  // namespace
