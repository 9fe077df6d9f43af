#include <windows.h>

#include "beep.h"

void PlayBeep() { Beep(600, 500); }
