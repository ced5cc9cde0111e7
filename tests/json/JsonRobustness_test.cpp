#include "json/JsonNode.h"

#include <gtest/gtest.h>

#include <random>

namespace {

// A document that uses every token kind, nesting and escapes.
const QString kSample = QStringLiteral(
    u"{\"name\":\"Main\",\"rules\":[{\"name\":\"T\\u0069tle\",\"qtype\":0,\"query\":\"//h1\\n\","
    u"\"attr\":\"\",\"etype\":-1.5e+2},{\"a\":[true,false,null,[],{}],\"b\":\"Привет\\\"\\\\\",},],"
    u"\"n\":{\"deep\":[[[[1,2,3]]]]},\"n\":007}");

// Parses and reports whether anything other than EJsonException escaped.
bool ParsesOrRaisesJsonError(const QString& aText)
{
    TJsonNode root;
    try {
        root.Parse(aText);
        // A parsed tree writes back to text that parses again.
        TJsonNode copy;
        copy.Parse(root.AsJson());
        return copy.AsJson() == root.AsJson();
    } catch (const EJsonException&) {
        return root.Count() == 0;
    } catch (...) {
        return false;
    }
}

QString Mutate(const QString& aText, std::mt19937& aRandom)
{
    static const char16_t kPieces[] = {'{', '}', '[', ']', ',', ':', '"', '\\', 'u', '0', '-', '.', 'e',
                                       'n', 't', 0, '\n', '\r', 0xD800, 0xDC00, 0x430, ' '};
    QString text = aText;
    const int edits = 1 + int(aRandom() % 4);
    for (int i = 0; i < edits; ++i) {
        const qsizetype pos = text.isEmpty() ? 0 : qsizetype(aRandom() % text.size());
        const QChar piece(kPieces[aRandom() % std::size(kPieces)]);
        switch (aRandom() % 4) {
        case 0: text.insert(pos, piece); break;
        case 1: if (!text.isEmpty()) text[pos] = piece; break;
        case 2: text.remove(pos, 1 + qsizetype(aRandom() % 3)); break;
        default: text.insert(pos, text.mid(qsizetype(aRandom() % (text.size() + 1)), 8));
        }
    }
    return text;
}

TEST(JsonNodeRobustness, MutatedDocumentsNeverCrash)
{
    std::mt19937 random(20261209);
    for (int i = 0; i < 20000; ++i) {
        const QString text = Mutate(kSample, random);
        ASSERT_TRUE(ParsesOrRaisesJsonError(text)) << qPrintable(text);
    }
}

TEST(JsonNodeRobustness, TruncationsNeverCrash)
{
    for (qsizetype length = 0; length < kSample.size(); ++length) {
        const QString text = kSample.left(length);
        ASSERT_TRUE(ParsesOrRaisesJsonError(text)) << qPrintable(text);
        TJsonNode root;
        EXPECT_THROW(root.Parse(text), EJsonException) << qPrintable(text);
    }
}

TEST(JsonNodeRobustness, RandomTokenSoupNeverCrashes)
{
    static const char* const kTokens[] = {"{", "}", "[", "]", ",", ":", "\"k\"", "1", "-2.5e3", "true", "null", " ", "\"\\u00e9\""};
    std::mt19937 random(42);
    for (int i = 0; i < 5000; ++i) {
        QString text = random() % 2 ? QStringLiteral("[") : QStringLiteral("{");
        const int count = int(random() % 40);
        for (int t = 0; t < count; ++t)
            text += QString::fromUtf8(kTokens[random() % std::size(kTokens)]);
        ASSERT_TRUE(ParsesOrRaisesJsonError(text)) << qPrintable(text);
    }
}

TEST(JsonNodeRobustness, VeryDeepNestingIsRefusedWithoutOverflow)
{
    const int depth = 100000;
    const QString arrays = QString(depth, QLatin1Char('[')) + QString(depth, QLatin1Char(']'));
    QString objects;
    for (int i = 0; i < depth; ++i)
        objects += QStringLiteral("{\"a\":");
    TJsonNode root;
    for (const QString& text : {arrays, objects, QString(depth, QLatin1Char('['))}) {
        try {
            root.Parse(text);
            FAIL() << "accepted";
        } catch (const EJsonException& e) {
            EXPECT_EQ(e.Message(), QStringLiteral("Error while parsing text"));
        }
        EXPECT_EQ(root.Count(), 0);
    }
}

TEST(JsonNodeRobustness, LargeDocumentsWithRepeatedNamesParse)
{
    // About 1 MB: many members, half of them repeating earlier names. A scan
    // for the earlier member per name would make this quadratic.
    QString text = QStringLiteral("{");
    const int members = 60000;
    for (int i = 0; i < members; ++i)
        text += QStringLiteral("\"member%1\":[%2,\"v\"],").arg(i % (members / 2)).arg(i);
    text += QStringLiteral("}");
    ASSERT_GT(text.size(), 1000000);
    TJsonNode root;
    root.Parse(text);
    ASSERT_EQ(root.Count(), members / 2);
    EXPECT_EQ(root.Child(5)->Name(), QStringLiteral("member5"));
    EXPECT_EQ(root.Child(5)->Child(0)->AsNumber(), double(members / 2 + 5));
}

}  // namespace
