#include "json/JsonNode.h"

#include <gtest/gtest.h>

#include <clocale>

namespace {

const QString kRootError = QStringLiteral("Root node must be an array or object");
const QString kSyntaxError = QStringLiteral("Error while parsing text");

// The message of the exception Parse raises, or an empty text when it succeeds.
QString ParseError(TJsonNode& aRoot, const QString& aText)
{
    try {
        aRoot.Parse(aText);
    } catch (const EJsonException& e) {
        return e.Message();
    }
    return QString();
}

QString Nested(int aDepth)
{
    return QString(aDepth, QLatin1Char('[')) + QString(aDepth, QLatin1Char(']'));
}

struct TValidCase {
    const char* Text;
    const char* Compact;
};

TEST(JsonNodeParse, ValidDocumentsGiveTheirCompactText)
{
    const TValidCase cases[] = {
        {"[]", "[]"},
        {"{}", "{}"},
        {" \t\r\n[ 1 , 2 , ] ", "[1,2]"},
        {"{\"a\":1,}", "{\"a\":1}"},
        {"[007, -0.5e+3, 1E2, 2.50]", "[007,-0.5e+3,1E2,2.50]"},
        {"[null,true,false]", "[null,true,false]"},
        {"{\"a\":{\"b\":[{},[]]}}", "{\"a\":{\"b\":[{},[]]}}"},
        {"[\"x\\/y\\u00e9\"]", "[\"x\\/y\\u00e9\"]"},  // literals are kept as written
        {"{\"a\\u0062\":1}", "{\"ab\":1}"},             // names are held decoded
        {"[\"tab\there\"]", "[\"tab\there\"]"},       // raw tab inside a string
        {"\x01\x02[1]\x1f", "[1]"},                    // every U+0001..U+0020 is white space
        {"{\"a\":1,\"b\":2,\"a\":3}", "{\"a\":3,\"b\":2}"},
    };
    for (const auto& c : cases) {
        TJsonNode root;
        EXPECT_EQ(ParseError(root, QString::fromUtf8(c.Text)), QString()) << c.Text;
        EXPECT_EQ(root.AsJson(), QString::fromUtf8(c.Compact)) << c.Text;
    }
}

struct TInvalidCase {
    QString Text;
    QString Message;
};

TEST(JsonNodeParse, InvalidDocumentsRaiseTheirMessage)
{
    const TInvalidCase cases[] = {
        {"", kRootError},
        {"   ", kRootError},
        {"\"abc\"", kRootError},
        {"5", kRootError},
        {"null", kRootError},
        {"]", kRootError},
        {QString(QChar(0)) + "[]", kRootError},  // NUL is not white space
        {"[1] x", kSyntaxError},
        {"[1][2]", kSyntaxError},
        {"[01.]", kSyntaxError},
        {"[-]", kSyntaxError},
        {"[1e]", kSyntaxError},
        {"[1e+]", kSyntaxError},
        {"[.5]", kSyntaxError},
        {"[+1]", kSyntaxError},
        {"[nul]", kSyntaxError},
        {"[True]", kSyntaxError},
        {"[1 2]", kSyntaxError},
        {"[,]", kSyntaxError},
        {"[1,,]", kSyntaxError},
        {"{,}", kSyntaxError},
        {"{\"a\"}", kSyntaxError},
        {"{\"a\" 1}", kSyntaxError},
        {"{1:2}", kSyntaxError},
        {"{\"a\":1 \"b\":2}", kSyntaxError},
        {"[1}", kSyntaxError},
        {"{\"a\":1]", kSyntaxError},
        {"[", kSyntaxError},
        {"[1,", kSyntaxError},
        {"[\"abc", kSyntaxError},
        {"[\"a\nb\"]", kSyntaxError},
        {"[\"a\rb\"]", kSyntaxError},
        {QString("[\"a") + QChar(0) + "b\"]", kSyntaxError},
        {"[\"a\\\nb\"]", kSyntaxError},
        {"[\"\\u12G4\"]", kSyntaxError},
        {"[\"\\u12\"]", kSyntaxError},
        {"[\"\\", kSyntaxError},
        {"[1]" + QString(QChar(0)), kSyntaxError},
    };
    for (const auto& c : cases) {
        TJsonNode root;
        EXPECT_EQ(ParseError(root, c.Text), c.Message) << qPrintable(c.Text);
        EXPECT_EQ(root.Count(), 0) << qPrintable(c.Text);
    }
}

TEST(JsonNodeParse, FailedParseLeavesNoChildren)
{
    TJsonNode root;
    root.Parse(QStringLiteral("[1,2,3]"));
    ASSERT_EQ(root.Count(), 3);
    EXPECT_EQ(ParseError(root, QStringLiteral("[4,5,")), kSyntaxError);
    EXPECT_EQ(root.Count(), 0);
    EXPECT_EQ(root.AsJson(), QStringLiteral("{}"));
    root.Parse(QStringLiteral("{\"k\":[true]}"));
    EXPECT_EQ(root.Find(QStringLiteral("k/0"))->AsBoolean(), true);
}

TEST(JsonNodeParse, DepthLimitIsAThousandContainers)
{
    TJsonNode root;
    EXPECT_EQ(ParseError(root, Nested(1000)), QString());
    EXPECT_EQ(root.AsJson(), Nested(1000));
    EXPECT_EQ(ParseError(root, Nested(1001)), kSyntaxError);
    EXPECT_EQ(root.Count(), 0);
    // Depth counts open containers, not how many were seen.
    EXPECT_EQ(ParseError(root, "[" + Nested(999) + "," + Nested(999) + "]"), QString());
}

TEST(JsonNodeParse, RepeatedMemberReplacesTheEarlierInPlace)
{
    TJsonNode root;
    root.Parse(QStringLiteral("{\"a\":{\"x\":[1,2]},\"b\":true,\"a\":2}"));
    ASSERT_EQ(root.Count(), 2);
    EXPECT_EQ(root.Child(0)->Name(), QStringLiteral("a"));
    EXPECT_EQ(root.Child(0)->Kind(), nkNumber);
    EXPECT_EQ(root.Child(0)->AsNumber(), 2.0);
    EXPECT_EQ(root.Child(0)->Count(), 0);
    EXPECT_EQ(root.Child(0)->Parent(), &root);
    EXPECT_EQ(root.Child(1)->Name(), QStringLiteral("b"));
    // Names are compared decoded and case-sensitively.
    root.Parse(QStringLiteral("{\"a\":1,\"\\u0061\":2,\"A\":3}"));
    EXPECT_EQ(root.AsJson(), QStringLiteral("{\"a\":2,\"A\":3}"));
}

TEST(JsonNodeParse, NodesCarryKindNameAndValueAsWritten)
{
    TJsonNode root;
    root.Parse(QStringLiteral("{\"n\":-1.50,\"s\":\"a\\tb\",\"z\":null,\"l\":[false,{}]}"));
    const TJsonNode* n = root.Find(QStringLiteral("n"));
    EXPECT_EQ(n->Kind(), nkNumber);
    EXPECT_EQ(n->Value(), QStringLiteral("-1.50"));
    EXPECT_EQ(n->AsNumber(), -1.5);
    const TJsonNode* s = root.Find(QStringLiteral("s"));
    EXPECT_EQ(s->Kind(), nkString);
    EXPECT_EQ(s->Value(), QStringLiteral("\"a\\tb\""));
    EXPECT_EQ(s->AsString(), QStringLiteral("a\tb"));
    EXPECT_EQ(root.Find(QStringLiteral("z"))->Kind(), nkNull);
    const TJsonNode* l = root.Find(QStringLiteral("l"));
    EXPECT_EQ(l->Kind(), nkArray);
    EXPECT_EQ(l->Value(), QString());
    EXPECT_EQ(l->Child(0)->Name(), QStringLiteral("0"));
    EXPECT_EQ(l->Child(1)->Name(), QStringLiteral("1"));
    EXPECT_EQ(l->Child(1)->Kind(), nkObject);
    EXPECT_EQ(l->Child(0)->Kind(), nkBool);
    EXPECT_FALSE(l->Child(0)->AsBoolean());
}

struct TStringCase {
    const char* Literal;
    QString Text;
};

TEST(JsonNodeParse, StringLiteralsDecode)
{
    const TStringCase cases[] = {
        {"\"\\u00e9\\t\\/\"", QStringLiteral(u"\u00e9\t/")},
        {"\"\\\"\\\\\\b\\f\\n\\r\\v\"", QStringLiteral(u"\"\\\b\f\n\r\v")},
        {"\"\\q\"", QStringLiteral("q")},  // any other escaped character stands for itself
        {"\"\\u0000\"", QString(QChar(0))},
        {"\"\\uD83D\\uDE00\"", QStringLiteral(u"\U0001F600")},
        {"\"\\u041F\\u0440\"", QStringLiteral(u"Пр")},
        {"\"Привет\"", QStringLiteral(u"Привет")},
        {"\"\"", QString()},
    };
    for (const auto& c : cases) {
        TJsonNode root;
        root.Parse(QStringLiteral("[") + QString::fromUtf8(c.Literal) + QStringLiteral("]"));
        EXPECT_EQ(root.Child(0)->AsString(), c.Text) << c.Literal;
        EXPECT_EQ(TJsonNode::DecodeString(QString::fromUtf8(c.Literal)), c.Text) << c.Literal;
    }
}

TEST(JsonNodeParse, ReadersGiveEmptyOrZeroForOtherKinds)
{
    TJsonNode root;
    root.Parse(QStringLiteral("[1,\"2\",true,null,[],{}]"));
    EXPECT_EQ(root.Child(0)->AsString(), QString());
    EXPECT_EQ(root.Child(1)->AsNumber(), 0.0);
    EXPECT_FALSE(root.Child(1)->AsBoolean());
    EXPECT_TRUE(root.Child(2)->AsBoolean());
    EXPECT_FALSE(root.Child(0)->AsBoolean());
    EXPECT_EQ(root.Child(3)->AsNumber(), 0.0);
    EXPECT_EQ(root.Child(4)->AsString(), QString());
}

TEST(JsonNodeParse, NumbersReadWithAPointInAnyLocale)
{
    TJsonNode root;
    root.Parse(QStringLiteral("[2.5,007,-1e3,1e999,-1e999,1e-999]"));
    const char* previous = std::setlocale(LC_NUMERIC, nullptr);
    const std::string saved = previous ? previous : "C";
    // A comma locale is rarely generated; C.UTF-8 at least changes the name.
    for (const char* locale : {"de_DE.UTF-8", "ru_RU.UTF-8", "C.UTF-8"}) {
        std::setlocale(LC_NUMERIC, locale);
        EXPECT_EQ(root.Child(0)->AsNumber(), 2.5);
        EXPECT_EQ(root.Child(1)->AsNumber(), 7.0);
        EXPECT_EQ(root.Child(2)->AsNumber(), -1000.0);
    }
    std::setlocale(LC_NUMERIC, saved.c_str());
    EXPECT_EQ(root.Child(3)->AsNumber(), std::numeric_limits<double>::infinity());
    EXPECT_EQ(root.Child(4)->AsNumber(), -std::numeric_limits<double>::infinity());
    EXPECT_EQ(root.Child(5)->AsNumber(), 0.0);
}

TEST(JsonNodeWalk, ChildRaisesItsTwoMessages)
{
    TJsonNode root;
    root.Parse(QStringLiteral("{\"v\":1,\"a\":[]}"));
    auto message = [](auto call) {
        try {
            call();
        } catch (const EJsonException& e) {
            return e.Message();
        }
        return QString();
    };
    EXPECT_EQ(message([&] { root.Find("v")->Child(0); }), QStringLiteral("Node is not a container"));
    EXPECT_EQ(message([&] { root.Find("a")->Child(0); }), QStringLiteral("Index out of bounds"));
    EXPECT_EQ(message([&] { root.Child(2); }), QStringLiteral("Index out of bounds"));
    EXPECT_EQ(message([&] { root.Child(-1); }), QStringLiteral("Index out of bounds"));
    TJsonNode empty;
    EXPECT_EQ(message([&] { empty.Child(0); }), QStringLiteral("Index out of bounds"));
    EXPECT_STREQ(EJsonException(QStringLiteral(u"Ошибка")).what(), "Ошибка");
}

TEST(JsonNodeWalk, FindFollowsPaths)
{
    TJsonNode root;
    root.Parse(QStringLiteral("{\"a\":{\"b\":[10,{\"c\":\"x\"}]},\"\":5,\"A\":1}"));
    const TJsonNode* c = root.Find(QStringLiteral("a/b/1/c"));
    ASSERT_NE(c, nullptr);
    EXPECT_EQ(c->AsString(), QStringLiteral("x"));
    EXPECT_EQ(root.Find(QStringLiteral("a/b/0"))->AsNumber(), 10.0);
    EXPECT_EQ(root.Find(QStringLiteral("a/b/01")), root.Find(QStringLiteral("a/b/1")));  // a decimal index
    EXPECT_EQ(root.Find(QStringLiteral("A"))->AsNumber(), 1.0);
    EXPECT_EQ(root.Find(QStringLiteral("a/b"))->Find(QStringLiteral("/a/b/0")), root.Find("a/b/0"));
    EXPECT_EQ(root.Find(QStringLiteral("/")), &root);
    const char* missing[] = {"x", "a/x", "a/b/2", "a/b/-1", "a/b/c", "a/b/0/x", "a/b/1/c/x", "a/", "a/b/ 1"};
    for (const char* path : missing)
        EXPECT_EQ(root.Find(QString::fromUtf8(path)), nullptr) << path;
}

}  // namespace
