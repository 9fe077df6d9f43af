#include "open_file_limit.h"

// A pipe instance is a handle, and handles have no per-process limit to raise.
void RaiseOpenFileLimit() {}
