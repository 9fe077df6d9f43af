// Background threads whose work can wait (the site's log) give way to
// intake: under a flood the connection threads come first.
#pragma once

// Lowers the calling thread's scheduling priority a step below normal.
void LowerThisThreadsPriority();
