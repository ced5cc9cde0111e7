#pragma once
// Proxy records for tests that send requests through the loopback proxies.

#include "proxies/Proxies.h"

#include <memory>
#include <string>

// The proxy of the text form "host:port", with these credentials.
inline TProxy ProxyAt(const std::string& aHostAndPort, const QString& aUserAndPws = {})
{
    std::unique_ptr<TProxy> p = TProxies::ProxyFromStr(QString::fromStdString(aHostAndPort));
    p->UserAndPws = aUserAndPws;
    return *p;
}
