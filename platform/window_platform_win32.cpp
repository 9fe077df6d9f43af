// Every Windows desktop session has its window system.
#include "window_platform.h"

bool WindowPlatformAvailable() { return true; }
