#include "sandbox/AnalysisRequest.h"

#include <gtest/gtest.h>

TEST(SandboxRequest, RequestAndOutcomeSurviveTheirEncoding)
{
    TAnalysisRequest request;
    request.Form = pfText;
    request.Body = QByteArray("a\0b\xFF", 4);
    request.ContentType = QStringLiteral("text/html; charset=windows-1251");
    request.Text = QStringLiteral("Привет, мир");
    request.ChkUnique = false;
    request.RuleBudgetMs = 1234;
    TScrapRule rule;
    rule.Name = QStringLiteral("Заголовок");
    rule.QueryType = qtCssPath;
    rule.Query = QStringLiteral("a[href]");
    rule.Attribute = QStringLiteral("href");
    rule.ExtractType = etInnerHTML;
    request.Rules = {rule, TScrapRule()};

    const std::optional<TAnalysisRequest> back = DecodeRequest(EncodeRequest(request));
    ASSERT_TRUE(back);
    EXPECT_EQ(back->Form, pfText);
    EXPECT_EQ(back->Body, request.Body);
    EXPECT_EQ(back->ContentType, request.ContentType);
    EXPECT_EQ(back->Text, request.Text);
    EXPECT_FALSE(back->ChkUnique);
    EXPECT_EQ(back->RuleBudgetMs, 1234);
    ASSERT_EQ(back->Rules.size(), 2u);
    EXPECT_EQ(back->Rules[0].Name, rule.Name);
    EXPECT_EQ(back->Rules[0].QueryType, qtCssPath);
    EXPECT_EQ(back->Rules[0].Query, rule.Query);
    EXPECT_EQ(back->Rules[0].Attribute, rule.Attribute);
    EXPECT_EQ(back->Rules[0].ExtractType, etInnerHTML);

    TRuleOutcome outcome;
    outcome.Applied = true;
    outcome.HasList = true;
    outcome.Values = {QStringLiteral("один"), QString(), QStringLiteral("x\r\ny")};
    outcome.LibraryStatus = 7;
    const std::optional<TRuleOutcome> outcomeBack = DecodeOutcome(EncodeOutcome(outcome));
    ASSERT_TRUE(outcomeBack);
    EXPECT_TRUE(outcomeBack->Applied);
    EXPECT_TRUE(outcomeBack->HasList);
    EXPECT_EQ(outcomeBack->Values, outcome.Values);
    EXPECT_EQ(outcomeBack->LibraryStatus, 7);
}

TEST(SandboxRequest, TruncatedOrForeignBytesAreRefused)
{
    TAnalysisRequest request;
    request.Rules.resize(3);
    const QByteArray bytes = EncodeRequest(request);
    for (const qsizetype cut : {qsizetype(0), qsizetype(3), bytes.size() / 2, bytes.size() - 1})
        EXPECT_FALSE(DecodeRequest(bytes.left(cut))) << cut;
    EXPECT_FALSE(DecodeRequest(QByteArray(64, '\x7F')));
    EXPECT_FALSE(DecodeOutcome(EncodeOutcome(TRuleOutcome()).left(3)));
}
