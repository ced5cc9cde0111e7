#pragma once
// The option values that other pages read, always as the options page shows
// them at the moment of asking. The options page implements it.

#include "engine/RunSettings.h"

class IOptionValues {
public:
    virtual ~IOptionValues() = default;
    virtual TRunSettings RunSettings() const = 0;
    virtual bool KeepURLsOnImport() const = 0;
};
