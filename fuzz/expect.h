// The fuzz targets' check: a failed expectation traps, and libFuzzer keeps
// the input that did it.
#pragma once

inline void Expect(bool condition)
{
    if (!condition)
        __builtin_trap();
}
