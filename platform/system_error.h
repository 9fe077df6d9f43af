// The system's words for one of its error codes: an errno value here, a
// Windows error code there (GetLastError, a registry call's result). Any
// thread.
#pragma once

#include <string>

std::string SystemErrorText(int code);
