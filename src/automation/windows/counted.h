#pragma once

#include <atomic>

#include "automation/windows/win32.h"

// AddRef and Release of a COM object that deletes itself when its last
// reference goes; `refs` is its std::atomic<ULONG> count, starting at 1.
#define TALLUX_COUNTED_REFERENCES(refs)                                                            \
    ULONG STDMETHODCALLTYPE AddRef() override                                                      \
    {                                                                                              \
        return ++(refs);                                                                           \
    }                                                                                              \
    ULONG STDMETHODCALLTYPE Release() override                                                     \
    {                                                                                              \
        const ULONG left = --(refs);                                                               \
        if (left == 0) delete this;                                                                \
        return left;                                                                               \
    }
