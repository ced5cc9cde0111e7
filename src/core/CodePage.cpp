#include "CodePage.h"

#include <iconv.h>
#include <langinfo.h>

#include <algorithm>
#include <cerrno>
#include <clocale>

namespace {

QByteArray NormalisedName(const QByteArray& aCharset)
{
    QByteArray name = aCharset.toUpper();
    name.replace('_', '-');
    return name;
}

// Runs iconv over the whole input; on an unconvertible or invalid sequence it
// writes aReplacement and skips one input unit.
QByteArray Convert(const char* aFrom, const char* aTo, const QByteArray& aInput,
                   int aInputUnit, const QByteArray& aReplacement)
{
    iconv_t cd = iconv_open(aTo, aFrom);
    if (cd == reinterpret_cast<iconv_t>(-1))
        return {};
    QByteArray out;
    out.reserve(aInput.size() * 2);
    char buffer[4096];
    char* in = const_cast<char*>(aInput.constData());
    size_t inLeft = size_t(aInput.size());
    while (inLeft > 0) {
        char* outPtr = buffer;
        size_t outLeft = sizeof buffer;
        size_t rc = iconv(cd, &in, &inLeft, &outPtr, &outLeft);
        out.append(buffer, qsizetype(sizeof buffer - outLeft));
        if (rc != size_t(-1))
            continue;
        if (errno == E2BIG)
            continue;
        // EILSEQ or EINVAL (truncated sequence at the end): replace one unit.
        out.append(aReplacement);
        size_t skip = size_t(aInputUnit);
        if (aInputUnit == 2 && inLeft >= 4) {
            // A character outside the BMP is one character: skip both halves of the pair.
            const unsigned unit = uchar(in[0]) | (uchar(in[1]) << 8);
            if (unit >= 0xD800 && unit <= 0xDBFF)
                skip = 4;
        }
        skip = std::min(skip, inLeft);
        in += skip;
        inLeft -= skip;
        iconv(cd, nullptr, nullptr, nullptr, nullptr);
    }
    char* outPtr = buffer;
    size_t outLeft = sizeof buffer;
    iconv(cd, nullptr, nullptr, &outPtr, &outLeft);
    out.append(buffer, qsizetype(sizeof buffer - outLeft));
    iconv_close(cd);
    return out;
}

}  // namespace

TCodePage::TCodePage(const QByteArray& aCharset) : FCharset(NormalisedName(aCharset)) {}

TCodePage TCodePage::SystemDefault()
{
    // The program's entry sets LC_CTYPE from the environment (Qt does it too).
    const char* codeset = nl_langinfo(CODESET);
    QByteArray name = codeset ? QByteArray(codeset) : QByteArray();
    if (name.isEmpty() || name == "ANSI_X3.4-1968" || name == "ASCII" || name == "US-ASCII")
        name = "UTF-8";
    return TCodePage(name);
}

bool TCodePage::IsUtf8() const
{
    return FCharset == "UTF-8" || FCharset == "UTF8";
}

QString TCodePage::Decode(const QByteArray& aBytes) const
{
    if (IsUtf8())
        return QString::fromUtf8(aBytes);
    const QByteArray utf16 = Convert(FCharset.constData(), "UTF-16LE", aBytes, 1,
                                     QByteArray("\xFD\xFF", 2));
    return QString(reinterpret_cast<const QChar*>(utf16.constData()), utf16.size() / 2);
}

QByteArray TCodePage::Encode(const QString& aText) const
{
    if (IsUtf8())
        return aText.toUtf8();
    const QByteArray utf16(reinterpret_cast<const char*>(aText.utf16()), aText.size() * 2);
    return Convert("UTF-16LE", FCharset.constData(), utf16, 2, QByteArray("?"));
}
