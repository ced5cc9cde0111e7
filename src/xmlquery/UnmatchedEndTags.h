#pragma once
// libxml2's HTML parser looks an end tag up in its whole stack of open
// elements; one that matches none is dropped only after that walk, so many
// such tags under deep nesting cost depth x tags. This pass rewrites the end
// tags that cannot match any open element into a construct the parser drops
// without the walk. Internal to the query library.

#include <string>
#include <string_view>

namespace xq {

// The page as libxml2's HTML parser should read it: the same text with every
// end tag whose name no earlier start tag (nor an implied element) carries
// replaced by "<html></html>", which the parser counts as a misplaced tag pair
// and drops without touching its stack, leaving the same tree. Only end tags
// the parser reads as markup are touched (not text of script, style, comments,
// attribute values). Returns the text itself, or storage when it changed
// something. One pass over the text.
std::string_view DropUnmatchedEndTags(std::string_view html, std::string& storage);

}  // namespace xq
