#include "system/Platform.h"

PlatformCalls& Platform()
{
    static PlatformCalls calls;
    return calls;
}
