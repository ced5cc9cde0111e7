#pragma once
// The proxy list: records, the text form "ip:port[:user:password]", the random
// choice for a run and the proxies file.

#include <QString>
#include <QStringList>
#include <memory>
#include <mutex>
#include <random>
#include <vector>

class TProxy {
public:
    QString Host;
    int Port = 0;
    QString UserAndPws;  // as typed after the port; empty without credentials

    void AssignFrom(const TProxy& aPX);
    QString HostAndPort() const;      // "host:port"
    QString AsSemicolonText() const;  // the text form again
    QString AsJSONStr() const;        // one object of the proxies file

    // One request through this proxy to aTestURL; true exactly for a final status 200.
    bool Test(const QString& aTestURL, const QString& aUserAgent) const;
};

class TProxies {
public:
    TProxies();

    int Count() const { return int(FItems.size()); }
    TProxy* At(int Index) const { return FItems.at(size_t(Index)).get(); }
    TProxy* Add(std::unique_ptr<TProxy> aProxy);
    void Delete(int Index);  // removes and frees
    void Clear();

    bool Exists(const QString& sHost) const;  // host only, ASCII letters folded
    static std::unique_ptr<TProxy> ProxyFromStr(const QString& aStr);

    bool ImportFromStringList(const QStringList& aSL);
    bool ImportFromString(const QString& aStr);
    bool ImportFromTextFile(const QString& aTextFile);

    // A uniformly drawn entry (the list keeps it), or none for an empty list.
    TProxy* GetRandom() const;

    QByteArray FileBytes() const;  // the proxies file, byte-order mark included
    bool SaveToFile(const QString& sFileName) const;  // owner-only, temp file + rename
    bool LoadFromFile(const QString& sFileName);

private:
    std::vector<std::unique_ptr<TProxy>> FItems;
    mutable std::mutex FRandomLock;
    mutable std::mt19937 FRandom;
};
