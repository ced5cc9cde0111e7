#pragma once
// How many page DOMs the XQuery engine has built, on all threads together.
// Tests read it to see that a page is built once and then reused.

namespace xq::xquery {

int PageBuildCount();

}  // namespace xq::xquery
