// Whether the windowing system can be reached, asked before the Qt
// application exists: without one, Qt aborts the whole process.
#pragma once

bool WindowPlatformAvailable();
