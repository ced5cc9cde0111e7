#include "xmlquery/css/ElementDirection.h"

#include "xmlquery/css/ElementAttributes.h"
#include "xmlquery/css/ElementWalk.h"
#include "xmlquery/css/InputValues.h"

#include <QChar>

#include <optional>
#include <string>
#include <vector>

namespace xq::css {

namespace {

enum class Strong { None, Ltr, Rtl };

// The first character of bidirectional class L, R or AL in UTF-8 text.
Strong FirstStrong(std::string_view text)
{
    std::size_t i = 0;
    while (i < text.size()) {
        const auto lead = static_cast<unsigned char>(text[i]);
        char32_t cp = lead;
        std::size_t length = 1;
        if (lead >= 0xF0) cp = lead & 0x07, length = 4;
        else if (lead >= 0xE0) cp = lead & 0x0F, length = 3;
        else if (lead >= 0xC0) cp = lead & 0x1F, length = 2;
        for (std::size_t k = 1; k < length && i + k < text.size(); ++k)
            cp = (cp << 6) | (static_cast<unsigned char>(text[i + k]) & 0x3F);
        i += length;
        switch (QChar::direction(cp)) {
        case QChar::DirL: return Strong::Ltr;
        case QChar::DirR:
        case QChar::DirAL: return Strong::Rtl;
        default: break;
        }
    }
    return Strong::None;
}

std::optional<std::string> ValidDir(const xmlNode* element)
{
    std::optional<std::string> dir = AttributeText(element, "dir");
    if (!dir) return std::nullopt;
    const std::string lower = LowerAscii(*dir);
    if (lower == "ltr" || lower == "rtl" || lower == "auto") return lower;
    return std::nullopt;
}

bool IsTextValueControl(const xmlNode* element, std::string* value)
{
    if (NameOf(element) == "textarea") {
        *value = ChildText(element);
        return true;
    }
    if (NameOf(element) != "input") return false;
    const std::optional<std::string> typeText = AttributeText(element, "type");
    const std::string type = InputTypeOf(typeText ? *typeText : "");
    if (type != "text" && type != "search" && type != "tel" && type != "url" && type != "email") return false;
    *value = SanitizedValue(type, AttributeText(element, "value").value_or(""));
    return true;
}

}  // namespace

bool DirectionLookup::AutoIsRightToLeft(const xmlNode* element)
{
    std::string value;
    if (IsTextValueControl(element, &value)) return FirstStrong(value) == Strong::Rtl;
    // Text below the element, skipping parts that set their own direction.
    const xmlNode* node = element->children;
    while (node) {
        bool skip = false;
        if (IsTextNode(node)) {
            const Strong strong = FirstStrong(ContentOf(node));
            if (strong != Strong::None) return strong == Strong::Rtl;
        } else if (IsElement(node)) {
            const std::string_view name = NameOf(node);
            skip = name == "bdi" || name == "script" || name == "style" || name == "textarea" || ValidDir(node);
        }
        if (!skip && IsElement(node) && node->children) {
            node = node->children;
            continue;
        }
        while (node && node != element && !node->next) node = node->parent;
        if (!node || node == element) break;
        node = node->next;
    }
    return false;
}

DirectionLookup::Direction DirectionLookup::OwnDirection(const xmlNode* element)
{
    const std::optional<std::string> dir = ValidDir(element);
    if (dir == "ltr") return Direction::Ltr;
    if (dir == "rtl") return Direction::Rtl;
    if (dir == "auto" || (!dir && NameOf(element) == "bdi"))
        return AutoIsRightToLeft(element) ? Direction::Rtl : Direction::Ltr;
    if (!dir && NameOf(element) == "input" &&
        EqualsIgnoringAsciiCase(AttributeText(element, "type").value_or(""), "tel"))
        return Direction::Ltr;
    return Direction::Inherit;
}

bool DirectionLookup::IsRightToLeft(const xmlNode* element)
{
    std::vector<const xmlNode*> path;
    bool rtl = false;
    for (const xmlNode* node = element; node; node = ParentElement(node)) {
        const auto known = rtl_.find(node);
        if (known != rtl_.end()) {
            rtl = known->second;
            break;
        }
        path.push_back(node);
        const Direction own = OwnDirection(node);
        if (own != Direction::Inherit) {
            rtl = own == Direction::Rtl;
            break;
        }
    }
    for (const xmlNode* node : path) rtl_.emplace(node, rtl);
    return rtl;
}

}  // namespace xq::css
