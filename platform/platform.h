// What the program needs of the operating system beyond Qt. Each facility
// has a header of its own and one source file per platform.
#pragma once

#include "beep.h"
#include "diagnostic_file.h"
#include "instance_lock.h"
#include "journal.h"
#include "runtime_dir.h"
#include "tone_player.h"
