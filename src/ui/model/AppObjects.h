#pragma once
// The process-wide objects of the window, owned by the main window for its
// whole life. Pages get references to what they need; nothing here is global.

#include "core/RuleSets.h"
#include "core/RunModel.h"
#include "core/ScrapRules.h"
#include "proxies/Proxies.h"

#include <QString>

struct TAppObjects {
    QString ExeDir;  // the executable's directory, with a trailing separator
    TURLTaskInfoList URLList;
    TScrapRuleSet CurrentRuleSet;  // always a private copy of a saved set (or the default set)
    TScrapRuleSets SavedRuleSets;
    TProxies Proxies;
};
