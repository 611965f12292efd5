#include "runtime/text.h"

#ifdef _WIN32
#ifndef NOMINMAX
#define NOMINMAX
#endif
#include <windows.h>
#else
#include <array>
#endif

namespace tallux {

#ifdef _WIN32

// The system's ANSI code page, as the host runtime reads a character there.
int ansiCode(char16_t c) noexcept
{
    const auto wide = static_cast<wchar_t>(c);
    const UINT codePage = ::GetACP();
    // UTF-8 takes neither the flag nor the question whether the default was used.
    const bool utf8 = codePage == CP_UTF8;
    char bytes[4];
    BOOL defaulted = FALSE;
    const int n = ::WideCharToMultiByte(codePage, utf8 ? 0 : WC_NO_BEST_FIT_CHARS, &wide, 1, bytes,
                                        sizeof bytes, nullptr, utf8 ? nullptr : &defaulted);
    if (n < 1 || n > 2 || defaulted) return '?';
    if (n == 1) return static_cast<unsigned char>(bytes[0]);
    const int code =
        static_cast<unsigned char>(bytes[0]) << 8 | static_cast<unsigned char>(bytes[1]);
    return code >= 0x8000 ? code - 0x10000 : code;
}

#else

int ansiCode(char16_t c) noexcept
{
    // Windows-1252 positions 0x80..0x9F; 0 where the code page has no character.
    static constexpr std::array<char16_t, 32> high = {
        0x20AC, 0x0081, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021, 0x02C6, 0x2030, 0x0160,
        0x2039, 0x0152, 0x008D, 0x017D, 0x008F, 0x0090, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022,
        0x2013, 0x2014, 0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x009D, 0x017E, 0x0178};
    if (c < 0x80 || (c >= 0xA0 && c <= 0xFF)) return c;
    for (std::size_t i = 0; i < high.size(); ++i)
        if (high[i] == c) return static_cast<int>(0x80 + i);
    return '?';
}

#endif

} // namespace tallux
