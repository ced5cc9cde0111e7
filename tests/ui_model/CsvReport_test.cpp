#include "ModelFixtures.h"
#include "TestFolder.h"
#include "ui/model/CsvReport.h"
#include "ui/model/ResultsTable.h"

#include <QDir>
#include <QFile>
#include <gtest/gtest.h>

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
        "2;http://example.com/b;c;404;;;\r\n"  // a ";" in a URL is written unchanged
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
