#pragma once
#include <QString>

// True when an import candidate is not to be taken: empty, not starting with
// "http" (any letter case), holding a control character (U+0000 to U+001F,
// U+007F), or naming an image, script or style sheet file.
bool IsSkippedURL(const QString& sURL);
