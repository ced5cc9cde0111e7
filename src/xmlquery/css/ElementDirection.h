#pragma once
// :dir(): the directionality of an element as the HTML standard defines it:
// a dir attribute of ltr or rtl, dir=auto (and bdi) from the first strong
// character of the text or value, otherwise the parent's, ltr at the root.

#include <libxml/tree.h>

#include <unordered_map>

namespace xq::css {

class DirectionLookup {
public:
    bool IsRightToLeft(const xmlNode* element);

private:
    enum class Direction : unsigned char { Ltr, Rtl, Inherit };
    Direction OwnDirection(const xmlNode* element);
    static bool AutoIsRightToLeft(const xmlNode* element);

    std::unordered_map<const xmlNode*, bool> rtl_;
};

}  // namespace xq::css
