#include "proxies/Proxies.h"

#include "core/CodePage.h"
#include "core/TextUtil.h"
#include "json/JsonNode.h"

#include <QSet>
#include <QStringDecoder>

#include <chrono>
#include <cmath>
#include <limits>

namespace {

constexpr int kDefaultPort = 3128;

// Host and port text travel through the 8-bit code page of imported texts:
// what it cannot hold arrives as its replacement character.
QString ThroughCodePage(const QString& aText)
{
    const TCodePage codePage = TCodePage::SystemDefault();
    return codePage.Decode(codePage.Encode(aText));
}

// One cut of the remaining text at the first separator.
QString NextToken(QString& aRest, QChar aSeparator)
{
    if (aRest.isEmpty())
        return QString();
    const qsizetype pos = aRest.indexOf(aSeparator);
    QString token;
    if (pos < 0) {
        token = aRest;  // the last token keeps its blanks
        aRest.clear();
    } else {
        token = TrimBlanks(aRest.left(pos));
        aRest = TrimBlanksAtStart(aRest.mid(pos + 1));
    }
    return ThroughCodePage(token);
}

// A signed decimal integer that fits 32 bits, nothing else (no blanks).
bool ParsePort(const QString& aText, int& aPort)
{
    qsizetype i = 0;
    bool negative = false;
    if (i < aText.size() && (aText[i] == QLatin1Char('+') || aText[i] == QLatin1Char('-'))) {
        negative = aText[i] == QLatin1Char('-');
        ++i;
    }
    if (i == aText.size())
        return false;
    qint64 value = 0;
    for (; i < aText.size(); ++i) {
        const char16_t c = aText[i].unicode();
        if (c < '0' || c > '9')
            return false;
        value = value * 10 + (c - '0');
        if (value > qint64(std::numeric_limits<int>::max()) + 1)
            return false;
    }
    if (negative)
        value = -value;
    if (value < std::numeric_limits<int>::min() || value > std::numeric_limits<int>::max())
        return false;
    aPort = int(value);
    return true;
}

// Text file bytes decoded by their byte-order mark, else by the default code page.
QString DecodeTextFile(const QByteArray& aBytes)
{
    if (aBytes.startsWith(kUtf8Bom))
        return QString::fromUtf8(QByteArrayView(aBytes).sliced(QByteArrayView(kUtf8Bom).size()));
    if (aBytes.startsWith("\xFF\xFE"))
        return QStringDecoder(QStringDecoder::Utf16LE).decode(QByteArrayView(aBytes).sliced(2));
    if (aBytes.startsWith("\xFE\xFF"))
        return QStringDecoder(QStringDecoder::Utf16BE).decode(QByteArrayView(aBytes).sliced(2));
    return TCodePage::SystemDefault().Decode(aBytes);
}

}  // namespace

void TProxy::AssignFrom(const TProxy& aPX)
{
    Host = aPX.Host;
    Port = aPX.Port;
    UserAndPws = aPX.UserAndPws;
}

QString TProxy::HostAndPort() const
{
    return Host + QLatin1Char(':') + QString::number(Port);
}

QString TProxy::AsSemicolonText() const
{
    return UserAndPws.isEmpty() ? HostAndPort() : HostAndPort() + QLatin1Char(':') + UserAndPws;
}

QString TProxy::AsJSONStr() const
{
    return QStringLiteral("{\"host\": ") + TJsonNode::EncodeString(Host) + QStringLiteral(", \"port\": ")
           + QString::number(Port) + QStringLiteral(", \"userandpsw\": ") + TJsonNode::EncodeString(UserAndPws)
           + QLatin1Char('}');
}

TProxies::TProxies()
    : FRandom(std::mt19937::result_type(std::chrono::steady_clock::now().time_since_epoch().count()
                                        ^ std::chrono::system_clock::now().time_since_epoch().count()))
{
}

TProxy* TProxies::Add(std::unique_ptr<TProxy> aProxy)
{
    FItems.push_back(std::move(aProxy));
    return FItems.back().get();
}

