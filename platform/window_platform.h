// Without a windowing system Qt ends the whole process while the application
// is being made. Kept alive around that construction, the guard turns such
// an end into the caller's one line on standard error and status 1.
#pragma once

class CWindowPlatformGuard {
public:
    // line: what to print, ending in a newline, when no platform starts.
    explicit CWindowPlatformGuard(const char* line);
    // The application exists: what the platform said meanwhile is passed on.
    ~CWindowPlatformGuard();
    CWindowPlatformGuard(const CWindowPlatformGuard&) = delete;
    CWindowPlatformGuard& operator=(const CWindowPlatformGuard&) = delete;
};
