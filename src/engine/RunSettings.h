#pragma once
// The option values a run reads, as they stand on the options page when read.

#include <QString>

// The ranges the options page and the command line accept.
constexpr int ThreadLimitMin = 1, ThreadLimitMax = 10;
constexpr int RequestDelayMin = 1500, RequestDelayMax = 10000, RequestDelayStep = 100;  // ms

struct TRunSettings {
    int MaxThreads = 5;        // thread limit, ThreadLimitMin to ThreadLimitMax
    int RequestDelay = 1500;   // milliseconds between requests, RequestDelayMin to RequestDelayMax
    QString UserAgent;         // the User-Agent text (empty: the worker's default)
    bool UseProxies = false;   // a random proxy of the list for every worker
    bool UniqueResults = true; // repeated values are dropped from a rule's list
    bool HideURLsWithoutResults = false;  // removed from the list at the end of the run
};
