#pragma once
// The four images of the rule panels, drawn for this program (tools/draw-rule-icons.sh)
// and kept as resources: "pngImageAccept", "pngImageNotAccept", "pngImageTest",
// "pngImageTrash". Loaded once, on first use.

#include <QIcon>

struct TRuleImages {
    QIcon Accept;     // the query is valid
    QIcon NotAccept;  // the query is not valid
    QIcon Test;       // try the rule
    QIcon Trash;      // delete the rule
};

const TRuleImages& RuleImages();
