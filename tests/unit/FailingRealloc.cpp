#include "FailingRealloc.h"

extern "C" void* __real_realloc(void* block, size_t size);

namespace {
long Failing = -1;
long Counted = 0;
}  // namespace

extern "C" void* __wrap_realloc(void* block, size_t size)
{
    if (Counted++ == Failing)
        return nullptr;
    return __real_realloc(block, size);
}

namespace failing_realloc {

void Arm(long failingCall)
{
    Failing = failingCall;
    Counted = 0;
}

long Calls()
{
    return Counted;
}

}  // namespace failing_realloc
