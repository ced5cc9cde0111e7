// The shared text and file helpers: ASCII letter case, blanks, lines, files.

#include "TestFolder.h"
#include "core/TextUtil.h"

#include <QDir>
#include <QFile>
#include <gtest/gtest.h>

namespace {

// ---- ASCII case folding ----

struct TSameTextCase {
    const char* A;
    const char* B;
    bool Same;
};

class CoreRunSameTextASCII : public ::testing::TestWithParam<TSameTextCase> {};

TEST_P(CoreRunSameTextASCII, FoldsOnlyLettersAToZ)
{
    const QString a = QString::fromUtf8(GetParam().A);
    const QString b = QString::fromUtf8(GetParam().B);
    EXPECT_EQ(SameTextASCII(a, b), GetParam().Same);
    EXPECT_EQ(SameTextASCII(b, a), GetParam().Same);
    EXPECT_EQ(FoldASCII(a) == FoldASCII(b), GetParam().Same);
}

INSTANTIATE_TEST_SUITE_P(Cases, CoreRunSameTextASCII, ::testing::Values(
    TSameTextCase{"", "", true},
    TSameTextCase{"", "a", false},
    TSameTextCase{"HTTP://Example.COM/Path", "http://example.com/path", true},
    TSameTextCase{"http://example.com/Путь", "HTTP://EXAMPLE.COM/Путь", true},
    TSameTextCase{"http://example.com/путь", "http://example.com/Путь", false},  // Cyrillic case counts
    TSameTextCase{"Straße", "STRASSE", false},
    TSameTextCase{"ÄBC", "äbc", false},        // Latin-1 letters are not folded
    TSameTextCase{"[a]", "{A}", false},        // neighbours of the letter ranges
    TSameTextCase{"@`", "@`", true},
    TSameTextCase{"abc", "abcd", false}));

TEST(FoldASCIIBytes, OnlyLettersAToZChange)
{
    EXPECT_EQ(FoldASCII(QByteArray("<meta charset=Windows-1251 \xE9\xFF`{")),
              QByteArray("<META CHARSET=WINDOWS-1251 \xE9\xFF`{"));
}

TEST(TextOrderASCII, UpperCasesLettersThenComparesCodeUnits)
{
    const struct {
        const char* A;
        const char* B;
        int Sign;
    } cases[] = {
        {"abc", "ABC", 0}, {"a", "B", -1}, {"B", "a", 1}, {"ab", "abc", -1}, {"", "", 0},
        {"a", "_", -1},  // 'a' sorts as 'A', below '_'
        {"z", "[", -1},  // and 'z' as 'Z', below '['
        {"я", "Я", 1},   // other alphabets by code unit
    };
    for (const auto& c : cases) {
        const int got = CompareTextASCII(QString::fromUtf8(c.A), QString::fromUtf8(c.B));
        EXPECT_EQ((got > 0) - (got < 0), c.Sign) << c.A << " / " << c.B;
    }
}

// ---- blanks and lines ----

TEST(TextBlanks, EverythingUpToTheSpaceIsTrimmed)
{
    EXPECT_EQ(TrimBlanks(QStringLiteral(" \t\r\n\x01x y\x1F ")), QStringLiteral("x y"));
    EXPECT_EQ(TrimBlanks(QStringLiteral(u"\u00A0x\u00A0")), QStringLiteral(u"\u00A0x\u00A0"));  // no-break space stays
    EXPECT_EQ(TrimBlanks(QStringLiteral("  ")), QString());
    EXPECT_EQ(TrimBlanksAtStart(QStringLiteral(" \tx ")), QStringLiteral("x "));
}

TEST(ProxySplit, LinesBreakAtCrLfLfAndCr)
{
    EXPECT_EQ(SplitTextLines(QStringLiteral("a\r\nb\nc\rd")), (QStringList{"a", "b", "c", "d"}));
    EXPECT_EQ(SplitTextLines(QStringLiteral("a\n\nb\r\n")), (QStringList{"a", "", "b"}));
    EXPECT_EQ(SplitTextLines(QStringLiteral("\r\n\r")), (QStringList{"", ""}));
    EXPECT_EQ(SplitTextLines(QString()), QStringList());
}

// ---- files ----

class AtomicSave : public ::testing::Test {
protected:
    TTestFolder FDir;
    QString Path(const char* aName) const { return FDir.FilePath(QString::fromUtf8(aName)); }
    static QByteArray Read(const QString& aPath) { return TTestFolder::Read(aPath); }
};

TEST_F(AtomicSave, ReplacesTheFileWholeAndLeavesNoTemporaryFile)
{
    ASSERT_TRUE(SaveFileAtomically(Path("f"), QByteArray("first")));
    ASSERT_TRUE(SaveFileAtomically(Path("f"), QByteArray("second")));
    EXPECT_EQ(Read(Path("f")), QByteArray("second"));
    ASSERT_TRUE(SaveFileAtomically(Path("f"), QByteArray()));
    EXPECT_EQ(Read(Path("f")), QByteArray());
    EXPECT_EQ(QDir(FDir.Path()).entryList(QDir::Files | QDir::Hidden), QStringList{QStringLiteral("f")});
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

TEST(WholeFileRead, GivesTheBytesOrTheReason)
{
    TTestFolder dir;
    QByteArray bytes("old");
    QString error;
    EXPECT_TRUE(ReadWholeFile(dir.Write(QStringLiteral("f"), QByteArray("a\0b", 3)), bytes, &error));
    EXPECT_EQ(bytes, QByteArray("a\0b", 3));
    EXPECT_FALSE(ReadWholeFile(dir.FilePath(QStringLiteral("missing")), bytes, &error));
    EXPECT_TRUE(bytes.isEmpty());
    EXPECT_FALSE(error.isEmpty());
    EXPECT_FALSE(ReadWholeFile(dir.Path(), bytes));  // a folder is no file
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
