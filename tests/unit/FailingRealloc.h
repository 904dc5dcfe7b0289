#pragma once
// The C heap's realloc as the code under test sees it (the unit tests link with --wrap=realloc):
// one chosen call can be made to fail, as it does when memory runs out.

#include <cstddef>

namespace failing_realloc {

// Counts realloc calls from now on; the call with this number (from 0) fails, -1 for none.
void Arm(long failingCall);
// The calls counted since Arm.
long Calls();

}  // namespace failing_realloc
