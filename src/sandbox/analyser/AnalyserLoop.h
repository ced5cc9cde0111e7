#pragma once
// The helper's side: pages in, one outcome per rule out, until the program
// closes the socket.

#include "sandbox/AnalysisRequest.h"

// The rules of one page in order, stopping after the first that fails.
std::vector<TRuleOutcome> AnalyseRequest(const TAnalysisRequest& aRequest,
                                         const std::function<bool(const TRuleOutcome&)>& aSend);

// 0 when the program closed the socket, 1 on a broken frame or socket.
int ServePages(int aFd);
