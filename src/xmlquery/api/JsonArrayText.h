#pragma once
// The result text of an evaluation: a JSON array of strings, numbers and booleans.

#include <string>
#include <string_view>

namespace xq::api {

class JsonArrayText {
public:
    JsonArrayText() : text_("[") {}
    void AddString(std::string_view utf8);
    // Whole numbers print as integers; NaN and the infinities, which JSON lacks,
    // become the strings XPath's string() gives them.
    void AddNumber(double value);
    void AddBoolean(bool value);
    std::size_t Count() const { return count_; }
    // Closes the array; the object is spent afterwards.
    std::string Finish() &&;

private:
    void Separate();
    std::string text_;
    std::size_t count_ = 0;
};

}  // namespace xq::api
