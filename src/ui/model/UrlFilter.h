#pragma once
#include <QString>

// True when an import candidate is not to be taken: empty, not starting with
// "http" (any letter case), or naming an image, script or style sheet file.
bool IsSkippedURL(const QString& sURL);
