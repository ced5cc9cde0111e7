#pragma once
// libxml2 needs one global initialisation, and its 2.9 error handler is per thread:
// without one set on each thread, XPath and parser errors print to stderr.

namespace xq {

// Initialises libxml2 once per process and installs a silent structured error
// handler on the calling thread (once per thread). Cheap after the first call.
void EnsureLibxmlForThread();

}  // namespace xq
