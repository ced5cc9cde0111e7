#pragma once
// How many elements a selector finds, for the tests of large pages; a selector
// that does not compile fails the test.

#include "xmlquery/css/CssSelector.h"

#include <gtest/gtest.h>

#include <string>

inline std::size_t CountFound(xmlDoc* doc, const std::string& selector)
{
    std::string error;
    const xq::css::CompiledSelector compiled = xq::css::Compile(selector, &error);
    EXPECT_TRUE(compiled) << selector << ": " << error;
    return compiled ? xq::css::Select(*compiled, doc).size() : 0;
}
