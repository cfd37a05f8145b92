#include <gtest/gtest.h>

#include <QApplication>
#include <QPalette>
#include <QStyle>
#include <cmath>

#include "Themes.h"

namespace {

QApplication& App() {
    return *qobject_cast<QApplication*>(QCoreApplication::instance());
}

double Luminance(const QColor& color) {
    auto channel = [](double c) {
        return c <= 0.03928 ? c / 12.92 : std::pow((c + 0.055) / 1.055, 2.4);
    };
    return 0.2126 * channel(color.redF()) + 0.7152 * channel(color.greenF()) +
           0.0722 * channel(color.blueF());
}

double Contrast(const QColor& a, const QColor& b) {
    const double la = Luminance(a), lb = Luminance(b);
    return (std::max(la, lb) + 0.05) / (std::min(la, lb) + 0.05);
}

class ThemesTest : public ::testing::Test {
protected:
    void SetUp() override {
        // The first selection records the look the application started with.
        SelectTheme(App(), QStringLiteral("Windows"));
        nativeStyle_ = App().style()->name();
        nativeWindow_ = QApplication::palette().color(QPalette::Window);
    }
    void TearDown() override { SelectTheme(App(), QStringLiteral("Windows")); }

    void ExpectNativeLook() const {
        EXPECT_EQ(App().style()->name(), nativeStyle_);
        EXPECT_EQ(QApplication::palette().color(QPalette::Window), nativeWindow_);
    }

    QString nativeStyle_;
    QColor nativeWindow_;
};

TEST_F(ThemesTest, ListsTheNativeLookAndThirtyFiveUniqueThemes) {
    QStringList names = ThemeNames();
    ASSERT_EQ(names.size(), 36);
    EXPECT_EQ(names.first(), QStringLiteral("Windows"));
    EXPECT_EQ(names.removeDuplicates(), 0);
    for (const char* expected :
         {"Amakrits", "Carbon", "Smokey Quartz Kamri", "Windows10 SlateGray"})
        EXPECT_TRUE(names.contains(QString::fromLatin1(expected))) << expected;
}

TEST_F(ThemesTest, MatchesNamesIgnoringLetterCase) {
    const QColor carbonWindow = [] {
        SelectTheme(App(), QStringLiteral("Carbon"));
        return QApplication::palette().color(QPalette::Window);
    }();
    for (const char* name : {"carbon", "CARBON", "cArBoN"}) {
        SelectTheme(App(), QStringLiteral("Windows"));
        EXPECT_TRUE(SelectTheme(App(), QString::fromLatin1(name))) << name;
        EXPECT_EQ(App().style()->name(), QStringLiteral("fusion")) << name;
        EXPECT_EQ(QApplication::palette().color(QPalette::Window), carbonWindow) << name;
    }
}

TEST_F(ThemesTest, NativeNameRestoresTheStartingLook) {
    for (const char* name : {"Windows", "windows"}) {
        ASSERT_TRUE(SelectTheme(App(), QStringLiteral("Windows10 Dark")));
        EXPECT_TRUE(SelectTheme(App(), QString::fromLatin1(name))) << name;
        ExpectNativeLook();
    }
}

TEST_F(ThemesTest, UnknownOrEmptyNameFailsAndLeavesTheNativeLook) {
    for (const char* name : {"", "Carbon ", "Windows11", "Glow Dark"}) {
        ASSERT_TRUE(SelectTheme(App(), QStringLiteral("Glow")));
        EXPECT_FALSE(SelectTheme(App(), QString::fromLatin1(name))) << '"' << name << '"';
        ExpectNativeLook();
    }
}

TEST_F(ThemesTest, EveryThemeIsReadableAndDistinct) {
    QList<QRgb> windows;
    for (const QString& name : ThemeNames().mid(1)) {
        ASSERT_TRUE(SelectTheme(App(), name)) << name.toStdString();
        const QPalette p = QApplication::palette();
        const std::pair<QPalette::ColorRole, QPalette::ColorRole> pairs[] = {
            {QPalette::WindowText, QPalette::Window},
            {QPalette::Text, QPalette::Base},
            {QPalette::ButtonText, QPalette::Button},
            {QPalette::HighlightedText, QPalette::Highlight},
            {QPalette::ToolTipText, QPalette::ToolTipBase},
            {QPalette::Text, QPalette::AlternateBase},
        };
        for (const auto& [fore, back] : pairs)
            EXPECT_GE(Contrast(p.color(fore), p.color(back)), 4.5)
                << name.toStdString() << " role " << fore << " on " << back;
        EXPECT_GE(Contrast(p.color(QPalette::Disabled, QPalette::Text), p.color(QPalette::Base)),
                  1.8)
            << name.toStdString() << " disabled text vanishes";
        windows.append(p.color(QPalette::Window).rgb());
    }
    EXPECT_EQ(QSet<QRgb>(windows.begin(), windows.end()).size(), windows.size());
}

}  // namespace
