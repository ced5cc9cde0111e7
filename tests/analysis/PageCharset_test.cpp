#include "analysis/PageAnalysis.h"

#include <gtest/gtest.h>

namespace {

struct TCharsetCase {
    const char* Name;
    QByteArray Head;
    const char* Expected;
};

const QByteArray kMeta1251 =
    R"(<meta http-equiv="Content-Type" content="text/html; charset=windows-1251">)";
const QByteArray kMeta1252 =
    R"(<meta http-equiv="Content-Type" content="text/html; charset=windows-1252">)";

TEST(PageCharset, DetectsTheDeclaredCodePage)
{
    const TCharsetCase cases[] = {
        {"no tag", "<html><body>x</body></html>", "UTF8"},
        {"windows-1251", "<html><head>" + kMeta1251 + "</head>", "WINDOWS-1251"},
        {"cp1251", R"(<META HTTP-EQUIV="Content-Type" CONTENT="text/html; charset=cp1251">)",
         "WINDOWS-1251"},
        {"cp1252", R"(<meta http-equiv="content-type" content="text/html; charset=cp1252">)",
         "WINDOWS-1252"},
        {"windows-1252", kMeta1252, "WINDOWS-1252"},
        {"utf-8", R"(<meta http-equiv="Content-Type" content="text/html; charset=utf-8">)", "UTF8"},
        {"koi8-r", R"(<meta http-equiv="Content-Type" content="text/html; charset=koi8-r">)", "UTF8"},
        {"meta charset form", R"(<meta charset="windows-1251">)", "WINDOWS-1251"},
        {"meta charset, single quotes", R"(<META Charset='CP1252'/>)", "WINDOWS-1252"},
        {"meta charset, unquoted after another attribute", "<meta\tname=x charset=windows-1251>",
         "WINDOWS-1251"},
        {"meta charset utf-8", R"(<meta charset="utf-8">)", "UTF8"},
        {"meta charset koi8-r", R"(<meta charset="koi8-r">)", "UTF8"},
        {"charset inside another attribute's value", R"(<meta name="a charset=windows-1251">)", "UTF8"},
        {"not a meta tag", R"(<metadata charset="windows-1251">)", "UTF8"},
        {"meta charset unclosed quote", R"(<meta charset="windows-1251)", "UTF8"},
        {"http-equiv then meta charset", kMeta1251 + R"(<meta charset="windows-1252">)", "WINDOWS-1252"},
        {"meta charset then http-equiv", R"(<meta charset="windows-1252">)" + kMeta1251, "WINDOWS-1251"},
        {"meta charset then utf-8", R"(<meta charset="cp1251"><meta charset="utf-8">)", "WINDOWS-1251"},
        {"single-quoted content",
         R"(<meta http-equiv="Content-Type" content='text/html; charset=windows-1251'>)", "UTF8"},
        {"extra spaces before http-equiv",
         R"(<meta  http-equiv="Content-Type" content="text/html; charset=windows-1251">)", "UTF8"},
        {"1251 then 1252", kMeta1251 + kMeta1252, "WINDOWS-1252"},
        {"1252 then 1251", kMeta1252 + kMeta1251, "WINDOWS-1251"},
        {"1251 then utf-8",
         kMeta1251 + R"(<meta http-equiv="Content-Type" content="text/html; charset=utf-8">)",
         "WINDOWS-1251"},
        {"tag without charset, then one with it",
         R"(<meta http-equiv="refresh" content="5">)" + kMeta1251, "WINDOWS-1251"},
        {"value longer than 20 characters",
         R"(<meta http-equiv="Content-Type" content="text/html; charset=windows-1251           ">)",
         "UTF8"},
        {"charset in a later tag is not read through an unclosed one",
         R"(<meta http-equiv="Content-Type" content="text/html; charset=windows-1251")", "UTF8"},
    };
    for (const auto& c : cases)
        EXPECT_EQ(DetectPageCharset(c.Head), QString::fromLatin1(c.Expected)) << c.Name;
}

// The HTTP header counts only for a page that names no character set itself.
TEST(PageCharset, ContentTypeHeaderWhenThePageDeclaresNothing)
{
    const struct {
        const char* Name;
        QByteArray Head;
        const char* ContentType;
        const char* Expected;
    } cases[] = {
        {"header 1251", "<p>x</p>", "text/html; charset=windows-1251", "WINDOWS-1251"},
        {"header quoted, upper case", "<p>x</p>", "text/html; Charset=\"CP1252\"", "WINDOWS-1252"},
        {"header with a later parameter", "<p>x</p>", "text/html;charset=cp1251; x=y", "WINDOWS-1251"},
        {"header utf-8", "<p>x</p>", "text/html; charset=utf-8", "UTF8"},
        {"header koi8-r", "<p>x</p>", "text/html; charset=koi8-r", "UTF8"},
        {"no header", "<p>x</p>", "", "UTF8"},
        {"page declares utf-8", R"(<meta charset="utf-8">)", "text/html; charset=windows-1251", "UTF8"},
        {"page declares 1252", kMeta1252, "text/html; charset=windows-1251", "WINDOWS-1252"},
    };
    for (const auto& c : cases)
        EXPECT_EQ(DetectPageCharset(c.Head, QString::fromLatin1(c.ContentType)), QString::fromLatin1(c.Expected))
            << c.Name;
    EXPECT_EQ(DecodePageText("\xCF\xF0\xE8", QStringLiteral("text/html; charset=windows-1251")),
              QStringLiteral("При"));
}

TEST(PageCharset, LooksOnlyAtTheFirst1024Bytes)
{
    // The whole tag inside the first 1024 bytes counts; a tag cut at the limit does not.
    const QByteArray fitting = QByteArray(1024 - kMeta1251.size(), ' ') + kMeta1251;
    EXPECT_EQ(DetectPageCharset(fitting + "<p>x</p>"), "WINDOWS-1251");
    const QByteArray cut = QByteArray(1024 - kMeta1251.size() + 1, ' ') + kMeta1251;
    EXPECT_EQ(DetectPageCharset(cut), "UTF8");
    const QByteArray late = QByteArray(1100, ' ') + kMeta1251;
    EXPECT_EQ(DetectPageCharset(late), "UTF8");
    // A later UTF-8 declaration beyond the limit does not override.
    EXPECT_EQ(DetectPageCharset(kMeta1251 + QByteArray(1100, ' ') + kMeta1252), "WINDOWS-1251");
}

TEST(PageCharset, NeverFailsOnOddBodies)
{
    EXPECT_EQ(DetectPageCharset(QByteArray()), "UTF8");
    EXPECT_EQ(DetectPageCharset(QByteArray("\0\0<META HTTP-EQUIV=\"", 20)), "UTF8");
    EXPECT_EQ(DetectPageCharset(R"(<META HTTP-EQUIV="<META HTTP-EQUIV=">)"), "UTF8");
    EXPECT_EQ(DetectPageCharset(R"(<META HTTP-EQUIV="x" CHARSET=">)"), "UTF8");
}

struct TDecodeCase {
    const char* Name;
    QByteArray Body;
    QString Expected;
};

TEST(PageCharset, DecodesByTheDeclaredCodePage)
{
    const TDecodeCase cases[] = {
        {"plain UTF-8", "Привет, мир", QStringLiteral("Привет, мир")},
        {"invalid byte", "a\xFF" "b", QStringLiteral("a\uFFFDb")},
        {"truncated sequence at the end", "ok\xD0", QStringLiteral("ok\uFFFD")},
        {"lone continuation byte", "\x80x", QStringLiteral("\uFFFDx")},
        {"encoded surrogate", "\xED\xA0\x80", QStringLiteral("\uFFFD\uFFFD\uFFFD")},
        {"byte-order mark dropped", "\xEF\xBB\xBFtext", QStringLiteral("text")},
        {"four-byte character", "\xF0\x9F\x98\x80", QStringLiteral("\U0001F600")},
        {"windows-1251", kMeta1251 + "\xCF\xF0\xE8\xE2\xE5\xF2",
         QString::fromLatin1(kMeta1251) + QStringLiteral("Привет")},
        {"windows-1252", kMeta1252 + "\x80 caf\xE9 \x93q\x94",
         QString::fromLatin1(kMeta1252) + QStringLiteral("€ café “q”")},
    };
    for (const auto& c : cases)
        EXPECT_EQ(DecodePageText(c.Body), c.Expected) << c.Name;
}

TEST(PageCharset, UndefinedCodePageBytesBecomeReplacementCharacters)
{
    // 0x98 is unassigned in Windows-1251, 0x81 in Windows-1252.
    EXPECT_EQ(DecodePageTextAs("a\x98" "b", "WINDOWS-1251"), QStringLiteral("a\uFFFDb"));
    EXPECT_EQ(DecodePageTextAs("a\x81" "b", "WINDOWS-1252"), QStringLiteral("a\uFFFDb"));
    // An unknown name decodes as UTF-8.
    EXPECT_EQ(DecodePageTextAs("\xD0\xAF", "KOI8-R"), QStringLiteral("Я"));
}

}  // namespace
