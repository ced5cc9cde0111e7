#pragma once
#include <QString>
#include <QStringList>

#include <functional>

class QByteArray;
class QIODevice;

// A sitemap file read as a stream, so that its size does not matter: the
// candidates are the text of the first "loc" of every "url" child of the
// top-level "urlset" element, without surrounding white space. For a sitemap
// index (a top-level "sitemapindex") the candidates are the addresses of its
// child sitemaps, the first "loc" of every "sitemap" child. The file is parsed
// without network access, DTD loading or entity substitution, so it never
// reads another file.
struct TSitemapContent {
    enum Status { Ok, ParseError, NoUrlset, Index } status = Ok;
    QString errorMessage;  // the parser's message for ParseError
    int childCount = 0;    // child nodes of urlset or sitemapindex (the progress bar's maximum)
    QStringList candidates;  // filled by the in-memory reader only
};

// Reads the whole device (a parse error anywhere is found) and hands every
// candidate to aTake, when given, in order; after aTake returns false no
// further candidate is handed over.
TSitemapContent ReadSitemap(QIODevice& aDevice, const std::function<bool(const QString&)>& aTake = {});
// The same for a document already in memory (a fetched sitemap), with the
// candidates collected, unless the document does not parse.
TSitemapContent ReadSitemap(const QByteArray& aXml);
