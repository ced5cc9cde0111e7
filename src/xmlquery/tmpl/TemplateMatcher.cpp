// Applies a parsed template to a page: depth-first search over page elements
// in document order with backtracking, bounded by a step budget.

#include "xmlquery/Interruption.h"
#include "xmlquery/tmpl/HtmlTemplate.h"
#include "xmlquery/tmpl/PageIndex.h"
#include "xmlquery/tmpl/PageText.h"
#include "xmlquery/tmpl/TemplateModel.h"
#include "xmlquery/tmpl/TemplateText.h"

#include <algorithm>
#include <map>
#include <memory>
#include <unordered_map>

namespace xq::tmpl {

namespace {

// Memo tables stop growing here (tens of MB at most, several workers apply
// templates at once); matching stays correct, only slower.
constexpr std::size_t kMaxMemoEntries = 1'000'000;

std::uint64_t Key(int a, int b) {
    return (std::uint64_t(std::uint32_t(a)) << 32) | std::uint32_t(b);
}

bool HasClass(std::string_view classes, std::string_view wanted) {
    std::size_t i = 0;
    while (i < classes.size()) {
        while (i < classes.size() && IsHtmlSpace(classes[i])) ++i;
        const std::size_t from = i;
        while (i < classes.size() && !IsHtmlSpace(classes[i])) ++i;
        if (classes.substr(from, i - from) == wanted) return true;
    }
    return false;
}

class Matcher {
public:
    Matcher(const Template& tmpl, xmlDoc* doc, std::uint64_t budget)
        : tmpl_(tmpl), page_(doc), budget_(budget) {
        candidates_.reserve(tmpl.elements.size());
        failed_.resize(tmpl.elements.size());
        for (const TemplateElement& e : tmpl.elements) candidates_.push_back(&page_.WithName(e.name));
    }

    std::vector<Item> Run() {
        std::vector<Item> out;
        int pos = 0;
        const int n = page_.Size();
        std::vector<int> chosen;
        while (pos < n) {
            if (!FindSequence(tmpl_.roots, pos, n, &chosen)) break;
            // Re-walking a found match only repeats work already paid for.
            collecting_ = true;
            for (std::size_t j = 0; j < chosen.size(); ++j) Collect(tmpl_.roots[j], chosen[j], out);
            collecting_ = false;
            pos = page_.End(chosen.back());
        }
        return out;
    }

    ApplyStats Stats() const { return ApplyStats{steps_, exhausted_}; }

private:
    const TemplateElement& El(int t) const { return tmpl_.elements[std::size_t(t)]; }

    bool Step(std::uint64_t n = 1) {
        guard_.Tick();
        steps_ += n;
        if (!collecting_ && steps_ > budget_) exhausted_ = true;
        return !exhausted_;
    }

    // A sequence that cannot start at or after s within [s, b) cannot start
    // within any narrower range either. The nearest recorded start at or before
    // the asked one is checked; dominated records are not kept, so on nested
    // pages that nearest record is usually the one that decides.
    bool KnownToFail(int t, int start, int bound) const {
        const auto& records = failed_[std::size_t(t)];
        auto it = records.upper_bound(start);
        if (it == records.begin()) return false;
        --it;
        return it->second >= bound;
    }

    void RecordFailure(int t, int start, int bound) {
        if (exhausted_ || KnownToFail(t, start, bound) || failedCount_ >= kMaxMemoEntries) return;
        auto& records = failed_[std::size_t(t)];
        auto [it, inserted] = records.emplace(start, bound);
        if (!inserted) it->second = std::max(it->second, bound);
        else ++failedCount_;
    }

    // The first sequence, in document order, of page elements in [start, bound)
    // matching the template elements kids one after another, each after the
    // end of the previous one's subtree. Iterative, so many siblings cost no stack.
    bool FindSequence(const std::vector<int>& kids, int start, int bound, std::vector<int>* chosen) {
        const std::size_t k = kids.size();
        if (k == 0) return true;
        if (KnownToFail(kids[0], start, bound)) return false;
        std::vector<int> starts(k), picked(k), limit(k);
        std::vector<std::size_t> cursor(k);
        const auto enter = [&](std::size_t i, int from) {
            const std::vector<int>& c = *candidates_[std::size_t(kids[i])];
            starts[i] = from;
            limit[i] = bound;
            cursor[i] = std::size_t(std::lower_bound(c.begin(), c.end(), from) - c.begin());
        };
        // The rest of the sequence failed after candidate d, so it fails after
        // every later candidate outside d's subtree as well: only d's
        // descendants remain worth trying at this position.
        const auto restAfterFailed = [&](std::size_t i, int d) {
            limit[i] = std::min(limit[i], page_.End(d));
        };
        enter(0, start);
        std::size_t i = 0;
        for (;;) {
            const std::vector<int>& c = *candidates_[std::size_t(kids[i])];
            bool descended = false;
            while (cursor[i] < c.size() && c[cursor[i]] < limit[i]) {
                const int d = c[cursor[i]++];
                if (!Step()) return false;
                if (!Match(kids[i], d)) {
                    if (exhausted_) return false;
                    continue;
                }
                picked[i] = d;
                if (i + 1 == k) {
                    if (chosen) *chosen = picked;
                    return true;
                }
                const int next = page_.End(d);
                if (KnownToFail(kids[i + 1], next, bound)) {
                    restAfterFailed(i, d);
                    continue;
                }
                enter(i + 1, next);
                ++i;
                descended = true;
                break;
            }
            if (descended) continue;
            RecordFailure(kids[i], starts[i], bound);
            if (i == 0) return false;
            --i;
            restAfterFailed(i, picked[i]);
        }
    }

