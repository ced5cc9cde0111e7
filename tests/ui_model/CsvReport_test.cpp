#include "ModelFixtures.h"
#include "TestFolder.h"
#include "ui/model/CsvReport.h"
#include "ui/model/ResultsTable.h"

#include <QDir>
#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QProcess>
#include <QTemporaryDir>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <thread>

namespace {

struct CsvReportTest : ::testing::Test {
    TURLTaskInfoList list;
    TResultsTable table{list};
    TTestFolder dir;

    void SetUp() override
    {
        const QString urls[] = {"http://example.com/a", "http://example.com/b;c", "http://example.com/d"};
        for (const QString& url : urls)
            table.AppendRow(list.Add(std::make_unique<TURLTaskInfo>(url, list.Count() + 1)));
        SetResult(*list.At(0), trOk, 0, {{"Цена", "x"}}, {"Цена", "x"});
        SetResult(*list.At(1), trHTTPError, 404);
        SetResult(*list.At(2), trOk, 0, {{"y"}}, {"y", ""});
        table.SetResultColumns({"Title #1", "Title #2"});
    }
    static QByteArray ReadAll(const QString& path)
    {
        QFile f(path);
        return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
    }
};

const char kFooter[] = "Отчет сгенерирован при помощи Tollmarsh ( https://tollmarsh.example/ )";

}  // namespace

TEST_F(CsvReportTest, WritesCaptionsRowsAnEmptyLineAndTheFooterWithCrLf)
{
    const QString expected = QString::fromUtf8(
        "№;URL;Код ответа;Результаты;Title #1;Title #2\r\n"
        "1;http://example.com/a;200;2;Цена;x\r\n"
        "2;\"http://example.com/b;c\";404;;;\r\n"  // a ";" in a URL is quoted
        "3;http://example.com/d;200;1;y;\r\n"
        "\r\n") + QString::fromUtf8(kFooter) + "\r\n";
    EXPECT_EQ(CsvReportText(table), expected);
}

TEST_F(CsvReportTest, RowsFollowTheDisplayOrder)
{
    table.HeaderClick(3);
    table.HeaderClick(3);  // descending by count
    const QStringList lines = CsvReportText(table).split("\r\n");
    ASSERT_GE(lines.size(), 4);
    EXPECT_TRUE(lines[1].startsWith("1;"));
    EXPECT_TRUE(lines[2].startsWith("3;"));
    EXPECT_TRUE(lines[3].startsWith("2;"));
}

TEST_F(CsvReportTest, BytesUseTheCodePageWithoutByteOrderMark)
{
    const TCodePage cp1251("WINDOWS-1251");
    const QByteArray bytes = CsvReportBytes(table, cp1251);
    EXPECT_TRUE(bytes.startsWith("\xB9;URL;"));  // "№" in Windows-1251
    EXPECT_TRUE(bytes.contains("1;http://example.com/a;200;2;\xD6\xE5\xED\xE0;x\r\n"));
    EXPECT_TRUE(bytes.endsWith(" )\r\n"));

    const TCodePage latin("ISO-8859-1");  // cannot hold Cyrillic: replacement characters
    EXPECT_TRUE(CsvReportBytes(table, latin).startsWith("?;URL;"));
}

TEST_F(CsvReportTest, WriteReplacesAnOldReportAndFailsCleanlyOnABadPath)
{
    const TCodePage utf8("UTF-8");
    const QString path = dir.FilePath("scraper-report.csv");
    {
        QFile old(path);
        ASSERT_TRUE(old.open(QIODevice::WriteOnly));
        old.write("old report that is longer than nothing");
    }
    ASSERT_TRUE(WriteCsvReport(path, table, utf8));
    EXPECT_EQ(ReadAll(path), CsvReportBytes(table, utf8));

    EXPECT_FALSE(WriteCsvReport(dir.FilePath("missing/folder/report.csv"), table, utf8));
    EXPECT_FALSE(WriteCsvReport(dir.Path(), table, utf8));  // a folder cannot be replaced
    EXPECT_TRUE(QDir(dir.Path()).exists());
}

