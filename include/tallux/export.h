#pragma once

// What the shared libraries export. They are built with hidden visibility;
// the public headers wrap their declarations in TALLUX_PUBLIC_BEGIN and
// TALLUX_PUBLIC_END, so only the public API is seen from outside, and
// TALLUX_API marks single declarations (the server's C entry points).
// The Windows server exports through its module definition file instead.
#if defined(_WIN32)
#define TALLUX_API
#define TALLUX_PUBLIC_BEGIN
#define TALLUX_PUBLIC_END
#else
#define TALLUX_API __attribute__((visibility("default")))
#define TALLUX_PUBLIC_BEGIN _Pragma("GCC visibility push(default)")
#define TALLUX_PUBLIC_END _Pragma("GCC visibility pop")
#endif
