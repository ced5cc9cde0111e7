// The check of one proxy: a real request through it to the test page.

#include "engine/CurlSession.h"
#include "proxies/Proxies.h"

bool TProxy::Test(const QString& aTestURL, const QString& aUserAgent) const
{
    try {
        const ICurlPtr curl = NewCurlSession();
        // The body is not looked at, but an endless one must not fill the memory.
        ConfigureGetRequest(*curl, aTestURL, aUserAgent, ProxyTransferLimits());
        UseHttpProxy(*curl, HostAndPort(), UserAndPws);
        curl->Perform();
        // Redirects are followed: this is the status of the last response.
        return curl->ResponseCode() == 200;
    } catch (...) {
        return false;
    }
}
