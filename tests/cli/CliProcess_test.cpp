// Runs of the built executable: real streams, real exit codes.

#include "TestHttpServer.h"

#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <csignal>
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

// Results that cannot be written are an error, not a silent success: standard
// output on a full device or closed, and a report into a device that is full.
TEST(CliProcess, UnwritableOutputGivesAMessageAndExitCode3)
{
    QTemporaryDir dir;
    const QString page = dir.filePath("p.html");
    QFile file(page);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write("<p>one</p>");
    file.close();
    const QString cli = QStringLiteral(TOLLMARSH_CLI_PATH);
    const struct {
        const char* Redirect;
    } cases[] = {{">/dev/full"}, {">&-"}};
    for (const auto& c : cases) {
        QProcess shell;
        shell.start("sh", {"-c", QStringLiteral("\"$0\" query --lang en --type css --query p --file \"$1\" %1")
                                     .arg(QString::fromLatin1(c.Redirect)),
                           cli, page});
        ASSERT_TRUE(shell.waitForFinished(30000));
        EXPECT_EQ(shell.exitCode(), 3) << c.Redirect;
        const QByteArray err = shell.readAllStandardError();
        EXPECT_TRUE(err.contains("cannot write to standard output")) << c.Redirect << ": " << err.toStdString();
    }
}

// Ctrl+C during a run: the report holds the URLs that finished, standard error
// says how many of how many, the exit code is 130.
TEST(CliProcess, InterruptWritesThePartialReport)
{
    TTestHttpServer server;
    server.Respond("/fast", 200, "<h1>Fast</h1>");
    server.Stall("/slow");
    ASSERT_TRUE(server.Start());
    QTemporaryDir dir;
    const QString urls = dir.filePath("urls.txt");
    QFile file(urls);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write(QByteArray::fromStdString(server.Url("/fast") + "\n" + server.Url("/slow") + "\n"
                                         + server.Url("/never") + "\n"));
    file.close();
    const QString out = dir.filePath("report.csv");

    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert("LANGUAGE", "en");
    QProcess process;
    process.setProcessEnvironment(environment);
    process.start(QStringLiteral(TOLLMARSH_CLI_PATH),
                  {"check", "--urls", urls, "--rule", "css,name=H:h1", "--threads", "1", "--out", out});
    ASSERT_TRUE(process.waitForStarted());
    ASSERT_TRUE(server.WaitForRequests(2, 20000));
    ::kill(pid_t(process.processId()), SIGINT);
    ASSERT_TRUE(process.waitForFinished(20000));

    EXPECT_EQ(process.exitCode(), 130);
    const QByteArray err = process.readAllStandardError();
    EXPECT_TRUE(err.contains("holds the 1 of 3 URLs that finished")) << err.toStdString();
    QFile report(out);
    ASSERT_TRUE(report.open(QIODevice::ReadOnly));
    const QList<QByteArray> lines = report.readAll().split('\n');
    ASSERT_EQ(lines.size(), 5);  // header, one row, empty line, footer, end
    EXPECT_EQ(lines[1], QByteArray::fromStdString("1;" + server.Url("/fast") + ";200;1;Fast\r"));
    server.Stop();
}

}  // namespace
