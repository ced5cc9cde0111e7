// The check of one proxy: a real request through it to the test page.

#include "engine/CurlSession.h"
#include "proxies/Proxies.h"

bool TProxy::Test(const QString& aTestURL, const QString& aUserAgent) const
{
    try {
        const ICurlPtr curl = NewCurlSession();
        const auto url = NewGetBuilder(aTestURL);
        curl->SetUserAgent(aUserAgent)
            .SetUrl(*url)
            .SetOpt(CURLOPT_SSL_VERIFYPEER, 0L)
            .SetOpt(CURLOPT_SSL_VERIFYHOST, 0L)
            .SetOpt(CURLOPT_FOLLOWLOCATION, 1L)
            .SetOpt(CURLOPT_AUTOREFERER, 1L)
            .SetOpt(CURLOPT_PROXYTYPE, long(CURLPROXY_HTTP))
            .SetOpt(CURLOPT_PROXY, HostAndPort())
            .SetOpt(CURLOPT_PROXYUSERPWD, UserAndPws)
            .SetOpt(CURLOPT_TIMEOUT, 10L)
            .SwitchRecvToString()  // the body is not looked at
            // A proxy streaming an endless body must not fill the memory in its ten seconds.
            .SetMaxBodySize(qint64(64) * 1024 * 1024);
        curl->Perform();
        // Redirects are followed: this is the status of the last response.
        return curl->ResponseCode() == 200;
    } catch (...) {
        return false;
    }
}