// Values that would split a row: each comes back as one field from Python's csv
// module reading the report with ";" as the delimiter.
TEST_F(CsvReportTest, ValuesWithSeparatorsQuotesAndLineBreaksReadBackWhole)
{
    const QStringList values = {QString::fromUtf8("Shoes; boots & \"sandals\""), "\"Best\" shoes, cheap",
                                "first line\nsecond line", "cr\rlf\r\nend", "plain", "\""};
    TURLTaskInfoList tricky;
    TResultsTable trickyTable{tricky};
    trickyTable.AppendRow(tricky.Add(std::make_unique<TURLTaskInfo>("http://example.com/?a=1;b=2", 1)));
    SetResult(*tricky.At(0), trOk, 0, {values}, values);
    QStringList captions;
    for (int i = 1; i <= values.size(); ++i)
        captions << QStringLiteral("Value #%1").arg(i);
    trickyTable.SetResultColumns(captions);
    const QString path = dir.FilePath("tricky.csv");
    ASSERT_TRUE(WriteCsvReport(path, trickyTable, TCodePage("UTF-8")));

    QProcess python;
    python.start("python3", {"-c",
                             "import csv, json, sys\n"
                             "with open(sys.argv[1], newline='', encoding='utf-8') as f:\n"
                             "    print(json.dumps(list(csv.reader(f, delimiter=';'))))\n",
                             path});
    if (!python.waitForStarted())
        GTEST_SKIP() << "python3 is not available";
    ASSERT_TRUE(python.waitForFinished());
    ASSERT_EQ(python.exitCode(), 0) << python.readAllStandardError().toStdString();
    const QJsonArray rows = QJsonDocument::fromJson(python.readAllStandardOutput()).array();
    ASSERT_EQ(rows.size(), 4);  // header, the row, the empty line, the footer
    const QJsonArray header = rows[0].toArray();
    const QJsonArray row = rows[1].toArray();
    ASSERT_EQ(header.size(), 4 + values.size());
    ASSERT_EQ(row.size(), header.size());
    EXPECT_EQ(row[1].toString(), "http://example.com/?a=1;b=2");
    for (int i = 0; i < values.size(); ++i)
        EXPECT_EQ(row[4 + i].toString(), values[i]) << i;
    EXPECT_TRUE(rows[2].toArray().isEmpty());
}

TEST_F(CsvReportTest, OrdinaryFieldsStayUnquotedAndTheMarkIsOnlyForUtf8)
{
    EXPECT_EQ(CsvField("http://example.com/a?x=1&y=2, z"), "http://example.com/a?x=1&y=2, z");
    EXPECT_EQ(CsvField("a;b"), "\"a;b\"");
    EXPECT_EQ(CsvField("say \"hi\""), "\"say \"\"hi\"\"\"");
    EXPECT_EQ(CsvField(""), "");

    EXPECT_EQ(CsvReportBytes(table, TCodePage("UTF-8"), true),
              QByteArray("\xEF\xBB\xBF") + CsvReportBytes(table, TCodePage("UTF-8")));
    EXPECT_EQ(CsvReportBytes(table, TCodePage("WINDOWS-1252"), true), CsvReportBytes(table, TCodePage("WINDOWS-1252")));
}

// A FIFO named as the report is written into, not replaced by a regular file.
TEST_F(CsvReportTest, AFifoIsWrittenToAndStaysAFifo)
{
    const QString fifo = dir.FilePath("report.fifo");
    ASSERT_EQ(mkfifo(QFile::encodeName(fifo).constData(), 0600), 0);
    QByteArray received;
    std::thread reader([&] {
        QFile f(fifo);
        if (f.open(QIODevice::ReadOnly))
            received = f.readAll();
    });
    const QByteArray bytes = CsvReportBytes(table, TCodePage("UTF-8"));
    EXPECT_TRUE(WriteReportFile(fifo, bytes));
    reader.join();
    EXPECT_EQ(received, bytes);
    struct stat info {};
    ASSERT_EQ(stat(QFile::encodeName(fifo).constData(), &info), 0);
    EXPECT_TRUE(S_ISFIFO(info.st_mode));
}
