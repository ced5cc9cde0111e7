#include "GzipBytes.h"
#include "ModelFixtures.h"
#include "RecordingDialogs.h"
#include "ui/model/Gunzip.h"
#include "ui/model/ResultsTable.h"
#include "ui/model/SitemapImport.h"
#include "ui/model/UrlImport.h"

#include <QFile>
#include <QMap>
#include <QTemporaryDir>
#include <gtest/gtest.h>

namespace {

QByteArray UrlSet(const QStringList& aUrls)
{
    QByteArray xml = "<?xml version=\"1.0\"?><urlset xmlns=\"http://www.sitemaps.org/schemas/sitemap/0.9\">";
    for (const QString& url : aUrls)
        xml += "<url><loc>" + url.toUtf8() + "</loc></url>";
    return xml + "</urlset>";
}

QByteArray Index(const QStringList& aSitemaps)
{
    QByteArray xml = "<sitemapindex xmlns=\"http://www.sitemaps.org/schemas/sitemap/0.9\">";
    for (const QString& url : aSitemaps)
        xml += "<sitemap><loc>" + url.toUtf8() + "</loc></sitemap>";
    return xml + "</sitemapindex>";
}

struct SitemapImport : ::testing::Test {
    QTemporaryDir dir;
    TURLTaskInfoList list;
    TResultsTable table{list};
    RecordingListView view;
    TRecordingDialogs dialogs;
    TUrlImporter importer{list, table, view, dialogs};
    QMap<QString, QByteArray> served;  // address -> body; others fail with "HTTP status 404"
    QStringList fetched;

    TSitemapFetch Fetch()
    {
        return [this](const QString& aURL) {
            fetched << aURL;
            TSitemapBytes bytes;
            if (served.contains(aURL))
                bytes = TSitemapBytes{true, served.value(aURL), QString()};
            else
                bytes.Error = "HTTP status 404";
            return bytes;
        };
    }
    QStringList Warnings() const { return dialogs.Texts(TRecordingDialogs::TKind::Warning); }
    QStringList URLs() const
    {
        QStringList urls;
        for (int i = 0; i < list.Count(); ++i)
            urls << list.At(i)->URL;
        return urls;
    }
};

}  // namespace

// An index's children are fetched in order, a gzip child is inflated, a failing
// child is named while the others are imported, duplicates across children fold.
TEST_F(SitemapImport, IndexChildrenInOrder_GzipRead_FailingChildNamed)
{
    served["http://s/index.xml"] = Index({"http://s/a.xml", "http://s/missing.xml", "http://s/b.xml.gz", "ftp://s/c.xml"});
    served["http://s/a.xml"] = UrlSet({"http://s/1", "http://s/2"});
    served["http://s/b.xml.gz"] = GzipBytes(UrlSet({"http://s/2", "http://s/3"}));

    ASSERT_TRUE(ImportSitemapSource(importer, dialogs, "http://s/index.xml", Fetch()));

    EXPECT_EQ(URLs(), QStringList({"http://s/1", "http://s/2", "http://s/3"}));
    EXPECT_EQ(fetched, QStringList({"http://s/index.xml", "http://s/a.xml", "http://s/missing.xml", "http://s/b.xml.gz"}));
    ASSERT_EQ(Warnings().size(), 2);
    EXPECT_TRUE(Warnings()[0].contains("http://s/missing.xml")) << Warnings()[0].toStdString();
    EXPECT_TRUE(Warnings()[0].contains("HTTP status 404"));
    EXPECT_TRUE(Warnings()[1].contains("ftp://s/c.xml"));
    EXPECT_EQ(view.log.size(), 1);  // one closing log line for the whole import
}

TEST_F(SitemapImport, LocalIndexAndLocalGzipFile)
{
    const QString indexPath = dir.filePath("sitemap.xml");
    QFile index(indexPath);
    ASSERT_TRUE(index.open(QIODevice::WriteOnly));
    index.write(Index({"http://s/a.xml"}));
    index.close();
    served["http://s/a.xml"] = UrlSet({"http://s/1"});
    ASSERT_TRUE(ImportSitemapSource(importer, dialogs, indexPath, Fetch()));
    EXPECT_EQ(URLs(), QStringList({"http://s/1"}));

    const QString gzPath = dir.filePath("sitemap.xml.gz");
    QFile gz(gzPath);
    ASSERT_TRUE(gz.open(QIODevice::WriteOnly));
    gz.write(GzipBytes(UrlSet({"http://s/9"})));
    gz.close();
    ASSERT_TRUE(ImportSitemapSource(importer, dialogs, gzPath, Fetch()));
    EXPECT_EQ(URLs(), QStringList({"http://s/9"}));
}

// Children after the 5 000th URL are not fetched.
TEST_F(SitemapImport, LimitStopsFetchingFurtherChildren)
{
    QStringList many;
    for (int i = 0; i < 5001; ++i)
        many << QStringLiteral("http://s/p%1").arg(i);
    served["http://s/index.xml"] = Index({"http://s/a.xml", "http://s/b.xml"});
    served["http://s/a.xml"] = UrlSet(many);
    served["http://s/b.xml"] = UrlSet({"http://s/late"});
    ASSERT_TRUE(ImportSitemapSource(importer, dialogs, "http://s/index.xml", Fetch()));
    EXPECT_EQ(list.Count(), MaxURLCount);
    EXPECT_EQ(fetched.size(), 2);
    EXPECT_EQ(dialogs.Texts(TRecordingDialogs::TKind::Information).size(), 1);
}

TEST_F(SitemapImport, RefusedSources)
{
    served["http://s/bad.xml"] = "<urlset><url>";
    served["http://s/other.xml"] = "<feed/>";
    served["http://s/bad.gz"] = GzipBytes(UrlSet({"http://s/1"})).left(20);
    for (const char* source : {"http://s/none.xml", "http://s/bad.xml", "http://s/other.xml", "http://s/bad.gz"}) {
        dialogs.Clear();
        EXPECT_FALSE(ImportSitemapSource(importer, dialogs, source, Fetch())) << source;
        ASSERT_EQ(Warnings().size(), 1) << source;
        EXPECT_TRUE(Warnings()[0].contains(source)) << Warnings()[0].toStdString();
    }
}

TEST(Gunzip, BoundedAndDamagedData)
{
    const QByteArray big(1 << 20, 'x');
    QByteArray out;
    QString error;
    ASSERT_TRUE(Gunzip(GzipBytes(big), 2 << 20, out, error));
    EXPECT_EQ(out, big);
    EXPECT_FALSE(Gunzip(GzipBytes(big), 1000, out, error));  // a small file that expands too far
    EXPECT_TRUE(out.isEmpty());
    EXPECT_FALSE(Gunzip(QByteArray("\x1f\x8b garbage"), 1000, out, error));
    EXPECT_TRUE(Gunzip(GzipBytes("ab") + GzipBytes("cd"), 1000, out, error));
    EXPECT_EQ(out, "abcd");
}
