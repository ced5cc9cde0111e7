#include "core/Clock.h"
#include "core/Translate.h"

#include <QCoreApplication>
#include <QDateTime>
#include <QFileInfo>
#include <QTemporaryDir>
#include <gtest/gtest.h>

#include <thread>
#include <vector>

namespace {

// The catalogues the build compiles beside the test executables.
QString BuiltLocaleDir()
{
    return CatalogueDir();
}

class Translation : public ::testing::Test {
protected:
    void TearDown() override
    {
        SetTranslationLanguage(QStringLiteral("ru"));
    }
};

TEST_F(Translation, SwitchesBetweenRussianAndEnglishAtRunTime)
{
    ASSERT_TRUE(QFileInfo::exists(BuiltLocaleDir() + QStringLiteral("/en/LC_MESSAGES/Tollmarsh.mo")))
        << "the build compiles locale/en.po";
    InitTranslation(BuiltLocaleDir());
    SetTranslationLanguage(QStringLiteral("en"));
    EXPECT_EQ(TranslationLanguage(), QStringLiteral("en"));
    EXPECT_EQ(Tr("По-умолчанию"), QStringLiteral("Default"));
    EXPECT_EQ(Tr(QStringLiteral(u"По-умолчанию")), QStringLiteral("Default"));
    // A text without an entry comes back unchanged.
    EXPECT_EQ(Tr("Нет такого текста"), QStringLiteral(u"Нет такого текста"));
    EXPECT_EQ(Tr(""), QString());  // never the catalogue header

    // Lookups from several threads at once while the language stays put.
    std::vector<std::thread> threads;
    std::atomic<int> wrong{0};
    for (int t = 0; t < 4; ++t)
        threads.emplace_back([&wrong] {
            for (int i = 0; i < 500; ++i)
                if (Tr("По-умолчанию") != QLatin1String("Default"))
                    ++wrong;
        });
    for (auto& thread : threads)
        thread.join();
    EXPECT_EQ(wrong.load(), 0);

    SetTranslationLanguage(QStringLiteral("ru"));
    EXPECT_EQ(Tr("По-умолчанию"), QStringLiteral(u"По-умолчанию"));
    SetTranslationLanguage(QStringLiteral("en"));
    EXPECT_EQ(Tr("По-умолчанию"), QStringLiteral("Default"));
}

TEST_F(Translation, WithoutCataloguesTheSourceTextIsShown)
{
    QTemporaryDir empty;
    InitTranslation(empty.path());
    SetTranslationLanguage(QStringLiteral("en"));
    EXPECT_EQ(Tr("По-умолчанию"), QStringLiteral(u"По-умолчанию"));
    InitTranslation(BuiltLocaleDir());
}

TEST(FormatText, InsertsValuesIntoATranslatedFormat)
{
    struct TCase {
        QString Format;
        QVariantList Args;
        QString Expected;
    };
    const TCase cases[] = {
        {QStringLiteral(u" Список URL (%d) "), {1234567}, QStringLiteral(u" Список URL (1234567) ")},
        {QStringLiteral("%s:%d"), {QStringLiteral("host"), -5}, QStringLiteral("host:-5")},
        {QStringLiteral("100%% of %s"), {QStringLiteral("%d")}, QStringLiteral("100% of %d")},
        {QStringLiteral("%d %d"), {1}, QStringLiteral("1 %d")},  // a missing value leaves the directive
        {QStringLiteral("%x %"), {1}, QStringLiteral("%x %")},
        {QStringLiteral("%d"), {qint64(1) << 40}, QStringLiteral("1099511627776")},
    };
    for (const auto& c : cases)
        EXPECT_EQ(FormatText(c.Format, c.Args), c.Expected) << qPrintable(c.Format);
}

TEST(Clock, LogTimeIsHoursMinutesSecondsInLocalTime)
{
    const QDate day(2026, 3, 14);
    const TDateTime morning = QDateTime(day, QTime(9, 5, 3, 999)).toMSecsSinceEpoch();
    const TDateTime evening = QDateTime(day, QTime(21, 0, 0)).toMSecsSinceEpoch();
    EXPECT_EQ(FormatLogTime(morning), QStringLiteral("09:05:03"));
    EXPECT_EQ(FormatLogTime(evening), QStringLiteral("21:00:00"));

    TManualClock clock(1000);
    clock.Advance(500);
    EXPECT_EQ(clock.Now(), 1500);
    const TDateTime before = QDateTime::currentMSecsSinceEpoch();
    const TDateTime now = TClock::System().Now();
    EXPECT_GE(now, before);
    EXPECT_LE(now - before, 5000);
}

}  // namespace
