#pragma once
// The form pseudo-classes (:checked, :disabled, :valid, ...) of a page that has
// just loaded: every state comes from the markup (checked, selected, disabled,
// value, min, max, ...), never from user input. Document-wide facts (radio
// groups, selected options, default buttons, invalid forms) are gathered once,
// on first use, so each question costs about one lookup.

#include "xmlquery/css/AncestorMemo.h"
#include "xmlquery/css/ForeignElements.h"
#include "xmlquery/css/SelectorTypes.h"

#include <libxml/tree.h>

#include <string>
#include <string_view>
#include <unordered_map>
#include <unordered_set>

namespace xq::css {

class FormStates {
public:
    FormStates(xmlDoc* doc, ForeignElements& foreign) : doc_(doc), foreign_(foreign) {}

    // kind is one of the form states of SimpleKind.
    bool Matches(SimpleKind kind, const xmlNode* element);

private:
    struct RadioGroup {
        const xmlNode* checked = nullptr;  // the last radio with `checked`: it unchecks the earlier ones
        bool required = false;
    };
    struct ControlFacts {
        bool candidate = false;  // takes part in constraint validation
        bool invalid = false;
    };

    bool IsChecked(const xmlNode* element);
    bool IsDefault(const xmlNode* element);
    bool IsIndeterminate(const xmlNode* element);
    bool IsDisabled(const xmlNode* element);
    bool IsEnabled(const xmlNode* element) { return CanBeDisabled(element) && !IsDisabled(element); }
    bool IsRequired(const xmlNode* element);
    bool IsOptional(const xmlNode* element);
    bool IsReadWrite(const xmlNode* element);
    bool IsPlaceholderShown(const xmlNode* element);
    int RangeState(const xmlNode* element);  // -1 no range, 0 in range, 1 out of range
    int Validity(const xmlNode* element);    // -1 neither, 0 valid, 1 invalid

    static bool CanBeDisabled(const xmlNode* element);
    bool InDisabledFieldset(const xmlNode* element);
    bool IsBarredFromValidation(const xmlNode* element);
    const xmlNode* FormOwner(const xmlNode* element);
    std::string RadioGroupKey(const xmlNode* radio);
    const RadioGroup* GroupOf(const xmlNode* radio);
    bool IsSelectedOption(const xmlNode* option);
    std::string ControlValue(const xmlNode* element, const std::string& type);
    bool SuffersFromMissingValue(const xmlNode* element);
    bool SuffersFromRangeOrStep(const xmlNode* element, const std::string& type, bool rangeOnly);
    const ControlFacts& FactsOf(const xmlNode* control);

    void GatherDocument();

    xmlDoc* doc_;
    ForeignElements& foreign_;
    AncestorAnswers formAncestors_, disablingFieldsets_, datalistAncestors_;
    std::unordered_set<const xmlNode*> walkedUp_;  // ancestors of invalid controls already marked
    bool gathered_ = false;
    std::unordered_map<std::string, const xmlNode*> ids_;  // first element of each id
    std::unordered_map<std::string, RadioGroup> radioGroups_;
    std::unordered_map<const xmlNode*, bool> selectedOptions_;  // options of select elements
    std::unordered_set<const xmlNode*> defaultButtons_;
    std::unordered_set<const xmlNode*> selectsWithoutValue_;  // nothing chosen, or only the placeholder
    bool containersGathered_ = false;
    std::unordered_set<const xmlNode*> invalidContainers_;  // forms and fieldsets holding an invalid control
    std::unordered_map<const xmlNode*, ControlFacts> controls_;
    std::unordered_map<const xmlNode*, bool> editable_;  // contenteditable, inherited
};

}  // namespace xq::css
