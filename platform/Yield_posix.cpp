#include "platform/Yield.h"

#include <sched.h>

void ProcessorYield()
{
    sched_yield();
}
