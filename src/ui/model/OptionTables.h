#pragma once
// The fixed tables of the options page: interface languages and User-Agent rows.

#include <QString>

struct TLanguageRow {
    const char* displayName;
    const char* code;
    int languageId;  // 0 stands for any system language
};
constexpr int LanguageRowCount = 2;
const TLanguageRow& LanguageRow(int aRow);

struct TUserAgentRow {
    const char* displayName;
    const char* userAgent;
};
constexpr int UserAgentRowCount = 17;
constexpr int CustomUserAgentRow = 16;
const TUserAgentRow& UserAgentRow(int aRow);  // 0..16
