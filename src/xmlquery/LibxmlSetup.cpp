#include "xmlquery/LibxmlSetup.h"

#include <libxml/parser.h>
#include <libxml/xmlerror.h>

#include <mutex>

namespace xq {
namespace {

void IgnoreError(void*, xmlErrorPtr) {}

}  // namespace

void EnsureLibxmlForThread()
{
    static std::once_flag initialised;
    std::call_once(initialised, [] { xmlInitParser(); });
    thread_local bool handlerSet = false;
    if (!handlerSet) {
        xmlSetStructuredErrorFunc(nullptr, IgnoreError);
        handlerSet = true;
    }
}

}  // namespace xq
