#include "cli/CliArgs.h"
#include "cli/CliCommand.h"

#include <QBuffer>
#include <gtest/gtest.h>

namespace {

const std::vector<TCliOption> kOptions = {
    {"query", "TEXT", "the query"},
    {"json", nullptr, "print JSON"},
};

TEST(CliArgs, ParsesValuesAndFlags)
{
    const TCliArgs args({"--query", "--not-an-option", "--json"}, kOptions);
    ASSERT_TRUE(args.Ok()) << args.Error().toStdString();
    // A value may start with dashes: it is taken as the option's value.
    EXPECT_EQ(args.Value("query"), "--not-an-option");
    EXPECT_TRUE(args.Has("json"));
    EXPECT_FALSE(args.HelpRequested());

    const TCliArgs inlineValue({"--query=a=b", "--help"}, kOptions);
    ASSERT_TRUE(inlineValue.Ok());
    EXPECT_EQ(inlineValue.Value("query"), "a=b");
    EXPECT_TRUE(inlineValue.HelpRequested());

    const TCliArgs emptyValue({"--query="}, kOptions);
    ASSERT_TRUE(emptyValue.Ok());
    EXPECT_TRUE(emptyValue.Has("query"));
    EXPECT_EQ(emptyValue.Value("query"), "");
}

TEST(CliArgs, RefusesBadUsage)
{
    const struct {
        QStringList Args;
        const char* ErrorPart;
    } cases[] = {
        {{"--nope"}, "unknown option --nope"},
        {{"--query"}, "needs a value"},
        {{"--json", "--json"}, "more than once"},
        {{"--json=yes"}, "takes no value"},
        {{"stray"}, "unexpected argument \"stray\""},
        {{"--"}, "unexpected argument"},
        {{"-q", "x"}, "unexpected argument \"-q\""},
    };
    for (const auto& c : cases) {
        const TCliArgs args(c.Args, kOptions);
        EXPECT_FALSE(args.Ok()) << c.Args.join(' ').toStdString();
        EXPECT_TRUE(args.Error().contains(QLatin1String(c.ErrorPart)))
            << c.Args.join(' ').toStdString() << ": " << args.Error().toStdString();
    }
}

TEST(CliArgs, HelpListsEveryOption)
{
    const QString help = TCliArgs::OptionsHelp(kOptions);
    EXPECT_TRUE(help.contains("--query TEXT  the query"));
    EXPECT_TRUE(help.contains("--json        print JSON"));
    EXPECT_TRUE(help.contains("--help"));
}

int g_calls = 0;
QStringList g_lastArgs;
int FakeCommand(const QStringList& aArgs, TCliIo&)
{
    ++g_calls;
    g_lastArgs = aArgs;
    return 7;
}

TEST(CliDispatch, RunsTheNamedCommand)
{
    const TCliCommand commands[] = {{"fake", "a fake command", FakeCommand}};
    QBuffer in, out, err;
    in.open(QIODevice::ReadOnly);
    out.open(QIODevice::WriteOnly);
    err.open(QIODevice::WriteOnly);
    TCliIo io{in, out, err};

    g_calls = 0;
    EXPECT_EQ(RunCli({"fake", "--x", "1"}, commands, io), 7);
    EXPECT_EQ(g_lastArgs, (QStringList{"--x", "1"}));
    EXPECT_EQ(RunCli({"help", "fake"}, commands, io), 7);
    EXPECT_EQ(g_lastArgs, QStringList{"--help"});
    EXPECT_EQ(g_calls, 2);

    EXPECT_EQ(RunCli({"--help"}, commands, io), ecOk);
    EXPECT_TRUE(out.data().contains("fake  a fake command"));
    EXPECT_EQ(RunCli({"other"}, commands, io), ecUsage);
    EXPECT_TRUE(err.data().contains("unknown command \"other\""));
    EXPECT_EQ(RunCli({}, commands, io), ecUsage);
    EXPECT_EQ(g_calls, 2);
}

}  // namespace

// A mistyped option is answered with the nearest known one; repeatable options keep every value.
TEST(CliArgs, SuggestsTheNearestOptionAndKeepsRepeatedValues)
{
    const std::vector<TCliOption> options = {
        {"urls", "FILE", "urls"}, {"rules", "FILE", "rules"}, {"rule", "RULE", "rule", true}, {"quiet", nullptr, "q"}};
    const struct {
        QStringList Args;
        const char* Said;
    } cases[] = {
        {{"--url", "x"}, "unknown option --url; did you mean --urls?"},
        {{"--quite"}, "did you mean --quiet?"},
        {{"--rulez", "x"}, "did you mean --rules?"},
        {{"-urls", "x"}, "options start with two dashes: --urls"},
        {{"--colour"}, "unknown option --colour"},
    };
    for (const auto& c : cases) {
        const TCliArgs args(c.Args, options);
        EXPECT_FALSE(args.Ok());
        EXPECT_TRUE(args.Error().contains(QString::fromUtf8(c.Said))) << args.Error().toStdString();
    }
    EXPECT_FALSE(TCliArgs({"--colour"}, options).Error().contains("did you mean"));
    const TCliArgs repeated({"--rule", "a", "--rule=b"}, options);
    ASSERT_TRUE(repeated.Ok());
    EXPECT_EQ(repeated.Values("rule"), QStringList({"a", "b"}));
    EXPECT_FALSE(TCliArgs({"--urls", "a", "--urls", "b"}, options).Ok());
}
