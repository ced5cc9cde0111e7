#pragma once
// Counters of the XQuery engine, on all threads together. Tests read them to see
// that a page is built once and reused, and that engines live only as long as
// the threads that use them.

namespace xq::xquery {

int PageBuildCount();    // page DOMs built so far
int LiveEngineCount();   // engines that exist now

}  // namespace xq::xquery
