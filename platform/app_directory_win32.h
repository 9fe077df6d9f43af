// The Windows rule for the application directory, apart from the module
// path it is applied to.
#pragma once

#include <string>

// Everything before the last backslash of modulePath, found by the C
// runtime's multibyte search in the code page in force; empty when there is
// no backslash.
std::string ModuleDirectory(const char* modulePath);
