#pragma once

#include <string>
#include <string_view>

#include "tallux/types.h"

// The runtime's text services, each in one place.
namespace tallux {

// Val: the number at the start of a text. Blanks, tabs and line feeds are
// ignored wherever they stand; an optional sign, decimals and an exponent are
// read, &H and &O introduce hexadecimal and octal numbers, reading stops at
// the first character that cannot continue the number, and a text without a
// number gives 0. Overflow (6) for a number beyond the Double range.
double Val(std::u16string_view text);

// A number written as decimal text, without leading or trailing blanks: plain
// digits for whole values below 10^15, exponent notation (1E+15) beyond.
String decimalText(double value);

// The text without leading and trailing spaces (spaces only).
String trimBlanks(std::u16string_view text);

// The code of a character in the ANSI code page: the system's on Windows,
// Windows-1252 elsewhere. A double-byte character's code is lead * 256 +
// trail as a 16-bit signed number, as the host runtime gives it; a character
// that the code page lacks has the code of "?", 63.
int ansiCode(char16_t c) noexcept;

// Asc: the ANSI code of the first character; an empty text raises 5.
int Asc(std::u16string_view text);

// Left and Mid with 1-based positions counted in UTF-16 units. A negative
// length or a start below 1 raises 5, as the runtime does.
String Left(std::u16string_view text, int length);
String Mid(std::u16string_view text, int start);
String Mid(std::u16string_view text, int start, int length);

// InStr: the 1-based position of the first `what` in text, 0 if none.
int InStr(std::u16string_view text, char16_t what) noexcept;

} // namespace tallux
