#include "ModelFixtures.h"
#include "RecordingDialogs.h"
#include "TestFolder.h"
#include "ui/model/ResultsTable.h"
#include "ui/model/UrlFilter.h"
#include "ui/model/UrlImport.h"

#include <QFile>
#include <gtest/gtest.h>


namespace {

struct UrlImport : ::testing::Test {
    TTestFolder dir;
    TURLTaskInfoList list;
    TResultsTable table{list};
    RecordingListView view;
    TRecordingDialogs dialogs;
    TUrlImporter importer{list, table, view, dialogs};

    QStringList Warnings() const { return dialogs.Texts(TRecordingDialogs::TKind::Warning); }
    QStringList Informations() const { return dialogs.Texts(TRecordingDialogs::TKind::Information); }

    QString WriteFile(const QString& name, const QByteArray& bytes) { return dir.Write(name, bytes); }
    QStringList URLs() const
    {
        QStringList urls;
        for (int i = 0; i < list.Count(); ++i)
            urls << list.At(i)->URL;
        return urls;
    }
};

struct FilterCase {
    const char* url;
    bool skipped;
};

}  // namespace

TEST(UrlImportFilter, SkipsByScheme_AndByExtensionOfTheWholeText)
{
    const FilterCase cases[] = {
        {"", true},
        {"http://example.com/", false},
        {"HTTPS://EXAMPLE.COM/", false},
        {"httpfoo", false},  // only the first four letters are checked
        {"ftp://example.com/", true},
        {"example.com/page", true},
        {" http://example.com/", true},  // not trimmed
        {"HTTP://EXAMPLE.COM/LOGO.PNG", true},
        {"http://example.com/app.Js", true},
        {"http://example.com/a.jpeg", true},
        {"http://example.com/a.css", true},
        {"http://example.com/favicon.ico", true},
        {"http://example.com/pic.png?size=2", false},  // the query stays part of the extension
        {"http://example.com.png:8080", false},        // a ':' after the last '.' means no extension
        {"http://example.com/a.html", false},
        {"http://example.com/dir\\a.png", true},
        {"http://example.com/dir.png\\a", false},
    };
    for (const FilterCase& c : cases)
        EXPECT_EQ(IsSkippedURL(QString::fromUtf8(c.url)), c.skipped) << c.url;

    // Control characters are no part of an address: libcurl would fetch the text before a NUL.
    const QString controls[] = {
        QString::fromUtf8("http://a.example/\0/evil", 24), QStringLiteral("http://a.example/\t"),
        QStringLiteral("http://a.example/\x01x"), QStringLiteral("http://a.example/\x7F"),
        QStringLiteral("http://a.\x1B.example/"),
    };
    for (const QString& url : controls)
        EXPECT_TRUE(IsSkippedURL(url)) << url.toStdString();
}

TEST_F(UrlImport, TextFile_LinesAtCrLfOrCrLf_DuplicatesFoldAsciiCaseOnly)
{
    const QString path = WriteFile("urls.txt",
        "http://a.example/1\r\nhttp://A.EXAMPLE/1\rhttp://a.example/2\n"
        " http://a.example/3\nhttp://a.example/x.png\n\nhttp://a.example/\xD0\xB6\n"
        "http://a.example/\xD0\x96\n");
    ASSERT_TRUE(importer.ImportTextFile(path, TCodePage("UTF-8")));
    EXPECT_EQ(URLs(), (QStringList{"http://a.example/1", "http://a.example/2",
                                   QString::fromUtf8("http://a.example/ж"),
                                   QString::fromUtf8("http://a.example/Ж")}));
    EXPECT_EQ(Nums(list), (std::vector<int>{1, 2, 3, 4}));
    EXPECT_EQ(table.RowCount(), 4);
    EXPECT_EQ(view.log, QStringList{"Данные загружены"});
}

TEST_F(UrlImport, TextFile_DecodedInTheGivenCodePage_Utf8ByteOrderMarkKeepsTheFirstUrl)
{
    const QString cp1251 = WriteFile("cp1251.txt", "http://a.example/\xE6\xE0\r\n");
    importer.ImportTextFile(cp1251, TCodePage("WINDOWS-1251"));
    EXPECT_EQ(URLs(), QStringList{QString::fromUtf8("http://a.example/жа")});

    const QString bom = WriteFile("bom.txt", "\xEF\xBB\xBFhttp://a.example/1\nhttp://a.example/2\n");
    importer.ImportTextFile(bom, TCodePage("UTF-8"));
    // the mark is not part of the first URL, so that URL is not lost
    EXPECT_EQ(URLs(), (QStringList{"http://a.example/1", "http://a.example/2"}));
}

