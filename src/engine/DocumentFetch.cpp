#include "engine/DocumentFetch.h"

#include "engine/CurlSession.h"

TFetchedDocument FetchDocument(const QString& aURL, const QString& aUserAgent, const TFetchLimits& aLimits,
                               const std::atomic<bool>* aAbort)
{
    TFetchedDocument fetched;
    try {
        const ICurlPtr curl = NewCurlSession();
        const auto url = NewGetBuilder(aURL);
        curl->SetUserAgent(aUserAgent)
            .SetUrl(*url)
            .SetOpt(CURLOPT_SSL_VERIFYPEER, 0L)
            .SetOpt(CURLOPT_SSL_VERIFYHOST, 0L)
            .SetOpt(CURLOPT_FOLLOWLOCATION, 1L)
            .SetOpt(CURLOPT_AUTOREFERER, 1L)
            .SetOpt(CURLOPT_MAXREDIRS, aLimits.MaxRedirects)
            .SetOpt(CURLOPT_PROTOCOLS_STR, QStringLiteral("http,https"))
            .SetOpt(CURLOPT_REDIR_PROTOCOLS_STR, QStringLiteral("http,https"))
            .SetOpt(CURLOPT_TIMEOUT, aLimits.TimeoutSeconds)
            .SetOpt(CURLOPT_PROXY, QString())  // no proxy, not even one from the environment
            .SwitchRecvToString();
        // An empty text asks for every encoding libcurl can decode.
        curl->SetOpt(CURLOPT_ACCEPT_ENCODING, QString()).SetMaxBodySize(aLimits.MaxBodyBytes);
        if (aAbort)
            curl->SetAbortFlag(aAbort);
        curl->Perform();
        fetched.Status = curl->ResponseCode();
        fetched.Body = curl->ResponseBody();
        fetched.Transferred = true;
    } catch (const ECurl& e) {
        fetched.Error = e.Message();
    } catch (const std::exception& e) {
        fetched.Error = QString::fromUtf8(e.what());
    }
    return fetched;
}
