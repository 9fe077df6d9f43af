#include <sys/resource.h>
#include <unistd.h>

#include "thread_priority.h"

void LowerThisThreadsPriority()
{
    // Linux gives each thread a nice value of its own; 10 is the usual
    // "background" step. A failure leaves the thread as it was.
    constexpr int kBackgroundNice = 10;
    setpriority(PRIO_PROCESS, static_cast<id_t>(gettid()), kBackgroundNice);
}
