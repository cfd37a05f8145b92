// The About box and the Average window: what they show, and that they only ever hide.
#include <gtest/gtest.h>

#include <QAccessible>
#include <QLabel>
#include <QLineEdit>
#include <QPointer>
#include <QPushButton>
#include <QTest>
#include <functional>

#include "Uabout.h"
#include "Uaverage.h"

namespace {

// OK and the frame's close button both only hide the box; shown again it has the same notice,
// with the year of its creation.
TEST(AboutBox, OkAndTheFrameOnlyHideIt) {
    auto* fAbout = new TfAbout(nullptr, QDate(2031, 12, 31));
    QPointer<TfAbout> alive = fAbout;
    const QString notice = fAbout->Label8->text();
    EXPECT_TRUE(notice.contains(QStringLiteral("2031"))) << notice.toStdString();
    for (const auto& closeIt : {std::function<void()>([&] { fAbout->BitBtn2->click(); }),
                                std::function<void()>([&] { fAbout->close(); })}) {
        fAbout->ShowInFront();
        ASSERT_TRUE(fAbout->isVisible());
        closeIt();
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        ASSERT_FALSE(alive.isNull());
        EXPECT_FALSE(fAbout->isVisible());
    }
    fAbout->ShowInFront();
    EXPECT_EQ(fAbout->Label8->text(), notice);
    delete fAbout;
}

// By mouse, or with Tab from OK and Enter, as a keyboard user reaches it.
TEST(AboutBox, TheLinkOpensTheMakersAddressAndKeepsTheBox) {
    TfAbout fAbout;
    QList<QUrl> opened;
    fAbout.OpenLink = [&opened](const QUrl& url) { opened.append(url); };
    fAbout.ShowInFront();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&fAbout));
    QTest::mouseClick(fAbout.Label5, Qt::LeftButton, {}, fAbout.Label5->rect().center());
    ASSERT_TRUE(fAbout.BitBtn2->hasFocus());
    QTest::keyClick(fAbout.BitBtn2, Qt::Key_Tab);
    QTest::keyClick(fAbout.Label5, Qt::Key_Return);
    const QUrl maker(QStringLiteral("https://plovik.example"));
    EXPECT_EQ(opened, QList<QUrl>({maker, maker}));
    EXPECT_TRUE(fAbout.isVisible());
}

TEST(AverageWindow, BoxesAreAnnouncedAndReachedByTheirCaptions) {
    TfAverage fAverage;
    fAverage.ShowInFront();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&fAverage));
    const struct {
        QLineEdit* box;
        Qt::Key mnemonic;
        const char* name;
    } boxes[] = {{fAverage.eSample, Qt::Key_N, "Number of Sample"},
                 {fAverage.eAvrage, Qt::Key_A, "Average"}};
    for (const auto& b : boxes) {
        EXPECT_EQ(QAccessible::queryAccessibleInterface(b.box)->text(QAccessible::Name),
                  QLatin1String(b.name));
        QTest::keyClick(&fAverage, b.mnemonic, Qt::AltModifier);
        EXPECT_TRUE(b.box->hasFocus()) << b.name;
    }
}

}  // namespace
