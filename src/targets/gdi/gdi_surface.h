#pragma once

#include <string>
#include <string_view>

#include <windows.h>

namespace tallux::gdi {

// The font a target asks for: a face name, a size in points and a weight.
struct FontRequest {
    std::wstring face; // at most LF_FACESIZE - 1 characters
    int points = 8;
    bool bold = false;
    friend bool operator==(const FontRequest&, const FontRequest&) = default;
};

// The extent of a text in logical units.
struct TextExtent {
    double width = 0, height = 0;
};

// The box, text and measuring calls of a target on one device context, in
// its logical units. A null DC raises 91, a call that the DC refuses raises 5;
// either way the DC is left with the objects and text settings it had.
class Surface {
public:
    explicit Surface(HDC dc) noexcept
        : dc_(dc)
    {
    }
    ~Surface();
    Surface(const Surface&) = delete;
    Surface& operator=(const Surface&) = delete;

    // Raises 91 when there is no DC.
    void check() const;
    // Fills left..right-1, top..bottom-1 with a solid colour.
    void fill(const RECT& box, COLORREF color);
    // Draws s with its top-left corner at (x, y); returns the logical y
    // distance to the next line, which is below on the device (negative
    // where the mapping's y runs up).
    double text(int x, int y, const FontRequest& font, COLORREF color, std::wstring_view s);
    TextExtent measure(const FontRequest& font, std::wstring_view s);

private:
    // The font for the DC as its resolution and mapping stand now; kept
    // while they and the request stay the same.
    HFONT font(const FontRequest& request);
    TextExtent extent(std::wstring_view s);
    // +1 where the logical y grows down the device, -1 where it grows up.
    double downwards();

    HDC dc_;
    HFONT font_ = nullptr;
    LOGFONTW made_{};
};

} // namespace tallux::gdi
