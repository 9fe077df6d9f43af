// Every Windows desktop session has its window system.
#include "window_platform.h"

CWindowPlatformGuard::CWindowPlatformGuard(const char*) {}

CWindowPlatformGuard::~CWindowPlatformGuard() = default;
