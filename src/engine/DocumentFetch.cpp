#include "engine/DocumentFetch.h"

#include "engine/CurlSession.h"
#include "engine/RequestOptions.h"

TFetchedDocument FetchDocument(const QString& aURL, const QString& aUserAgent, const TFetchLimits& aLimits,
                               const std::atomic<bool>* aAbort)
{
    TFetchedDocument fetched;
    try {
        const ICurlPtr curl = NewCurlSession();
        TTransferLimits limits;
        limits.MaxBodyBytes = aLimits.MaxBodyBytes;
        limits.MaxRedirects = aLimits.MaxRedirects;
        limits.TimeLimitMs = int(aLimits.TimeoutSeconds * 1000);
        limits.StallSeconds = aLimits.StallSeconds;
        ConfigureGetRequest(*curl, aURL, aUserAgent, limits);
        curl->SetOpt(CURLOPT_PROXY, QString());  // no proxy, not even one from the environment
        // An empty text asks for every encoding libcurl can decode.
        curl->SetOpt(CURLOPT_ACCEPT_ENCODING, QString());
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
