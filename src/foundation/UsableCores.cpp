#include "foundation/UsableCores.h"

#include <sched.h>
#include <thread>

int UsableCores()
{
    cpu_set_t cores;
    CPU_ZERO(&cores);
    if (sched_getaffinity(0, sizeof cores, &cores) == 0 && CPU_COUNT(&cores) > 0)
        return CPU_COUNT(&cores);
    const unsigned all = std::thread::hardware_concurrency();
    return all > 0 ? static_cast<int>(all) : 1;
}
