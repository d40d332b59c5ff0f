// Basic types shared by every store.
#pragma once

#include <cstdint>

// A 32-bit boolean result: nonzero for success. Stores return it and never throw.
using TvBool = int32_t;
