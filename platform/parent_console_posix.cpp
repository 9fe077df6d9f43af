#include "parent_console.h"

void UseParentConsole() {}

void LeaveParentConsole() {}