TEST_F(UrlImport, MissingTextFile_WarnsAndChangesNothing)
{
    list.Add(std::make_unique<TURLTaskInfo>("http://kept.example/", 1));
    EXPECT_FALSE(importer.ImportTextFile(dir.FilePath("nope.txt"), TCodePage("UTF-8")));
    EXPECT_EQ(Warnings(), QStringList{"Файл с данными для импорта не найден!"});
    EXPECT_EQ(list.Count(), 1);
    EXPECT_TRUE(view.log.isEmpty());
}

TEST_F(UrlImport, LimitOf5000_StopsTheImportWithOneMessage)
{
    QByteArray text;
    for (int i = 0; i < 6000; ++i)
        text += "http://a.example/" + QByteArray::number(i) + "\n";
    importer.ImportTextFile(WriteFile("many.txt", text), TCodePage("UTF-8"));
    EXPECT_EQ(list.Count(), 5000);
    EXPECT_EQ(list.At(4999)->Num, 5000);
    EXPECT_EQ(Informations(), QStringList{"Ограничение: не более 5 000 URL"});
    EXPECT_EQ(view.log, QStringList{"Данные загружены"});
    EXPECT_EQ(URLsCaption(&list), " Список URL (5000) ");
}

TEST_F(UrlImport, TextFile_LineWithANulIsSkipped_LongLinesAcrossBlocksStayWhole)
{
    QByteArray text("http://a.example/1\0http://evil.example/\n", 40);
    // An address beyond the first read block, and CR LF split between two blocks.
    text += "http://a.example/2\n" + QByteArray(1024 * 1024 - text.size() - 20 - 1, ' ') + "\r\nhttp://a.example/"
            + QByteArray(3000, 'x') + "\r\n";
    // A line beyond any address's length is dropped, the next line stays.
    text += "http://a.example/" + QByteArray(3 * 1024 * 1024, 'y') + "\nhttp://a.example/4";
    ASSERT_TRUE(importer.ImportTextFile(WriteFile("urls.txt", text), TCodePage("UTF-8")));
    EXPECT_EQ(URLs(), (QStringList{"http://a.example/2", "http://a.example/" + QString(3000, 'x'),
                                   "http://a.example/4"}));
}

// The import stops reading once the list is full: 6 000 lines and then 8 GB
// of (sparse) zeros that an import reading the whole file would have to hold.
TEST_F(UrlImport, TextFile_ReadingStopsAtTheLimit)
{
    QByteArray text;
    for (int i = 0; i < 6000; ++i)
        text += "http://a.example/" + QByteArray::number(i) + "\n";
    const QString path = WriteFile("huge.txt", text);
    QFile file(path);
    if (!file.resize(qint64(8) * 1024 * 1024 * 1024))
        GTEST_SKIP() << "no sparse file here";
    file.close();
    importer.ImportTextFile(path, TCodePage("UTF-8"));
    EXPECT_EQ(list.Count(), 5000);
    EXPECT_EQ(Informations(), QStringList{"Ограничение: не более 5 000 URL"});
}

TEST_F(UrlImport, KeepOnImport_ContinuesNumberingAndDropsResults)
{
    for (int i = 1; i <= 10; ++i) {
        TURLTaskInfo* e = list.Add(std::make_unique<TURLTaskInfo>(QString("http://old.example/%1").arg(i), i));
        table.AppendRow(e);
        SetResult(*e, trOk, 0, {{"v"}});
    }
    importer.KeepOnImport = true;
    importer.ImportClipboardText("http://new.example/1\nhttp://new.example/2\r\nhttp://new.example/3");
    ASSERT_EQ(list.Count(), 13);
    EXPECT_EQ(list.At(10)->Num, 11);
    EXPECT_EQ(list.At(12)->Num, 13);
    for (int i = 0; i < 13; ++i) {
        EXPECT_FALSE(list.At(i)->TaskResults) << i;
        EXPECT_EQ(table.CellText(i, 2), "");
    }

    importer.KeepOnImport = false;
    importer.ImportClipboardText("http://other.example/");
    EXPECT_EQ(URLs(), QStringList{"http://other.example/"});
    EXPECT_EQ(table.RowCount(), 1);
}

TEST_F(UrlImport, Clipboard_TrimsControlsAndSpaces_EmptyTextDoesNothing)
{
    EXPECT_FALSE(importer.ImportClipboardText(""));
    EXPECT_TRUE(view.log.isEmpty());
    importer.ImportClipboardText("\t http://a.example/1 \r\n\x01http://a.example/2\x7F\nhttp://a.example/3");
    // U+007F is above the space and stays, so the second line holds a control character.
    EXPECT_EQ(URLs(), (QStringList{"http://a.example/1", "http://a.example/3"}));
    EXPECT_EQ(view.log, QStringList{"Данные вставлены из буфера обмена"});
}

