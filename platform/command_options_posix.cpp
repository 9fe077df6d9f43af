#include "command_options.h"

std::span<const CCommandOption> PlatformCommandOptions() { return {}; }
