#include "xmlquery/css/FormStates.h"

#include "xmlquery/css/ElementAttributes.h"
#include "xmlquery/css/ElementWalk.h"
#include "xmlquery/css/InputPattern.h"
#include "xmlquery/css/InputValues.h"

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <optional>
#include <vector>

namespace xq::css {

namespace {

bool Is(const xmlNode* element, std::string_view name) { return element && NameOf(element) == name; }

std::string TypeOf(const xmlNode* input)
{
    const std::optional<std::string> type = AttributeText(input, "type");
    return InputTypeOf(type ? *type : "");
}

// A button's type: submit unless it says reset or button.
bool IsSubmitButton(const xmlNode* element)
{
    if (Is(element, "button")) {
        const std::optional<std::string> type = AttributeText(element, "type");
        const std::string lower = type ? LowerAscii(*type) : "";
        return lower != "reset" && lower != "button";
    }
    if (Is(element, "input")) {
        const std::string type = TypeOf(element);
        return type == "submit" || type == "image";
    }
    return false;
}

std::string OptionValue(const xmlNode* option)
{
    if (std::optional<std::string> value = AttributeText(option, "value")) return *value;
    // The text, with blanks stripped and collapsed: only its emptiness matters here.
    std::string text;
    for (const xmlNode* node = option->children; node; node = NextInDocumentOrder(node, option))
        if (IsTextNode(node))
            for (char c : ContentOf(node))
                if (!IsHtmlSpace(c)) text += c;
    return text;
}

// A select shows one option at a time unless `multiple` or a size above 1 says otherwise.
bool ShowsOneOption(const xmlNode* select)
{
    if (HasAttribute(select, "multiple")) return false;
    const std::optional<std::string> size = AttributeText(select, "size");
    if (!size || size->empty()) return true;
    long long value = 0;
    for (char c : *size) {
        if (c < '0' || c > '9') return true;
        value = std::min<long long>(value * 10 + (c - '0'), 1000);
    }
    return value <= 1;
}

bool IsDisabledOption(const xmlNode* option)
{
    if (HasAttribute(option, "disabled")) return true;
    const xmlNode* parent = ParentElement(option);
    return Is(parent, "optgroup") && HasAttribute(parent, "disabled");
}

}  // namespace

bool FormStates::Matches(SimpleKind kind, const xmlNode* element)
{
    switch (kind) {
    case SimpleKind::Checked: return IsChecked(element);
    case SimpleKind::Default: return IsDefault(element);
    case SimpleKind::Indeterminate: return IsIndeterminate(element);
    case SimpleKind::Enabled: return IsEnabled(element);
    case SimpleKind::Disabled: return IsDisabled(element);
    case SimpleKind::Required: return IsRequired(element);
    case SimpleKind::Optional: return IsOptional(element);
    // Only HTML elements are read-only or read-write.
    case SimpleKind::ReadWrite: return !foreign_.IsForeign(element) && IsReadWrite(element);
    case SimpleKind::ReadOnly: return !foreign_.IsForeign(element) && !IsReadWrite(element);
    case SimpleKind::PlaceholderShown: return IsPlaceholderShown(element);
    case SimpleKind::InRange: return RangeState(element) == 0;
    case SimpleKind::OutOfRange: return RangeState(element) == 1;
    case SimpleKind::Valid: return Validity(element) == 0;
    case SimpleKind::Invalid: return Validity(element) == 1;
    default: return false;
    }
}

void FormStates::GatherDocument()
{
    if (gathered_) return;
    gathered_ = true;
    const xmlNode* top = reinterpret_cast<const xmlNode*>(doc_);
    std::vector<const xmlNode*> radios, selects, buttons;
    for (const xmlNode* node = doc_ ? doc_->children : nullptr; node; node = NextInDocumentOrder(node, top)) {
        if (!IsElement(node)) continue;
        if (std::optional<std::string> id = AttributeText(node, "id"); id && !id->empty()) ids_.try_emplace(*id, node);
        if (Is(node, "input") && TypeOf(node) == "radio") radios.push_back(node);
        else if (Is(node, "select")) selects.push_back(node);
        if (IsSubmitButton(node)) buttons.push_back(node);
    }
    // Form owners need every id, so the groups are built after the walk.
    for (const xmlNode* radio : radios) {
        RadioGroup& group = radioGroups_[RadioGroupKey(radio)];
        if (HasAttribute(radio, "checked")) group.checked = radio;
        if (HasAttribute(radio, "required")) group.required = true;
    }
    std::unordered_set<const xmlNode*> formsWithDefault;
    for (const xmlNode* button : buttons) {
        const xmlNode* form = FormOwner(button);
        if (form && formsWithDefault.insert(form).second) defaultButtons_.insert(button);
    }
    for (const xmlNode* select : selects) {
        std::vector<const xmlNode*> options;
        for (const xmlNode* child = FirstChildElement(select); child; child = NextElement(child)) {
            if (Is(child, "option")) options.push_back(child);
            else if (Is(child, "optgroup"))
                for (const xmlNode* inner = FirstChildElement(child); inner; inner = NextElement(inner))
                    if (Is(inner, "option")) options.push_back(inner);
        }
        const bool single = ShowsOneOption(select);
        const xmlNode* chosen = nullptr;
        for (const xmlNode* option : options) {
            const bool selected = HasAttribute(option, "selected");
            selectedOptions_[option] = selected;
            if (selected && single) {
                if (chosen) selectedOptions_[chosen] = false;  // the last one wins
                chosen = option;
            }
        }
        if (single && !chosen) {
            for (const xmlNode* option : options) {
                if (IsDisabledOption(option)) continue;
                selectedOptions_[option] = true;
                chosen = option;
                break;
            }
        }
        bool anySelected = chosen != nullptr;
        for (const xmlNode* option : options) anySelected = anySelected || selectedOptions_[option];
        // The placeholder label option: a first option of empty value that stands for "no choice".
        const bool placeholder = single && chosen && chosen == (options.empty() ? nullptr : options.front()) &&
                                 ParentElement(chosen) == select && OptionValue(chosen).empty();
        if (!anySelected || placeholder) selectsWithoutValue_.insert(select);
    }
}

const xmlNode* FormStates::FormOwner(const xmlNode* element)
{
    if (std::optional<std::string> formId = AttributeText(element, "form")) {
        GatherDocument();
        const auto found = ids_.find(*formId);
        return found != ids_.end() && Is(found->second, "form") ? found->second : nullptr;
    }
    return NearestAncestor(formAncestors_, element,
                           [](const xmlNode*, const xmlNode* parent) { return Is(parent, "form"); });
}

std::string FormStates::RadioGroupKey(const xmlNode* radio)
{
    const std::optional<std::string> name = AttributeText(radio, "name");
    const auto address = [](const xmlNode* node) { return std::to_string(reinterpret_cast<std::uintptr_t>(node)); };
    std::string key = address(radio);
    if (!name || name->empty()) return key;  // a group of its own
    key = address(FormOwner(radio));
    key += '/';
    key += *name;
    return key;
}

const FormStates::RadioGroup* FormStates::GroupOf(const xmlNode* radio)
{
    GatherDocument();
    const auto found = radioGroups_.find(RadioGroupKey(radio));
    return found != radioGroups_.end() ? &found->second : nullptr;
}

bool FormStates::IsSelectedOption(const xmlNode* option)
{
    GatherDocument();
    const auto found = selectedOptions_.find(option);
    return found != selectedOptions_.end() ? found->second : HasAttribute(option, "selected");
}

bool FormStates::IsChecked(const xmlNode* element)
{
    if (Is(element, "option")) return IsSelectedOption(element);
    if (!Is(element, "input")) return false;
    const std::string type = TypeOf(element);
    if (type == "checkbox") return HasAttribute(element, "checked");
    if (type != "radio") return false;
    const RadioGroup* group = GroupOf(element);
    return group && group->checked == element;
}

bool FormStates::IsDefault(const xmlNode* element)
{
    if (Is(element, "option")) return HasAttribute(element, "selected");
    if (Is(element, "input")) {
        const std::string type = TypeOf(element);
        if (type == "checkbox" || type == "radio") return HasAttribute(element, "checked");
    }
    if (!IsSubmitButton(element)) return false;
    GatherDocument();
    return defaultButtons_.count(element) > 0;
}

bool FormStates::IsIndeterminate(const xmlNode* element)
{
    if (Is(element, "progress")) return !HasAttribute(element, "value");
    if (!Is(element, "input") || TypeOf(element) != "radio") return false;
    const RadioGroup* group = GroupOf(element);
    return !group || !group->checked;
}

bool FormStates::CanBeDisabled(const xmlNode* element)
{
    const std::string_view name = NameOf(element);
    return name == "button" || name == "input" || name == "select" || name == "textarea" || name == "optgroup" ||
           name == "option" || name == "fieldset";
}

bool FormStates::InDisabledFieldset(const xmlNode* element)
{
    // The first legend of a disabled fieldset stays enabled.
    return NearestAncestor(disablingFieldsets_, element, [](const xmlNode* child, const xmlNode* parent) {
               if (!Is(parent, "fieldset") || !HasAttribute(parent, "disabled")) return false;
               const xmlNode* legend = FirstChildElement(parent);
               while (legend && !Is(legend, "legend")) legend = NextElement(legend);
               return child != legend;
           }) != nullptr;
}

bool FormStates::IsDisabled(const xmlNode* element)
{
    const std::string_view name = NameOf(element);
    if (name == "option" || name == "optgroup") {
        // Also the options and groups of a disabled select, as browsers show them.
        if (name == "option" ? IsDisabledOption(element) : HasAttribute(element, "disabled")) return true;
        const xmlNode* parent = ParentElement(element);
        if (name == "option" && Is(parent, "optgroup")) parent = ParentElement(parent);
        return Is(parent, "select") && IsDisabled(parent);
    }
    if (name != "button" && name != "input" && name != "select" && name != "textarea" && name != "fieldset")
        return false;
    return HasAttribute(element, "disabled") || InDisabledFieldset(element);
}

bool FormStates::IsRequired(const xmlNode* element)
{
    if (Is(element, "input")) return RequiredApplies(TypeOf(element)) && HasAttribute(element, "required");
    return (Is(element, "select") || Is(element, "textarea")) && HasAttribute(element, "required");
}

bool FormStates::IsOptional(const xmlNode* element)
{
    const std::string_view name = NameOf(element);
    return (name == "input" || name == "select" || name == "textarea" || name == "button") && !IsRequired(element);
}

bool FormStates::IsReadWrite(const xmlNode* element)
{
    if (Is(element, "input"))
        return ReadonlyApplies(TypeOf(element)) && !HasAttribute(element, "readonly") && !IsDisabled(element);
    if (Is(element, "textarea")) return !HasAttribute(element, "readonly") && !IsDisabled(element);
    // Editable content: the nearest contenteditable with a known value decides.
    std::vector<const xmlNode*> path;
    bool editable = false;
    for (const xmlNode* node = element; node; node = ParentElement(node)) {
        const auto known = editable_.find(node);
        if (known != editable_.end()) {
            editable = known->second;
            break;
        }
        path.push_back(node);
        std::string scratch;
        std::string_view value;
        if (AttributeValue(node, "contenteditable", &value, &scratch)) {
            const std::string lower = LowerAscii(value);
            if (lower.empty() || lower == "true" || lower == "plaintext-only") {
                editable = true;
                break;
            }
            if (lower == "false") break;
        }
    }
    for (const xmlNode* node : path) editable_.emplace(node, editable);
    return editable;
}

std::string FormStates::ControlValue(const xmlNode* element, const std::string& type)
{
    if (Is(element, "textarea")) return ChildText(element);
    const std::optional<std::string> value = AttributeText(element, "value");
    return SanitizedValue(type, value ? *value : "");
}

bool FormStates::IsPlaceholderShown(const xmlNode* element)
{
    if (!HasAttribute(element, "placeholder")) return false;
    if (Is(element, "textarea")) return ChildText(element).empty();
    if (!Is(element, "input")) return false;
    const std::string type = TypeOf(element);
    return PlaceholderApplies(type) && ControlValue(element, type).empty();
}

bool FormStates::IsBarredFromValidation(const xmlNode* element)
{
    if (IsDisabled(element)) return true;
    // readonly bars an input of any type from validation in browsers, not only
    // the types it makes read-only.
    if ((Is(element, "textarea") || Is(element, "input")) && HasAttribute(element, "readonly")) return true;
    return NearestAncestor(datalistAncestors_, element,
                           [](const xmlNode*, const xmlNode* parent) { return Is(parent, "datalist"); }) != nullptr;
}

// Underflow, overflow and (unless rangeOnly) a value off the step grid.
bool FormStates::SuffersFromRangeOrStep(const xmlNode* element, const std::string& type, bool rangeOnly)
{
    if (type == "range") return false;  // its value is clamped and snapped into range
    const std::optional<double> value = InputNumber(type, ControlValue(element, type));
    if (!value) return false;
    const std::optional<std::string> minText = AttributeText(element, "min");
    const std::optional<std::string> maxText = AttributeText(element, "max");
    const std::optional<double> min = minText ? InputNumber(type, *minText) : std::nullopt;
    const std::optional<double> max = maxText ? InputNumber(type, *maxText) : std::nullopt;
    if (type == "time" && min && max && *min > *max) {  // a range across midnight
        if (*value < *min && *value > *max) return true;
    } else if ((min && *value < *min) || (max && *value > *max)) {
        return true;
    }
    if (rangeOnly || !min) return false;  // without min the step counts from the value itself
    const std::optional<double> step = InputStep(type, AttributeText(element, "step"));
    if (!step) return false;
    const double steps = (*value - *min) / *step;
    return std::fabs(steps - std::round(steps)) > 1e-9 * std::max(1.0, std::fabs(steps));
}

// An empty value is never under or over the range, so it counts as in range
// even without min or max, as browsers show it.
int FormStates::RangeState(const xmlNode* element)
{
    if (!Is(element, "input")) return -1;
    const std::string type = TypeOf(element);
    if (!IsRangedInputType(type) || IsBarredFromValidation(element)) return -1;
    if (type == "range" || !InputNumber(type, ControlValue(element, type))) return 0;
    const std::optional<std::string> minText = AttributeText(element, "min");
    const std::optional<std::string> maxText = AttributeText(element, "max");
    if (!(minText && InputNumber(type, *minText)) && !(maxText && InputNumber(type, *maxText))) return -1;
    return SuffersFromRangeOrStep(element, type, true) ? 1 : 0;
}

bool FormStates::SuffersFromMissingValue(const xmlNode* element)
{
    if (Is(element, "textarea")) return HasAttribute(element, "required") && ChildText(element).empty();
    if (Is(element, "select")) {
        GatherDocument();
        return HasAttribute(element, "required") && selectsWithoutValue_.count(element) > 0;
    }
    const std::string type = TypeOf(element);
    if (type == "radio") {
        const RadioGroup* group = GroupOf(element);
        return group && group->required && !group->checked;
    }
    if (!RequiredApplies(type) || !HasAttribute(element, "required")) return false;
    if (type == "checkbox") return !HasAttribute(element, "checked");
    if (type == "file") return true;  // no file is chosen on a fresh page
    return ControlValue(element, type).empty();
}

const FormStates::ControlFacts& FormStates::FactsOf(const xmlNode* control)
{
    const auto known = controls_.find(control);
    if (known != controls_.end()) return known->second;
    ControlFacts facts;
    const std::string_view name = NameOf(control);
    std::string type;
    if (name == "input") {
        type = TypeOf(control);
        facts.candidate = type != "hidden" && type != "reset" && type != "button" && type != "image";
    } else {
        facts.candidate = name == "select" || name == "textarea" || (name == "button" && IsSubmitButton(control));
    }
    facts.candidate = facts.candidate && !IsBarredFromValidation(control);
    if (facts.candidate && name != "button") {
        facts.invalid = SuffersFromMissingValue(control);
        if (!facts.invalid && name == "input") {
            const std::string value = ControlValue(control, type);
            if (type == "email" && !value.empty())
                facts.invalid = !IsValidEmailList(value, HasAttribute(control, "multiple"));
            else if (type == "url" && !value.empty())
                facts.invalid = !IsValidAbsoluteUrl(value);
            else if (IsRangedInputType(type))
                facts.invalid = SuffersFromRangeOrStep(control, type, false);
            if (!facts.invalid && !value.empty() && PatternApplies(type))
                if (const std::optional<std::string> pattern = AttributeText(control, "pattern"))
                    facts.invalid = ValueMismatchesPattern(*pattern, value);
        }
    }
    return controls_.emplace(control, facts).first->second;
}

int FormStates::Validity(const xmlNode* element)
{
    const std::string_view name = NameOf(element);
    if (name == "form" || name == "fieldset") {
        if (!containersGathered_) {
            containersGathered_ = true;
            const xmlNode* top = reinterpret_cast<const xmlNode*>(doc_);
            for (const xmlNode* node = doc_ ? doc_->children : nullptr; node;
                 node = NextInDocumentOrder(node, top)) {
                if (!IsElement(node)) continue;
                const std::string_view controlName = NameOf(node);
                if (controlName != "input" && controlName != "select" && controlName != "textarea") continue;
                if (!FactsOf(node).invalid) continue;
                if (const xmlNode* form = FormOwner(node)) invalidContainers_.insert(form);
                // Above an element already walked every fieldset is marked.
                for (const xmlNode* up = ParentElement(node); up && walkedUp_.insert(up).second;
                     up = ParentElement(up))
                    if (Is(up, "fieldset")) invalidContainers_.insert(up);
            }
        }
        return invalidContainers_.count(element) ? 1 : 0;
    }
    if (name != "input" && name != "select" && name != "textarea" && name != "button") return -1;
    const ControlFacts& facts = FactsOf(element);
    if (!facts.candidate) return -1;
    return facts.invalid ? 1 : 0;
}

}  // namespace xq::css
