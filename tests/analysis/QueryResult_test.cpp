#include "analysis/PageAnalysis.h"

#include <QLocale>
#include <gtest/gtest.h>

namespace {

TEST(QueryResult, NumbersInTheGeneralForm)
{
    const struct {
        const char* Token;
        const char* Expected;
    } cases[] = {
        {"1", "1"},
        {"-42", "-42"},
        {"0", "0"},
        {"-0", "0"},
        {"9223372036854775807", "9223372036854775807"},
        {"123456789012345678901234567890", "123456789012345678901234567890"},
        {"2.5", "2,5"},
        {"-2.5", "-2,5"},
        {"1.0", "1"},
        {"2.5e1", "25"},
        {"1e3", "1000"},
        {"0.1", "0,1"},
        {"0.30000000000000004", "0,3"},
        {"3.14159265358979323846", "3,14159265358979"},
        {"123456.789", "123456,789"},
        {"0.0001", "0,0001"},
        {"0.00001", "0,00001"},
        {"0.000015", "0,000015"},
        {"0.0000015", "1,5E-6"},
        {"1.5e-7", "1,5E-7"},
        {"-1e-7", "-1E-7"},
        {"1e20", "1E20"},
        {"1.5e300", "1,5E300"},
        {"12345678901234.5", "12345678901234,5"},
        {"123456789012345.6", "123456789012346"},
        {"1000000000000000.5", "1E15"},
        {"1e400", "1e400"},
    };
    for (const auto& c : cases)
        EXPECT_EQ(FormatResultNumber(QString::fromLatin1(c.Token), QStringLiteral(",")),
                  QString::fromLatin1(c.Expected))
            << c.Token;
    EXPECT_EQ(FormatResultNumber("2.5", "."), "2.5");
    EXPECT_EQ(FormatResultNumber("1.5e-7", "."), "1.5E-7");
}

TEST(QueryResult, ElementsBecomeValues)
{
    const QString point = QLocale::system().decimalPoint();
    const struct {
        const char* Name;
        QString Json;
        bool Unique;
        QStringList Expected;
    } cases[] = {
        {"empty text", "", true, {}},
        {"null", "null", true, {}},
        {"empty array", "[]", true, {}},
        {"mixed elements", R"([1, 2.5, true, "x", null, {}, [], false])", true,
         {"1", "2" + point + "5", "True", "x", "False"}},
        {"strings are decoded and trimmed", R"(["  a\tb \n", "\u041f\u0440\u0438", "\"q\""])", true,
         {"a\tb", QStringLiteral("При"), "\"q\""}},
        {"blank strings are dropped", R"(["", "   ", "\r\n"])", false, {}},
        {"unique ignores case, Cyrillic too", R"(["Мир", "мир", "МИР", "x"])", true,
         {QStringLiteral("Мир"), "x"}},
        {"all keeps every value", R"(["Мир", "мир"])", false,
         {QStringLiteral("Мир"), QStringLiteral("мир")}},
        {"not an array", R"({"a":1})", true, {QStringLiteral("ОШИБКА JSON ответа: не массив")}},
    };
    for (const auto& c : cases) {
        const auto list = ParseQueryResult(c.Json, c.Unique);
        ASSERT_NE(list, nullptr) << c.Name;
        EXPECT_EQ(list->Values(), c.Expected) << c.Name;
    }
}

TEST(QueryResult, MalformedAnswersGiveOneErrorLine)
{
    for (const char* json : {"[\"abc", "[1, 2", "not json", "]"}) {
        const auto list = ParseQueryResult(QString::fromUtf8(json), true);
        ASSERT_NE(list, nullptr) << json;
        ASSERT_EQ(list->Count(), 1) << json;
        EXPECT_TRUE(list->At(0).startsWith(QStringLiteral("ОШИБКА разбора JSON ответа: ")))
            << json << " gave " << list->At(0).toStdString();
        EXPECT_GT(list->At(0).size(), QStringLiteral("ОШИБКА разбора JSON ответа: ").size()) << json;
    }
    const auto truncated = ParseQueryResult(QStringLiteral("[\"abc\", \"de"), false);
    ASSERT_EQ(truncated->Count(), 1);
    EXPECT_TRUE(truncated->At(0).endsWith(QStringLiteral("Error while parsing text")));
    // The error line is kept as it is: no trimming, counted as a value.
    EXPECT_EQ(ParseQueryResult(QStringLiteral("true"), false)->Count(), 1);
}

}  // namespace
