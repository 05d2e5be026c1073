#include "platform/Yield.h"

#include <windows.h>

void ProcessorYield()
{
    Sleep(0);
}