    bool Match(int t, int d) {
        const std::uint64_t key = Key(t, d);
        if (const auto it = matched_.find(key); it != matched_.end()) return it->second;
        const TemplateElement& e = El(t);
        bool ok = AttributesMatch(e, page_.Node(d));
        if (ok && !e.elementPlaceholder && !e.children.empty())
            ok = FindSequence(e.children, d + 1, page_.End(d), nullptr);
        if (ok && !e.texts.empty()) ok = TextsMatch(e, d);
        if (exhausted_) return false;
        if (matched_.size() < kMaxMemoEntries) matched_.emplace(key, ok);
        return ok;
    }

    static bool AttributesMatch(const TemplateElement& e, const xmlNode* n) {
        for (const TemplateAttribute& a : e.attributes) {
            const xmlAttr* pa = FindAttribute(n, a.name);
            if (!pa) return false;
            if (a.placeholder || a.presenceOnly) continue;
            const std::string value = AttributeValue(pa);
            if (a.name == "class") {
                for (const std::string& cls : a.classes)
                    if (!HasClass(value, cls)) return false;
            } else if (value != a.value) {
                return false;
            }
        }
        return true;
    }

    bool TextsMatch(const TemplateElement& e, int d) {
        if (!text_) {
            text_ = std::make_unique<PageText>(page_.Doc(), page_);
            if (!Step(text_->Cost())) return false;
        }
        const std::string_view text = text_->Of(d);
        for (const std::string& piece : e.texts) {
            if (!Step(1 + text.size() / 64)) return false;
            if (text.find(piece) == std::string_view::npos) return false;
        }
        return true;
    }

    void Collect(int t, int d, std::vector<Item>& out) {
        const TemplateElement& e = El(t);
        xmlNode* n = page_.Node(d);
        for (const TemplateAttribute& a : e.attributes) {
            if (!a.placeholder) continue;
            Item item;
            if (const xmlAttr* pa = FindAttribute(n, a.name)) item.text = AttributeValue(pa);
            out.push_back(std::move(item));
        }
        if (e.elementPlaceholder) {
            out.push_back(Item{n, {}});
            return;
        }
        if (e.children.empty()) return;
        std::vector<int> chosen;
        if (!FindSequence(e.children, d + 1, page_.End(d), &chosen)) return;
        for (std::size_t j = 0; j < chosen.size(); ++j) Collect(e.children[j], chosen[j], out);
    }

    const Template& tmpl_;
    PageIndex page_;
    std::uint64_t budget_;
    LoopGuard guard_{CurrentEvaluation()};
    std::uint64_t steps_ = 0;
    bool exhausted_ = false;
    bool collecting_ = false;
    std::vector<const std::vector<int>*> candidates_;  // page elements per template element
    std::unordered_map<std::uint64_t, bool> matched_;  // (template element, page element)
    // Per template element: start of a sequence that failed -> largest bound it failed within.
    std::vector<std::map<int, int>> failed_;
    std::size_t failedCount_ = 0;
    std::unique_ptr<PageText> text_;  // built when a text condition is first checked
};

}  // namespace

std::vector<Item> Apply(const Template& tmpl, xmlDoc* doc, std::uint64_t stepBudget,
                        ApplyStats* stats) {
    if (stats) *stats = {};
    if (!doc || tmpl.placeholderCount == 0) return {};
    Matcher matcher(tmpl, doc, stepBudget);
    std::vector<Item> items = matcher.Run();
    if (stats) *stats = matcher.Stats();
    return items;
}

std::vector<Item> Apply(const Template& tmpl, xmlDoc* doc) {
    return Apply(tmpl, doc, kDefaultStepBudget, nullptr);
}

}  // namespace xq::tmpl
