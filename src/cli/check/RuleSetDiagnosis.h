#pragma once
// The command line's strict reading of a rule-set file. The window's loader
// keeps what it can read of a damaged file; a run from the command line refuses
// the file instead and says where it stopped and what is allowed there.

#include <QString>

// Empty when every set and rule of the file has its members with the right
// JSON types and codes in range; otherwise one message naming the place
// ("line 3, column 14: ...", "set 1 "Main", rule 2 "Price": ...").
QString DiagnoseRuleSetFile(const QString& aFileName);
