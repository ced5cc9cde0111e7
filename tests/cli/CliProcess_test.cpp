// Runs of the built executable: real streams, real exit codes.

#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <gtest/gtest.h>

namespace {

struct TResult {
    int Code = -1;
    QByteArray Out;
    QByteArray Err;
};

TResult RunCli(const QStringList& aArgs, const QByteArray& aStdin = {},
               const QProcessEnvironment& aEnvironment = QProcessEnvironment::systemEnvironment())
{
    QProcess process;
    process.setProcessEnvironment(aEnvironment);
    process.start(QStringLiteral(TOLLMARSH_CLI_PATH), aArgs);
    TResult result;
    if (!process.waitForStarted(10000))
        return result;
    process.write(aStdin);
    process.closeWriteChannel();
    if (!process.waitForFinished(30000)) {
        process.kill();
        process.waitForFinished();
        return result;
    }
    result.Code = process.exitStatus() == QProcess::NormalExit ? process.exitCode() : -2;
    result.Out = process.readAllStandardOutput();
    result.Err = process.readAllStandardError();
    return result;
}

TEST(CliProcess, QueryThroughStandardStreams)
{
    const QByteArray page = "<html><body><p>2</p><p>1</p><p>2</p></body></html>";
    const TResult run = RunCli({"query", "--type", "xpath", "--query", "//p", "--stdin"}, page);
    EXPECT_EQ(run.Code, 0) << run.Err.toStdString();
    EXPECT_EQ(run.Out, "2\n1\n");
    const TResult json = RunCli({"query", "--type", "css", "--query", "p", "--all", "--json", "--stdin"}, page);
    EXPECT_EQ(json.Code, 0);
    EXPECT_EQ(json.Out, "[\"2\",\"1\",\"2\"]\n");
}

TEST(CliProcess, Windows1251FileAndLocaleDecimalSeparator)
{
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    const QString path = dir.filePath("cp1251.html");
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write("<meta http-equiv=\"Content-Type\" content=\"text/html; charset=windows-1251\">"
               "<p>\xEC\xE8\xF0</p><p>\xCC\xC8\xD0</p>");
    file.close();
    const TResult run = RunCli({"query", "--type", "css", "--query", "p", "--all", "--file", path});
    EXPECT_EQ(run.Code, 0) << run.Err.toStdString();
    EXPECT_EQ(QString::fromUtf8(run.Out), QStringLiteral("мир\nМИР\n"));

    // A fractional number is written with the user's decimal separator.
    QProcessEnvironment russian = QProcessEnvironment::systemEnvironment();
    russian.insert("LC_ALL", "ru_RU.UTF-8");
    const TResult number = RunCli({"query", "--type", "xpath", "--query", "count(//p) div 8", "--file", path},
                                  {}, russian);
    EXPECT_EQ(number.Code, 0) << number.Err.toStdString();
    EXPECT_EQ(number.Out, "0,25\n");
}

TEST(CliProcess, ExitCodes)
{
    EXPECT_EQ(RunCli({"query", "--type", "regex", "--query", "(", "--stdin"}, "x").Code, 2);
    EXPECT_EQ(RunCli({"query", "--type", "regex", "--query", "(a+)+$", "--stdin"},
                     QByteArray(40, 'a') + "!b").Code, 1);
    EXPECT_EQ(RunCli({"nonsense"}).Code, 2);
    const TResult help = RunCli({"--help"});
    EXPECT_EQ(help.Code, 0);
    EXPECT_TRUE(help.Out.contains("query"));
}

}  // namespace
