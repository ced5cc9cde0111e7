#include "core/Clock.h"
#include "core/FileUtil.h"
#include "core/Translate.h"

#include <QCoreApplication>
#include <QDateTime>
#include <QDir>
#include <QFile>
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

class AtomicSave : public ::testing::Test {
protected:
    QTemporaryDir FDir;
    QString Path(const char* aName) const { return FDir.filePath(QString::fromUtf8(aName)); }
    static QByteArray Read(const QString& aPath)
    {
        QFile file(aPath);
        return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray("<unreadable>");
    }
};

TEST_F(AtomicSave, ReplacesTheFileWholeAndLeavesNoTemporaryFile)
{
    ASSERT_TRUE(SaveFileAtomically(Path("f"), QByteArray("first")));
    ASSERT_TRUE(SaveFileAtomically(Path("f"), QByteArray("second")));
    EXPECT_EQ(Read(Path("f")), QByteArray("second"));
    ASSERT_TRUE(SaveFileAtomically(Path("f"), QByteArray()));
    EXPECT_EQ(Read(Path("f")), QByteArray());
    EXPECT_EQ(QDir(FDir.path()).entryList(QDir::Files | QDir::Hidden), QStringList{QStringLiteral("f")});
    EXPECT_FALSE(SaveFileAtomically(Path("missing/f"), QByteArray("x")));
}

TEST_F(AtomicSave, OwnerOnlyFilesAreNeverReadableByOthers)
{
    const auto ownerOnly = QFileDevice::ReadOwner | QFileDevice::WriteOwner;
    const auto otherBits = QFileDevice::ReadGroup | QFileDevice::WriteGroup | QFileDevice::ExeGroup
                           | QFileDevice::ReadOther | QFileDevice::WriteOther | QFileDevice::ExeOther;
    ASSERT_TRUE(SaveFileAtomically(Path("p"), QByteArray("secret"), true));
    EXPECT_EQ(QFile::permissions(Path("p")) & otherBits, QFileDevice::Permissions());
    // An older copy readable by everyone is replaced by an owner-only one.
    ASSERT_TRUE(SaveFileAtomically(Path("q"), QByteArray("old")));
    ASSERT_TRUE(QFile::setPermissions(Path("q"), ownerOnly | QFileDevice::ReadGroup | QFileDevice::ReadOther));
    ASSERT_TRUE(SaveFileAtomically(Path("q"), QByteArray("new"), true));
    EXPECT_EQ(QFile::permissions(Path("q")) & otherBits, QFileDevice::Permissions());
    EXPECT_EQ(Read(Path("q")), QByteArray("new"));
}

TEST(Utf8Decoding, StrictDecodingRefusesInvalidBytes)
{
    QString text;
    EXPECT_TRUE(DecodeUtf8Strict(QByteArray("\xEF\xBB\xBF\xD0\x96x"), text));
    EXPECT_EQ(text, QStringLiteral(u"Жx"));
    EXPECT_TRUE(DecodeUtf8Strict(QByteArray("plain"), text));
    EXPECT_EQ(text, QStringLiteral("plain"));
    for (const QByteArray& bad : {QByteArray("\xC3\x28"), QByteArray("a\xFF"), QByteArray("\xED\xA0\x80"),
                                  QByteArray("\xC0\xAF"), QByteArray("\xE2\x82")}) {
        EXPECT_FALSE(DecodeUtf8Strict(bad, text)) << bad.toHex().constData();
        EXPECT_TRUE(text.isEmpty());
    }
}

}  // namespace
