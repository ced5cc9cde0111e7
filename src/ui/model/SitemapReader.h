#pragma once
#include <QString>
#include <QStringList>

// The candidates of a sitemap file: the text of every "loc" of every "url"
// child of the top-level "urlset" element. For a sitemap index (a top-level
// "sitemapindex") the candidates are the addresses of its child sitemaps, the
// "loc" of every "sitemap" child. The file is parsed without network
// access, DTD loading or entity substitution, so it never reads another file.
struct TSitemapContent {
    enum Status { Ok, ParseError, NoUrlset, Index } status = Ok;
    QString errorMessage;  // the parser's message for ParseError
    int childCount = 0;    // child nodes of urlset (the progress bar's maximum)
    QStringList candidates;
};

TSitemapContent ReadSitemap(const QByteArray& aXml);
