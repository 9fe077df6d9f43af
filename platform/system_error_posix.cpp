#include "system_error.h"

#include <system_error>

std::string SystemErrorText(int code) { return std::generic_category().message(code); }
