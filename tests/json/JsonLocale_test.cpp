#include "json/JsonNode.h"

#include <QProcess>
#include <QTemporaryDir>
#include <gtest/gtest.h>

#include <clocale>
#include <cstdlib>

namespace {

// A locale whose decimal separator is a comma, compiled into a temporary folder
// (build machines rarely have one generated).
class CommaLocale : public ::testing::Test {
protected:
    QTemporaryDir FDir;
    bool FActive = false;

    void SetUp() override
    {
        const int rc = QProcess::execute(QStringLiteral("localedef"),
                                         {QStringLiteral("-i"), QStringLiteral("de_DE"), QStringLiteral("-f"),
                                          QStringLiteral("UTF-8"), FDir.filePath(QStringLiteral("de_DE.UTF-8"))});
        if (rc != 0)
            GTEST_SKIP() << "localedef cannot build de_DE.UTF-8 here";
        setenv("LOCPATH", FDir.path().toLocal8Bit().constData(), 1);
        FActive = std::setlocale(LC_NUMERIC, "de_DE.UTF-8") != nullptr;
        if (!FActive)
            GTEST_SKIP() << "the compiled locale does not load";
    }
    void TearDown() override
    {
        std::setlocale(LC_NUMERIC, "C");
        unsetenv("LOCPATH");
    }
};

TEST_F(CommaLocale, NumbersAreReadAndWrittenWithAPoint)
{
    ASSERT_EQ(std::strtod("2,5", nullptr), 2.5) << "the comma locale is active";

    TJsonNode root;
    root.Parse(QStringLiteral("[2.5,-0.125,1e-3,007]"));
    EXPECT_EQ(root.Child(0)->AsNumber(), 2.5);
    EXPECT_EQ(root.Child(1)->AsNumber(), -0.125);
    EXPECT_EQ(root.Child(2)->AsNumber(), 0.001);
    EXPECT_EQ(root.Child(3)->AsNumber(), 7.0);

    TJsonNode built;
    built.Add(QStringLiteral("a"), 2.5);
    built.Add(QStringLiteral("b"), -1.0);
    built.Add(QStringLiteral("c"), 1234567.0);
    EXPECT_EQ(built.AsJson(), QStringLiteral(R"({"a":2.5,"b":-1,"c":1234567})"));
}

}  // namespace
