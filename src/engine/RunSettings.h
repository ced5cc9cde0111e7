#pragma once
// The option values a run reads, as they stand on the options page when read.

#include <QString>

struct TRunSettings {
    int MaxThreads = 5;        // thread limit, 1 to 10
    int RequestDelay = 1500;   // milliseconds between requests, 1500 to 10000
    QString UserAgent;         // the User-Agent text (empty: the worker's default)
    bool UseProxies = false;   // a random proxy of the list for every worker
    bool UniqueResults = true; // repeated values are dropped from a rule's list
    bool ClearURLsWithoutResults = false;  // hide URLs without results at the end
};
