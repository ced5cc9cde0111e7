#include "xmlquery/css/PseudoClassNames.h"

#include <utility>

namespace xq::css {

std::optional<SimpleKind> PlainPseudoClass(std::string_view lowerName)
{
    static const std::pair<std::string_view, SimpleKind> kNames[] = {
        {"first-child", SimpleKind::FirstChild},
        {"last-child", SimpleKind::LastChild},
        {"only-child", SimpleKind::OnlyChild},
        {"first-of-type", SimpleKind::FirstOfType},
        {"last-of-type", SimpleKind::LastOfType},
        {"only-of-type", SimpleKind::OnlyOfType},
        {"empty", SimpleKind::Empty},
        {"root", SimpleKind::Root},
        {"scope", SimpleKind::Scope},
        {"any-link", SimpleKind::AnyLink},
        {"link", SimpleKind::AnyLink},  // no link has been visited
        {"-webkit-any-link", SimpleKind::AnyLink},
        {"defined", SimpleKind::Defined},
        {"open", SimpleKind::Open},
        {"checked", SimpleKind::Checked},
        {"default", SimpleKind::Default},
        {"indeterminate", SimpleKind::Indeterminate},
        {"enabled", SimpleKind::Enabled},
        {"disabled", SimpleKind::Disabled},
        {"required", SimpleKind::Required},
        {"optional", SimpleKind::Optional},
        {"read-write", SimpleKind::ReadWrite},
        {"read-only", SimpleKind::ReadOnly},
        {"placeholder-shown", SimpleKind::PlaceholderShown},
        {"in-range", SimpleKind::InRange},
        {"out-of-range", SimpleKind::OutOfRange},
        {"valid", SimpleKind::Valid},
        {"invalid", SimpleKind::Invalid},
        {"paused", SimpleKind::Paused},
        {"muted", SimpleKind::Muted},
        // Nobody points, clicks, types, navigates or plays anything on the page.
        {"visited", SimpleKind::Never},
        {"hover", SimpleKind::Never},
        {"active", SimpleKind::Never},
        {"focus", SimpleKind::Never},
        {"focus-visible", SimpleKind::Never},
        {"focus-within", SimpleKind::Never},
        {"target", SimpleKind::Never},
        {"target-current", SimpleKind::Never},
        {"user-valid", SimpleKind::Never},
        {"user-invalid", SimpleKind::Never},
        {"autofill", SimpleKind::Never},
        {"-webkit-autofill", SimpleKind::Never},
        {"modal", SimpleKind::Never},
        {"popover-open", SimpleKind::Never},
        {"fullscreen", SimpleKind::Never},
        {"picture-in-picture", SimpleKind::Never},
        {"playing", SimpleKind::Never},
        {"seeking", SimpleKind::Never},
        {"buffering", SimpleKind::Never},
        {"stalled", SimpleKind::Never},
        {"volume-locked", SimpleKind::Never},
        {"current", SimpleKind::Never},
        {"past", SimpleKind::Never},
        {"future", SimpleKind::Never},
        {"host", SimpleKind::Never},  // no shadow trees
        {"xr-overlay", SimpleKind::Never},
        {"active-view-transition", SimpleKind::Never},
    };
    for (const auto& [name, kind] : kNames)
        if (name == lowerName) return kind;
    return std::nullopt;
}

bool IsPseudoElementName(std::string_view lowerName, bool function)
{
    if (lowerName.starts_with("-webkit-")) return true;  // browsers accept any of their prefixed ones
    static constexpr std::string_view kPlain[] = {
        "before", "after", "first-line", "first-letter", "marker", "placeholder", "selection", "backdrop",
        "file-selector-button", "cue", "target-text", "spelling-error", "grammar-error", "details-content",
        "view-transition", "scroll-marker", "scroll-marker-group", "checkmark", "picker-icon", "column",
        "search-text",
    };
    static constexpr std::string_view kFunctions[] = {
        "part", "slotted", "highlight", "cue", "view-transition-group", "view-transition-image-pair",
        "view-transition-old", "view-transition-new", "picker", "scroll-button",
    };
    if (function) {
        for (std::string_view name : kFunctions)
            if (name == lowerName) return true;
        return false;
    }
    for (std::string_view name : kPlain)
        if (name == lowerName) return true;
    return false;
}

bool IsLegacyPseudoElement(std::string_view lowerName)
{
    return lowerName == "before" || lowerName == "after" || lowerName == "first-line" || lowerName == "first-letter";
}

}  // namespace xq::css
