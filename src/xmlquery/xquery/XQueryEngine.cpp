#include "xmlquery/xquery/XQueryEngine.h"

namespace xq::xquery {

Status Evaluate(xmlDoc*, std::uint64_t, const std::string&, Language, std::vector<ResultItem>& out,
                std::string* error) {
    out.clear();
    if (error) *error = "not ready";
    return Status::InternalError;
}

bool IsValid(const std::string&, Language, std::string* error) {
    if (error) *error = "not ready";
    return false;
}

}  // namespace xq::xquery
