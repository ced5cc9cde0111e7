#include "engine/RequestOptions.h"

#include "engine/CurlSession.h"

TTransferLimits ProxyTransferLimits(TTransferLimits aLimits)
{
    aLimits.TimeLimitMs = kProxyTimeLimitMs;
    aLimits.StallSeconds = 0;
    return aLimits;
}

void ConfigureGetRequest(ICurl& aCurl, const QString& aURL, const QString& aUserAgent,
                         const TTransferLimits& aLimits)
{
    const auto url = NewGetBuilder(aURL);
    aCurl.SetUserAgent(aUserAgent)
        .SetUrl(*url)
        .SetOpt(CURLOPT_SSL_VERIFYPEER, 0L)
        .SetOpt(CURLOPT_SSL_VERIFYHOST, 0L)
        .SetOpt(CURLOPT_FOLLOWLOCATION, 1L)
        .SetOpt(CURLOPT_AUTOREFERER, 1L)
        .SwitchRecvToString()
        .SetTransferLimits(aLimits);
}

void UseHttpProxy(ICurl& aCurl, const QString& aHostAndPort, const QString& aUserAndPws)
{
    aCurl.SetOpt(CURLOPT_PROXYTYPE, long(CURLPROXY_HTTP))
        .SetOpt(CURLOPT_PROXY, aHostAndPort)
        .SetOpt(CURLOPT_PROXYUSERPWD, aUserAndPws);
}
