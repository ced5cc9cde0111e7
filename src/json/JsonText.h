#pragma once
// Text forms shared by the parser and the node model: number literals in both
// directions, independent of the user's locale.

#include <QString>

namespace JsonText {

// The value of a number literal read with a point as decimal separator;
// 0 when the literal is not a number, +-infinity when it overflows.
double ReadNumber(const QString& Literal);

// The literal of a number: whole numbers below 1e15 in magnitude as plain
// integers, others in the shortest form that reads back to the same value.
QString WriteNumber(double Number);

}  // namespace JsonText
