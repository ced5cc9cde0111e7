#include "SitemapReader.h"

#include <QBuffer>
#include <QIODevice>

#include <libxml/xmlreader.h>

#include <memory>

namespace {

struct ReaderDeleter { void operator()(xmlTextReader* r) const { xmlFreeTextReader(r); } };

int ReadFromDevice(void* aDevice, char* aBuffer, int aLength)
{
    const qint64 n = static_cast<QIODevice*>(aDevice)->read(aBuffer, aLength);
    return n < 0 ? -1 : int(n);
}

int KeepDeviceOpen(void*)
{
    return 0;
}

void KeepLastError(void* aMessage, xmlErrorPtr aError)
{
    if (!aError || aError->level < XML_ERR_ERROR || !aError->message)
        return;
    auto* message = static_cast<QString*>(aMessage);
    *message = QString::fromUtf8(aError->message).trimmed();
    if (aError->line > 0)
        *message += QStringLiteral(" (line %1)").arg(aError->line);
}

// XML's own white space only: a no-break space may belong to an address.
QString TrimXmlSpace(const QString& aText)
{
    const auto isSpace = [](QChar c) { return c == u' ' || c == u'\t' || c == u'\r' || c == u'\n'; };
    qsizetype b = 0, e = aText.size();
    while (b < e && isSpace(aText.at(b)))
        ++b;
    while (e > b && isSpace(aText.at(e - 1)))
        --e;
    return aText.mid(b, e - b);
}

bool IsText(int aType)
{
    return aType == XML_READER_TYPE_TEXT || aType == XML_READER_TYPE_CDATA
        || aType == XML_READER_TYPE_WHITESPACE || aType == XML_READER_TYPE_SIGNIFICANT_WHITESPACE;
}

// Names are compared without their namespace: the standard sitemap files
// declare theirs as the default namespace.
bool IsElement(xmlTextReader* aReader, int aType, const char* aName)
{
    return aType == XML_READER_TYPE_ELEMENT
        && xmlStrcmp(xmlTextReaderConstLocalName(aReader), BAD_CAST aName) == 0;
}

}  // namespace

TSitemapContent ReadSitemap(QIODevice& aDevice, const std::function<bool(const QString&)>& aTake)
{
    TSitemapContent result;
    const int options = XML_PARSE_NONET;
    std::unique_ptr<xmlTextReader, ReaderDeleter> reader(
        xmlReaderForIO(ReadFromDevice, KeepDeviceOpen, &aDevice, "sitemap.xml", nullptr, options));
    if (!reader) {
        result.status = TSitemapContent::ParseError;
        result.errorMessage = QStringLiteral("out of memory");
        return result;
    }
    QString error;
    xmlTextReaderSetStructuredErrorHandler(reader.get(), KeepLastError, &error);

    bool rootSeen = false, inUrlset = false, inUrl = false, locTaken = false, inLoc = false;
    const char* itemName = "url";  // "sitemap" in an index
    bool taking = bool(aTake);
    QByteArray loc;
    const auto hand = [&](const QByteArray& aText) {
        if (taking)
            taking = aTake(TrimXmlSpace(QString::fromUtf8(aText)));
    };
    int rc;
    while ((rc = xmlTextReaderRead(reader.get())) == 1) {
        if (aTake && !taking)
            return result;  // the taker has all it wants
        const int type = xmlTextReaderNodeType(reader.get());
        const int depth = xmlTextReaderDepth(reader.get());
        const bool empty = xmlTextReaderIsEmptyElement(reader.get()) == 1;
        if (depth == 0 && type == XML_READER_TYPE_ELEMENT && !rootSeen) {
            rootSeen = true;
            inUrlset = IsElement(reader.get(), type, "urlset");
            if (!inUrlset && IsElement(reader.get(), type, "sitemapindex")) {
                inUrlset = true;
                itemName = "sitemap";
                result.status = TSitemapContent::Index;
            }
        } else if (!inUrlset) {
            continue;
        } else if (depth == 1 && type != XML_READER_TYPE_END_ELEMENT) {
            ++result.childCount;
            inUrl = IsElement(reader.get(), type, itemName) && !empty;
            locTaken = false;
        } else if (inUrl && depth == 2 && !locTaken && IsElement(reader.get(), type, "loc")) {
            locTaken = true;
            loc.clear();
            inLoc = !empty;
            if (empty)
                hand(loc);
        } else if (inLoc && depth == 3 && IsText(type)) {
            // Text and CDATA only: entity references are never expanded.
            loc.append(reinterpret_cast<const char*>(xmlTextReaderConstValue(reader.get())));
        } else if (inLoc && depth == 2 && type == XML_READER_TYPE_END_ELEMENT) {
            inLoc = false;
            hand(loc);
        }
    }
    if (rc < 0 || !rootSeen) {
        result.status = TSitemapContent::ParseError;
        result.errorMessage = error.isEmpty() ? QStringLiteral("not a well-formed XML document") : error;
    } else if (!inUrlset) {
        result.status = TSitemapContent::NoUrlset;
    }
    return result;
}

TSitemapContent ReadSitemap(const QByteArray& aXml)
{
    QBuffer buffer;
    buffer.setData(aXml);
    buffer.open(QIODevice::ReadOnly);
    QStringList candidates;
    TSitemapContent result = ReadSitemap(buffer, [&candidates](const QString& aCandidate) {
        candidates.append(aCandidate);
        return true;
    });
    if (result.status != TSitemapContent::ParseError)
        result.candidates = std::move(candidates);
    return result;
}
