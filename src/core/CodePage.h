#pragma once
// The "default 8-bit code page" of imported text files, proxy texts and the CSV
// report. On Linux it is the character set of the user's locale, except that a
// C or POSIX locale (plain ASCII) means UTF-8. Tests pass a code page explicitly.

#include <QByteArray>
#include <QString>

class TCodePage {
public:
    explicit TCodePage(const QByteArray& aCharset);  // an iconv name, e.g. "WINDOWS-1251"
    static TCodePage SystemDefault();

    const QByteArray& Charset() const { return FCharset; }
    bool IsUtf8() const;

    // Bytes that the code page cannot decode become U+FFFD.
    QString Decode(const QByteArray& aBytes) const;
    // Characters the code page cannot represent become its replacement character "?".
    QByteArray Encode(const QString& aText) const;

private:
    QByteArray FCharset;
};
