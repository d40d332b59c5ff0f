// Records the largest single allocation made through operator new since the last reset, so a
// test can tell that a declared size was never allocated.
#pragma once

#include <cstddef>

namespace tvtest {

void ResetLargestAllocation();
std::size_t LargestAllocation();

}  // namespace tvtest
