// States that depend on ancestors (disabled fieldsets, forms, datalists,
// languages, directions, editable content, SVG) on a deep page with many
// controls at the bottom: each ancestor chain is read once, not once per control.

#include "CssCount.h"
#include "xmlquery/HtmlDocument.h"
#include "xmlquery/css/CssSelector.h"

#include <gtest/gtest.h>

#include <string>

namespace {

TEST(CssStatesLargePage, AncestorStatesOfManyControlsUnderDeepNesting)
{
    constexpr int kDepth = 1500;
    constexpr int kControls = 3000;
    std::string html = "<form><fieldset disabled><legend>l</legend>";
    for (int i = 0; i < kDepth; ++i) html += i % 2 ? "<div lang=de dir=rtl>" : "<section contenteditable=false>";
    for (int i = 0; i < kControls; ++i) html += "<input required name=n" + std::to_string(i) + ">";
    for (int i = 0; i < kDepth; ++i) html += i % 2 ? "</section>" : "</div>";
    html += "</fieldset><x-y><input type=email value=bad></x-y></form>";
    const xq::XmlDocPtr doc = xq::ParseHtmlDocument(html);
    EXPECT_EQ(CountFound(doc.get(), "input:disabled"), std::size_t(kControls));
    EXPECT_EQ(CountFound(doc.get(), "input:enabled:invalid"), 1u);
    EXPECT_EQ(CountFound(doc.get(), "input:valid, input:read-write"), 1u);
    EXPECT_EQ(CountFound(doc.get(), "form:invalid, fieldset:valid"), 2u);
    EXPECT_EQ(CountFound(doc.get(), "input:lang(de):dir(rtl):defined"), std::size_t(kControls));
    EXPECT_EQ(CountFound(doc.get(), ":not(:defined)"), 1u);
    EXPECT_EQ(CountFound(doc.get(), "input:read-only"), std::size_t(kControls));
}

}  // namespace
