// Reading the XQuery engine's error messages: codes, their kind, tidy texts.

#include "xmlquery/xquery/ErrorText.h"

#include <gtest/gtest.h>

namespace xq::xquery {
namespace {

TEST(XQueryErrorText, FindsTheFirstWholeCode)
{
    const struct {
        const char* message;
        const char* code;
    } cases[] = {
        {"XPST0017: Function foo not registered", "XPST0017"},
        {"1: 1 +\n      ^\n\nError: XPST0003: Failed to parse script.", "XPST0003"},
        {"err:FORG0001 cannot cast", "FORG0001"},
        {"XXPST0003 and XPST00031 are not codes, XPDY0002 is", "XPDY0002"},
        {"Maximum call stack size exceeded.", ""},
        {"XPST000", ""},
        {"", ""},
    };
    for (const auto& c : cases) EXPECT_EQ(FindErrorCode(c.message), c.code) << c.message;
}

TEST(XQueryErrorText, OnlySyntaxAndStaticCodesAreStatic)
{
    for (const char* code : {"XPST0003", "XPST0008", "XPST0017", "XQST0033"}) EXPECT_TRUE(IsStaticErrorCode(code)) << code;
    for (const char* code : {"XPTY0004", "XPDY0002", "FORG0001", "FOER0000", "XQDY0025", "", "XPST"})
        EXPECT_FALSE(IsStaticErrorCode(code)) << code;
}

TEST(XQueryErrorText, TidyMessagePutsTheExplanationFirst)
{
    EXPECT_EQ(TidyErrorMessage("1: //li[\n       ^\n\nError: XPST0003: Failed to parse script. Expected ]\n"),
              "XPST0003: Failed to parse script. Expected ]\n1: //li[\n       ^");
    EXPECT_EQ(TidyErrorMessage("  FORG0001: Cannot cast a to xs:integer  "), "FORG0001: Cannot cast a to xs:integer");
    EXPECT_EQ(TidyErrorMessage("Interrupted"), "Interrupted");

    // A long list of expected tokens is cut at a comma; the excerpt stays whole.
    std::string expected;
    for (int i = 0; i < 60; ++i) expected += (i ? ",token" : "token") + std::to_string(i);
    const std::string excerpt = "\n  at <>:1:5 - 1:6\n1: " + std::string(200, 'x') + "\n" + std::string(203, ' ') + "^";
    const std::string tidy = TidyErrorMessage("XPST0003: Failed to parse script. Expected " + expected + excerpt);
    const std::string firstLine = tidy.substr(0, tidy.find('\n'));
    EXPECT_LE(firstLine.size(), 165u);
    EXPECT_EQ(firstLine.substr(firstLine.size() - 4), ",...");
    EXPECT_EQ(tidy.substr(tidy.find('\n')), excerpt);
}

}  // namespace
}  // namespace xq::xquery
