#pragma once
// The program's version as the About panel shows it.

#include <QString>

// Four numbers joined by ".": major, minor, release and build of the project's
// version in the build (a missing number is 0).
QString GetVersionString();