void TProxies::Delete(int Index)
{
    FItems.at(size_t(Index));  // range check before erasing
    FItems.erase(FItems.begin() + Index);
}

void TProxies::Clear()
{
    FItems.clear();
}

bool TProxies::Exists(const QString& sHost) const
{
    for (const auto& proxy : FItems) {
        if (SameTextASCII(proxy->Host, sHost))
            return true;
    }
    return false;
}

std::unique_ptr<TProxy> TProxies::ProxyFromStr(const QString& aStr)
{
    auto proxy = std::make_unique<TProxy>();
    QString rest = aStr;
    proxy->Host = NextToken(rest, QLatin1Char(':'));
    const QString portText = NextToken(rest, QLatin1Char(':'));
    if (!ParsePort(portText, proxy->Port))
        proxy->Port = kDefaultPort;
    proxy->UserAndPws = rest;
    return proxy;
}

bool TProxies::ImportFromStringList(const QStringList& aSL)
{
    // Known hosts in a set, so that a long import is not quadratic.
    QSet<QString> known;
    for (const auto& proxy : FItems)
        known.insert(FoldASCII(proxy->Host));
    for (const QString& raw : aSL) {
        const QString line = TrimBlanks(raw);
        if (line.isEmpty() || line.startsWith(QLatin1Char(';')))
            continue;
        std::unique_ptr<TProxy> proxy = ProxyFromStr(line);
        const QString key = FoldASCII(proxy->Host);
        if (known.contains(key))
            continue;  // the same host, whatever its port: the first entry stays
        known.insert(key);
        Add(std::move(proxy));
    }
    return true;
}

bool TProxies::ImportFromString(const QString& aStr)
{
    if (aStr.isEmpty())
        return true;
    return ImportFromStringList(SplitTextLines(aStr));
}

bool TProxies::ImportFromTextFile(const QString& aTextFile)
{
    QByteArray bytes;
    if (!ReadWholeFile(aTextFile, bytes))
        return false;
    return ImportFromStringList(SplitTextLines(DecodeTextFile(bytes)));
}

TProxy* TProxies::GetRandom() const
{
    if (FItems.empty())
        return nullptr;
    // Every entry, the last included, is drawn with the same chance.
    std::uniform_int_distribution<size_t> draw(0, FItems.size() - 1);
    std::lock_guard<std::mutex> lock(FRandomLock);
    return FItems[draw(FRandom)].get();
}

QByteArray TProxies::FileBytes() const
{
    QStringList items;
    for (const auto& proxy : FItems)
        items << proxy->AsJSONStr();
    return QByteArray(kUtf8Bom) + JsonFileArrayText(items).toUtf8();
}

bool TProxies::SaveToFile(const QString& sFileName) const
{
    // The file holds proxy passwords: readable by its owner only.
    return SaveFileAtomically(sFileName, FileBytes(), true);
}

bool TProxies::LoadFromFile(const QString& sFileName)
{
    Clear();
    TJsonNode root;
    if (!LoadJsonFile(sFileName, root))
        return false;
    for (int i = 0; i < root.Count(); ++i) {
        const TJsonNode& item = *root.Child(i);
        // Anything but an object holds no proxy: no empty entry is made for it.
        if (item.Kind() != nkObject)
            return false;
        TProxy* proxy = Add(std::make_unique<TProxy>());
        const TJsonNode* host = item.Find(QStringLiteral("host"));
        if (!host)
            return false;
        proxy->Host = host->AsString();
        const TJsonNode* port = item.Find(QStringLiteral("port"));
        if (!port)
            return false;
        const double value = std::trunc(port->AsNumber());
        // A port that no int holds is a fault, not a wrapped or undefined value.
        if (!(value >= double(std::numeric_limits<int>::min()) && value <= double(std::numeric_limits<int>::max())))
            return false;
        proxy->Port = int(value);
        const TJsonNode* credentials = item.Find(QStringLiteral("userandpsw"));
        if (!credentials)
            return false;
        proxy->UserAndPws = credentials->AsString();
    }
    return true;
}
