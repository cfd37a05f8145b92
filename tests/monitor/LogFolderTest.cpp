#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QFileInfo>

#include "LogFolder.h"
#include "WindowHarness.h"

namespace {

struct TextCase {
    QDateTime moment;
    const char* date;
    const char* time;
};

TEST(LogNames, DateAndTimeTextsPadWithZerosExceptTheYear) {
    const TextCase cases[] = {
        {QDateTime(QDate(2024, 3, 1), QTime(9, 5, 7)), "2024-03-01", "090507"},
        {QDateTime(QDate(2025, 12, 31), QTime(23, 59, 59)), "2025-12-31", "235959"},
        {QDateTime(QDate(2026, 10, 10), QTime(10, 10, 10)), "2026-10-10", "101010"},
        {QDateTime(QDate(2027, 1, 9), QTime(0, 0, 0)), "2027-01-09", "000000"},
        {QDateTime(QDate(987, 6, 5), QTime(1, 2, 3)), "987-06-05", "010203"},
    };
    for (const TextCase& c : cases) {
        EXPECT_EQ(DateText(c.moment), QByteArray(c.date)) << c.date;
        EXPECT_EQ(TimeText(c.moment), QByteArray(c.time)) << c.time;
    }
}

TEST(LogNames, FolderAndFileAreNamedWithTheStartMoment) {
    const LogNames names =
        MakeLogNames(QStringLiteral("/home/u/PLV"), QDateTime(QDate(2024, 3, 1), QTime(9, 5, 7)));
    EXPECT_EQ(names.LogFolder, QByteArray("/home/u/PLV/2024-03-01/SRX/"));
    EXPECT_EQ(names.LineLogPath,
              QByteArray("/home/u/PLV/2024-03-01/SRX/2024-03-01 090507 Terminal.log"));
}

TEST(LogNames, WindowKeepsTheNamesOfItsStartPastMidnight) {
    WindowHarness h;
    h.time.setNow(QDateTime(QDate(2024, 3, 1), QTime(23, 59, 59)));
    auto window = h.window();
    h.time.advance(2000);
    const QByteArray root = QFile::encodeName(h.logRoot());
    EXPECT_EQ(window->LogFolder, root + "/2024-03-01/SRX/");
    EXPECT_EQ(window->LineLogPath, root + "/2024-03-01/SRX/2024-03-01 235959 Terminal.log");
}

class EnsureLogFolderTest : public ::testing::Test {
protected:
    void SetUp() override { h.time.setNow(QDateTime(QDate(2024, 3, 1), QTime(9, 5, 7))); }
    QString root() const { return h.logRoot(); }
    QString srx() const { return root() + QStringLiteral("/2024-03-01/SRX"); }
    void run() { EnsureLogFolder(root(), h.time, h.messages, nullptr); }
    static void makeFile(const QString& path) {
        QFile file(path);
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    }

    WindowHarness h;
};

TEST_F(EnsureLogFolderTest, CreatesEveryLevelOfAFreshTree) {
    run();
    EXPECT_TRUE(QFileInfo(srx()).isDir());
    EXPECT_TRUE(h.messages.shown.isEmpty());
}

TEST_F(EnsureLogFolderTest, ExistingTreeIsLeftAsItIsWithoutAMessage) {
    ASSERT_TRUE(QDir().mkpath(srx()));
    makeFile(srx() + QStringLiteral("/kept.log"));
    run();
    EXPECT_TRUE(QFileInfo::exists(srx() + QStringLiteral("/kept.log")));
    EXPECT_TRUE(h.messages.shown.isEmpty());
}

TEST_F(EnsureLogFolderTest, RootThatCannotBeCreatedGivesOneMessageAndStops) {
    makeFile(root());  // a plain file where the root folder should be
    run();
    ASSERT_EQ(h.messages.shown.size(), 1);
    const auto& shown = h.messages.shown.first();
    EXPECT_EQ(shown.text, QStringLiteral("Cannot create log folder %1/SRX/. Check if you are "
                                         "authorized create folder at this address.")
                              .arg(root()));
    EXPECT_EQ(shown.button, QMessageBox::Ok);
    EXPECT_FALSE(QFileInfo(root()).isDir());
}

TEST_F(EnsureLogFolderTest, DateLevelThatCannotBeCreatedStopsBeforeSrx) {
    ASSERT_TRUE(QDir().mkpath(root()));
    makeFile(root() + QStringLiteral("/2024-03-01"));
    run();
    EXPECT_EQ(h.messages.shown.size(), 1);
    EXPECT_FALSE(QFileInfo::exists(srx()));
}

TEST_F(EnsureLogFolderTest, LinkToAFolderCountsAsTheFolder) {
    const QString elsewhere = h.dir.filePath(QStringLiteral("elsewhere"));
    ASSERT_TRUE(QDir().mkpath(elsewhere + QStringLiteral("/2024-03-01/SRX")));
    ASSERT_TRUE(QFile::link(elsewhere, root()));
    run();
    EXPECT_TRUE(h.messages.shown.isEmpty());
    EXPECT_TRUE(QFileInfo(root()).isSymLink());
}

TEST_F(EnsureLogFolderTest, FolderIsDatedWhenTheWindowIsShownNotWhenTheRunStarted) {
    h.time.setNow(QDateTime(QDate(2024, 3, 1), QTime(23, 59, 59)));
    auto window = h.window();
    h.time.advance(2000);
    window->FormShow();
    EXPECT_TRUE(QFileInfo(root() + QStringLiteral("/2024-03-02/SRX")).isDir());
    EXPECT_FALSE(QFileInfo::exists(srx()));
}

TEST_F(EnsureLogFolderTest, ShowingTheWindowCreatesTheFolderOfItsLog) {
    auto window = h.window();
    window->FormShow();
    EXPECT_TRUE(QFileInfo(QFile::decodeName(window->LogFolder)).isDir());
}

}  // namespace
