#pragma once

#include "options.h"

namespace tallux::cli {

// Turns the standard forms of the data that a method would draw as another
// number into the data the method takes, noting each change in the request's
// notes: an ISBN-13 (978, hyphens allowed) becomes its nine-digit ISBN body,
// a hyphenated ISBN-10 its nine digits, an eight-digit UPC-E (number system 0)
// its six digits, a ZIP, ZIP+4 or ZIP+4+2 with hyphens or blanks its digits,
// and an Interleaved 2 of 5 code of odd length gets a leading zero. For Code
// 128 it puts the code set letter of --set in front, and for an image chooses
// the set (--set auto) when the code does not begin with A, B or C.
// A check digit given wrong is a warning. `image` is false for the trace,
// which shows the method's own handling of the data exactly as given, as
// --raw does for any target. Raises UsageError for a form that the method
// cannot draw (an ISBN-13 beginning 979, UPC-E number system 1, Code 128
// data that no one set encodes) and for --set on the trace or with --raw.
void prepareData(DrawRequest& request, bool image);

} // namespace tallux::cli
