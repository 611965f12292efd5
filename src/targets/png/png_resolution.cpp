#include <array>
#include <cmath>
#include <cstdint>
#include <string_view>

#include "tallux/cairo_target.h"

namespace tallux {

namespace {

constexpr std::array<std::uint32_t, 256> crcTable = [] {
    std::array<std::uint32_t, 256> table{};
    for (std::uint32_t n = 0; n < 256; ++n) {
        std::uint32_t c = n;
        for (int k = 0; k < 8; ++k) c = (c & 1) ? 0xEDB88320u ^ (c >> 1) : c >> 1;
        table[n] = c;
    }
    return table;
}();
static_assert(crcTable.size() == 256 && crcTable[1] == 0x77073096u);

std::uint32_t crc32(std::string_view bytes)
{
    std::uint32_t c = 0xFFFFFFFFu;
    for (char b : bytes) c = crcTable[(c ^ static_cast<unsigned char>(b)) & 0xFF] ^ (c >> 8);
    return c ^ 0xFFFFFFFFu;
}

void putBigEndian(std::string& out, std::uint32_t v)
{
    for (int shift = 24; shift >= 0; shift -= 8) out += static_cast<char>((v >> shift) & 0xFF);
}

constexpr std::string_view signature = "\x89PNG\r\n\x1a\n";
constexpr std::size_t headerEnd = 8 + 4 + 4 + 13 + 4; // signature, then the IHDR chunk

} // namespace

std::string withResolution(std::string png, double dpi)
{
    if (png.size() < headerEnd || std::string_view(png).substr(0, 8) != signature ||
        std::string_view(png).substr(12, 4) != "IHDR" || !(dpi > 0))
        return png;
    // pHYs: pixels per metre on both axes, unit 1 (the metre).
    const auto perMetre = static_cast<std::uint32_t>(std::lround(dpi / 0.0254));
    std::string body = "pHYs";
    putBigEndian(body, perMetre);
    putBigEndian(body, perMetre);
    body += '\x01';
    std::string chunk;
    putBigEndian(chunk, 9);
    chunk += body;
    putBigEndian(chunk, crc32(body));
    png.insert(headerEnd, chunk);
    return png;
}

} // namespace tallux
