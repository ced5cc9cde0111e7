#pragma once
// The parser behind TJsonNode::Parse.

#include "json/JsonNode.h"

class TJsonParser {
public:
    // Fills aRoot with the document in aJson; on error aRoot is left an empty
    // object and EJsonException is thrown.
    static void ParseInto(TJsonNode& aRoot, const QString& aJson);
};
