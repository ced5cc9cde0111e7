#include "json/JsonNode.h"

#include <gtest/gtest.h>

#include <clocale>

#include <cmath>

namespace {

TEST(JsonNodeBuild, AddKeepsOrderAndReusesNamesInPlace)
{
    TJsonNode root;
    root.Add(QStringLiteral("name"), QStringLiteral("Main"));
    TJsonNode* list = root.Add(QStringLiteral("list"), nkArray);
    list->Add(QStringLiteral("ignored"), 1.0);
    list->Add(QString(), QStringLiteral("two"));
    list->Add(QString(), nkObject)->Add(QStringLiteral("k"), nkArray);
    root.Add(QStringLiteral("n"), 3.0);
    EXPECT_EQ(root.AsJson(), QStringLiteral("{\"name\":\"Main\",\"list\":[1,\"two\",{\"k\":[]}],\"n\":3}"));
    EXPECT_EQ(list->Child(0)->Name(), QStringLiteral("0"));
    EXPECT_EQ(list->Child(2)->Name(), QStringLiteral("2"));
    EXPECT_EQ(list->Child(2)->Parent(), list);

    // The same name again: same position, new kind and content.
    TJsonNode* again = root.Add(QStringLiteral("list"), nkObject);
    EXPECT_EQ(again, list);
    EXPECT_EQ(root.Add(QStringLiteral("name"), -1.0), root.Child(0));
    EXPECT_EQ(root.AsJson(), QStringLiteral("{\"name\":-1,\"list\":{},\"n\":3}"));
    root.Add(QStringLiteral("n"), QStringLiteral("x"));
    EXPECT_EQ(root.Count(), 3);
    EXPECT_EQ(root.Find(QStringLiteral("n"))->AsString(), QStringLiteral("x"));
}

TEST(JsonNodeBuild, AddOnAValueNodeIsRefused)
{
    TJsonNode root;
    TJsonNode* value = root.Add(QStringLiteral("v"), 1.0);
    EXPECT_THROW(value->Add(QStringLiteral("x"), 2.0), EJsonException);
    EXPECT_EQ(value->Count(), 0);
}

struct TNumberCase {
    double Number;
    const char* Text;
};

TEST(JsonNodeBuild, NumbersAreWrittenWithAPoint)
{
    const TNumberCase cases[] = {
        {3, "3"}, {-1, "-1"}, {0, "0"}, {-0.0, "0"}, {255, "255"},
        {999999999999999, "999999999999999"}, {2.5, "2.5"}, {-0.125, "-0.125"},
        {1e15, "1e+15"}, {0.1, "0.1"},
    };
    const char* previous = std::setlocale(LC_NUMERIC, nullptr);
    const std::string saved = previous ? previous : "C";
    std::setlocale(LC_NUMERIC, "C.UTF-8");
    for (const auto& c : cases) {
        TJsonNode root;
        const TJsonNode* node = root.Add(QStringLiteral("n"), c.Number);
        EXPECT_EQ(node->Value(), QString::fromLatin1(c.Text)) << c.Text;
        EXPECT_EQ(node->Kind(), nkNumber);
        // What is written reads back to the same value.
        TJsonNode copy;
        copy.Parse(root.AsJson());
        EXPECT_EQ(copy.Find(QStringLiteral("n"))->AsNumber(), c.Number) << c.Text;
    }
    std::setlocale(LC_NUMERIC, saved.c_str());
    // No literal exists for these; the document must stay readable.
    TJsonNode root;
    root.Add(QStringLiteral("a"), std::nan(""));
    root.Add(QStringLiteral("b"), HUGE_VAL);
    EXPECT_EQ(root.AsJson(), QStringLiteral("{\"a\":null,\"b\":null}"));
}

TEST(JsonNodeBuild, EncodeStringEscapesExactly)
{
    struct TCase {
        QString Text;
        QString Literal;
    };
    const TCase cases[] = {
        {QString(), QStringLiteral("\"\"")},
        {QStringLiteral("a\"b\\c/d"), QStringLiteral("\"a\\\"b\\\\c/d\"")},
        {QStringLiteral("\b\t\n\v\f\r"), QStringLiteral("\"\\b\\t\\n\\v\\f\\r\"")},
        {QStringLiteral("\x01\x1b\x1f "), QStringLiteral("\"\\u0001\\u001B\\u001F \"")},
        {QString(QChar(0)), QStringLiteral("\"\\u0000\"")},
        {QStringLiteral(u"Привет é \U0001F600 \u007f"), QStringLiteral(u"\"Привет é \U0001F600 \u007f\"")},
    };
    for (const auto& c : cases)
        EXPECT_EQ(TJsonNode::EncodeString(c.Text), c.Literal) << qPrintable(c.Literal);
}

TEST(JsonNodeBuild, EveryCharacterSurvivesWriteAndRead)
{
    QString all;
    for (char16_t u = 0; u < 0x180; ++u)
        all += QChar(u);
    all += QStringLiteral(u"\U0001F600Ж");
    TJsonNode root;
    root.Add(all, all);
    TJsonNode copy;
    copy.Parse(root.AsJson());
    ASSERT_EQ(copy.Count(), 1);
    EXPECT_EQ(copy.Child(0)->Name(), all);
    EXPECT_EQ(copy.Child(0)->AsString(), all);
    EXPECT_EQ(copy.AsJson(), root.AsJson());
}

TEST(JsonNodeBuild, DeepTreesBuiltByAddAreWrittenAndFreed)
{
    // Deeper than any parsed document, and deeper than a recursive writer could go.
    auto root = std::make_unique<TJsonNode>();
    TJsonNode* node = root.get();
    const int depth = 200000;
    for (int i = 0; i < depth; ++i)
        node = node->Add(QStringLiteral("a"), nkArray);
    const QString text = root->AsJson();
    EXPECT_EQ(text, QStringLiteral("{\"a\":") + QString(depth, QLatin1Char('[')) + QString(depth, QLatin1Char(']'))
                        + QStringLiteral("}"));
    root.reset();
}

}  // namespace