TEST_F(UrlImport, Sitemaps_WithAndWithoutNamespace)
{
    const QByteArray withNs =
        "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n"
        "<urlset xmlns=\"http://www.sitemaps.org/schemas/sitemap/0.9\">\n"
        "  <url><loc>http://a.example/1</loc></url>\n"
        "  <!-- a comment -->\n"
        "  <url><lastmod>2020-01-01</lastmod></url>\n"
        "  <url><loc>http://a.example/logo.png</loc></url>\n"
        "  <url><loc><![CDATA[http://a.example/2]]></loc></url>\n"
        "</urlset>\n";
    ASSERT_TRUE(importer.ImportSitemap(WriteFile("sitemap.xml", withNs)));
    EXPECT_EQ(URLs(), (QStringList{"http://a.example/1", "http://a.example/2"}));
    EXPECT_EQ(view.progressSteps, 3);  // the two taken and the skipped image
    EXPECT_GT(view.progressMaximum, 4);
    EXPECT_TRUE(view.progressHidden);

    // Pretty-printed: white space around the address is not part of it.
    const QByteArray pretty =
        "<urlset>\n  <url>\n    <loc>\n      http://c.example/1\n    </loc>\n  </url>\n"
        "  <url><loc> http://c.example/2</loc></url>\n"
        "  <url><loc>\thttp://c.example/3\r\n</loc><loc>http://c.example/second-loc</loc></url>\n</urlset>";
    importer.ImportSitemap(WriteFile("pretty.xml", pretty));
    EXPECT_EQ(URLs(), (QStringList{"http://c.example/1", "http://c.example/2", "http://c.example/3"}));

    const QByteArray plain = "<urlset><url><loc>http://b.example/</loc></url></urlset>";
    importer.ImportSitemap(WriteFile("plain.xml", plain));
    EXPECT_EQ(URLs(), QStringList{"http://b.example/"});
}

TEST_F(UrlImport, Sitemap_ExternalEntityIsNeverRead)
{
    const QString secret = WriteFile("secret.txt", "http://secret.example/");
    const QByteArray xxe =
        "<?xml version=\"1.0\"?>\n"
        "<!DOCTYPE urlset [ <!ENTITY xxe SYSTEM \"file://" + secret.toUtf8() + "\"> ]>\n"
        "<urlset><url><loc>&xxe;</loc></url><url><loc>http://a.example/&xxe;</loc></url></urlset>\n";
    importer.ImportSitemap(WriteFile("sitemap.xml", xxe));
    EXPECT_EQ(URLs(), QStringList{"http://a.example/"});
    EXPECT_TRUE(Warnings().isEmpty());
}

TEST_F(UrlImport, Sitemap_Failures)
{
    list.Add(std::make_unique<TURLTaskInfo>("http://kept.example/", 1));
    EXPECT_FALSE(importer.ImportSitemap(WriteFile("bad.xml", "<urlset><url>")));
    ASSERT_EQ(Warnings().size(), 1);
    EXPECT_TRUE(Warnings()[0].startsWith("Ошибка при разборе файла: ")) << Warnings()[0].toStdString();
    EXPECT_GT(Warnings()[0].size(), QString("Ошибка при разборе файла: ").size());
    EXPECT_EQ(list.Count(), 1);  // a file that does not parse changes nothing

    dialogs.Clear();
    EXPECT_FALSE(importer.ImportSitemap(WriteFile("other.xml", "<sitemapindex/>")));
    EXPECT_EQ(Warnings(), QStringList{"Файл данных имеет неприемлимый формат (нет тега \"urlset\")"});
    EXPECT_EQ(list.Count(), 0);  // the preparation has already emptied the list
    EXPECT_TRUE(view.log.isEmpty());

    importer.ImportSitemap(WriteFile("noloc.xml", "<urlset><url><lastmod/></url></urlset>"));
    EXPECT_EQ(list.Count(), 0);
    EXPECT_EQ(view.log, QStringList{"Данные загружены"});
}

TEST(UrlImportCaption, CountOrPlain)
{
    TURLTaskInfoList list;
    EXPECT_EQ(URLsCaption(nullptr), " Список URL ");
    EXPECT_EQ(URLsCaption(&list), " Список URL ");
    list.Add(std::make_unique<TURLTaskInfo>("http://a.example/", 1));
    EXPECT_EQ(URLsCaption(&list), " Список URL (1) ");
}
