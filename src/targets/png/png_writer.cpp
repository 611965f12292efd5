#include "targets/png/png_writer.h"

#include <array>
#include <bit>
#include <cmath>
#include <cstdint>
#include <cstring>
#include <memory>
#include <string_view>
#include <vector>

#include <zlib.h>

namespace tallux {

namespace {

// ---- The deflate stream: fixed Huffman codes and two kinds of match -------
//
// A barcode image is rows repeated many times over, and runs of one colour
// within a row. Instead of a general compressor, each byte is either a
// literal, a copy of the byte before it (a run), or a copy of the byte one
// row up; identical rows become copies of the row above without looking at
// them byte by byte. zlib packs the same rows smaller but reads every byte,
// and takes as long as zint's whole file for a label (see the README's speed
// figures), so it only sums the rows here and checks the chunks.

// A code, with any extra bits after it, as it goes out: bit-reversed, ready
// to go out first bit first.
struct Bits {
    std::uint32_t bits;
    std::uint8_t count;
};

constexpr std::uint16_t reversed(std::uint16_t code, int length)
{
    std::uint16_t r = 0;
    for (int i = 0; i < length; ++i) r = static_cast<std::uint16_t>(r << 1 | ((code >> i) & 1));
    return r;
}

// The fixed literal/length code of the deflate format.
constexpr std::array<Bits, 288> literalCodes = [] {
    std::array<Bits, 288> t{};
    for (int v = 0; v < 288; ++v) {
        int code = 0, length = 0;
        if (v < 144)
            code = 0x30 + v, length = 8;
        else if (v < 256)
            code = 0x190 + (v - 144), length = 9;
        else if (v < 280)
            code = v - 256, length = 7;
        else
            code = 0xC0 + (v - 280), length = 8;
        t[static_cast<std::size_t>(v)] = {reversed(static_cast<std::uint16_t>(code), length),
                                          static_cast<std::uint8_t>(length)};
    }
    return t;
}();
static_assert(literalCodes.size() == 288 && literalCodes[0].count == 8);

// Match lengths 3..258: symbol 257.. with extra bits.
constexpr std::array<std::uint16_t, 29> lengthBase = {3,  4,  5,  6,   7,   8,   9,   10,  11, 13,
                                                      15, 17, 19, 23,  27,  31,  35,  43,  51, 59,
                                                      67, 83, 99, 115, 131, 163, 195, 227, 258};
constexpr std::array<std::uint8_t, 29> lengthExtra = {0, 0, 0, 0, 0, 0, 0, 0, 1, 1, 1, 1, 2, 2, 2,
                                                      2, 3, 3, 3, 3, 4, 4, 4, 4, 5, 5, 5, 5, 0};
// Distances 1..32768: code 0.. with extra bits.
constexpr std::array<std::uint16_t, 30> distanceBase = {
    1,   2,   3,   4,   5,   7,    9,    13,   17,   25,   33,   49,   65,    97,    129,
    193, 257, 385, 513, 769, 1025, 1537, 2049, 3073, 4097, 6145, 8193, 12289, 16385, 24577};
constexpr std::array<std::uint8_t, 30> distanceExtra = {0, 0, 0,  0,  1,  1,  2,  2,  3,  3,
                                                        4, 4, 5,  5,  6,  6,  7,  7,  8,  8,
                                                        9, 9, 10, 10, 11, 11, 12, 12, 13, 13};
static_assert(lengthBase.size() == lengthExtra.size() &&
              distanceBase.size() == distanceExtra.size());

// The fixed five-bit distance codes, bit-reversed.
constexpr std::array<std::uint16_t, 30> distanceCodes = [] {
    std::array<std::uint16_t, 30> t{};
    for (std::uint16_t d = 0; d < 30; ++d) t[d] = reversed(d, 5);
    return t;
}();
static_assert(distanceCodes[1] == 0x10 && distanceCodes[29] == 0x17);

constexpr std::size_t minMatch = 3, maxMatch = 258, maxDistance = 32768;

// Bits first to last into bytes, least significant bit first, four bytes at
// a time into room reserved beforehand.
class BitWriter {
public:
    BitWriter(std::string& out, std::size_t room)
        : out_(out)
        , buffer_(std::make_unique_for_overwrite<char[]>(room + 16))
        , at_(buffer_.get())
    {
    }

    void put(std::uint32_t bits, int count)
    {
        acc_ |= static_cast<std::uint64_t>(bits) << used_;
        used_ += count;
        if (used_ >= 32) {
            const auto word = static_cast<std::uint32_t>(acc_);
            const char bytes[4] = {static_cast<char>(word), static_cast<char>(word >> 8),
                                   static_cast<char>(word >> 16), static_cast<char>(word >> 24)};
            std::memcpy(at_, bytes, 4);
            at_ += 4;
            acc_ >>= 32;
            used_ -= 32;
        }
    }
    void flush()
    {
        for (; used_ > 0; used_ -= 8, acc_ >>= 8) *at_++ = static_cast<char>(acc_ & 0xFF);
        used_ = 0;
        out_.append(buffer_.get(), at_);
    }

private:
    std::string& out_;
    std::unique_ptr<char[]> buffer_;
    char* at_;
    std::uint64_t acc_ = 0;
    int used_ = 0;
};

// The distance code of a distance 1..32768.
constexpr std::size_t distanceCode(std::size_t distance)
{
    if (distance <= 4) return distance - 1;
    const auto high = static_cast<std::size_t>(std::bit_width(distance - 1) - 1);
    return 2 * high + (((distance - 1) >> (high - 1)) & 1);
}
static_assert(distanceCode(5) == 4 && distanceCode(7) == 5 && distanceCode(244) == 15 &&
              distanceCode(32768) == 29 && distanceCode(24577) == 29 && distanceCode(24576) == 28);

// The length symbol's code and extra bits of every match length 3..258.
constexpr std::array<Bits, 259> lengthCodes = [] {
    std::array<Bits, 259> t{};
    for (std::size_t l = 0; l < lengthBase.size(); ++l) {
        const Bits code = literalCodes[257 + l];
        const std::size_t last = l + 1 < lengthBase.size() ? lengthBase[l + 1] - 1u : maxMatch;
        for (std::size_t length = lengthBase[l]; length <= last; ++length)
            t[length] = {code.bits | static_cast<std::uint32_t>(length - lengthBase[l])
                                         << code.count,
                         static_cast<std::uint8_t>(code.count + lengthExtra[l])};
    }
    return t;
}();
static_assert(lengthCodes[3].count == 7 && lengthCodes[258].count == 8 &&
              lengthCodes[257].count == 13);

// The distance code and extra bits of a distance 1..32768.
constexpr Bits distanceBits(std::size_t distance)
{
    const std::size_t d = distanceCode(distance);
    return {static_cast<std::uint32_t>(distanceCodes[d]) |
                static_cast<std::uint32_t>(distance - distanceBase[d]) << 5,
            static_cast<std::uint8_t>(5 + distanceExtra[d])};
}
static_assert(distanceBits(1).count == 5 && distanceBits(32768).count == 18);

class Deflater {
public:
    // `line`: the distance of copies from the row above, coded once.
    Deflater(std::string& out, std::size_t room, std::size_t line)
        : bits_(out, room)
        , lineDistance_(distanceBits(std::min(line, maxDistance)))
        , line_(line)
    {
        bits_.put(1, 1); // the last block
        bits_.put(1, 2); // with the fixed codes
    }

    void literal(unsigned char byte) { symbol(byte); }

    // A copy of `length` bytes from `distance` back, in pieces of at most
    // 258; the bytes themselves, `distance` of them repeating from `pattern`,
    // go out as literals where the copy is too short to be a match.
    void copy(std::size_t length, std::size_t distance, const unsigned char* pattern)
    {
        if (length < minMatch || distance > maxDistance) {
            for (std::size_t k = 0; k < length; ++k) literal(pattern[k % distance]);
            return;
        }
        while (length > 0) {
            std::size_t piece = std::min(length, maxMatch);
            // Leave no remainder too short to be a match.
            if (length - piece > 0 && length - piece < minMatch) piece = length - minMatch;
            match(piece, distance);
            length -= piece;
        }
    }

    void finish()
    {
        symbol(256);
        bits_.flush();
    }

private:
    void symbol(std::size_t v) { bits_.put(literalCodes[v].bits, literalCodes[v].count); }

    // Length and distance, at most 13 + 18 bits, in one piece.
    void match(std::size_t length, std::size_t distance)
    {
        const Bits l = lengthCodes[length];
        const Bits d = distance == line_ ? lineDistance_ : distanceBits(distance);
        bits_.put(l.bits | d.bits << l.count, l.count + d.count);
    }

    BitWriter bits_;
    Bits lineDistance_;
    std::size_t line_;
};

// How many bytes from `at` repeat the bytes from `from` (which lies before
// it), up to `limit`; eight at a time.
std::size_t matchLength(const unsigned char* at, const unsigned char* from, std::size_t limit)
{
    std::size_t n = 0;
    while (n + 8 <= limit) {
        std::uint64_t a = 0, b = 0;
        std::memcpy(&a, at + n, 8);
        std::memcpy(&b, from + n, 8);
        if (a != b) return n + static_cast<std::size_t>(std::countr_zero(a ^ b) / 8);
        n += 8;
    }
    while (n < limit && at[n] == from[n]) ++n;
    return n;
}

// One scanline (its filter byte first) that differs from the row above:
// runs and copies from the row above where they are long enough, literals
// elsewhere. `row` is preceded in memory by the row above, `stride` before.
void deflateRow(Deflater& z, const unsigned char* row, std::size_t size, std::size_t stride,
                bool rowAbove)
{
    const bool upward = rowAbove && stride <= maxDistance;
    // The first three bytes alike, read as one word (a byte past the row is
    // readable and ignored).
    const auto starts = [](const unsigned char* a, const unsigned char* b) {
        std::uint32_t u = 0, v = 0;
        std::memcpy(&u, a, 4);
        std::memcpy(&v, b, 4);
        constexpr std::uint32_t firstThree =
            std::endian::native == std::endian::little ? 0x00FFFFFFu : 0xFFFFFF00u;
        return ((u ^ v) & firstThree) == 0;
    };
    std::size_t i = 0;
    if (!rowAbove) z.literal(row[i++]); // the stream's first byte: nothing before it
    while (i < size) {
        const std::size_t limit = std::min(maxMatch, size - i);
        std::size_t run = 0, up = 0;
        // Only where three bytes match is a match worth measuring.
        if (limit >= minMatch) {
            if (starts(row + i, row + i - 1)) run = matchLength(row + i, row + i - 1, limit);
            // The copy from above is taken only where it is longer than the
            // run, so only where it also holds at the byte that ended the run.
            if (upward && run < limit && row[i + run] == row[i + run - stride] &&
                starts(row + i, row + i - stride))
                up = matchLength(row + i, row + i - stride, limit);
        }
        if (std::max(run, up) >= minMatch) {
            const bool fromAbove = up > run;
            const std::size_t length = fromAbove ? up : run;
            z.copy(length, fromAbove ? stride : 1, fromAbove ? row + i - stride : row + i - 1);
            i += length;
        } else {
            z.literal(row[i]);
            ++i;
        }
    }
}

// ---- The PNG file ----------------------------------------------------------

enum class ColourType : std::uint8_t { Grey = 0, Rgb = 2, Rgba = 6 };

void putBigEndian(std::string& out, std::uint32_t v)
{
    const char bytes[4] = {static_cast<char>(v >> 24), static_cast<char>(v >> 16),
                           static_cast<char>(v >> 8), static_cast<char>(v)};
    out.append(bytes, 4);
}

// Length, type, data, and the CRC of type and data.
void putChunk(std::string& out, std::string_view type, std::string_view data)
{
    putBigEndian(out, static_cast<std::uint32_t>(data.size()));
    const std::size_t typeAt = out.size();
    out.append(type);
    out.append(data);
    const auto* crcFrom = reinterpret_cast<const Bytef*>(out.data() + typeAt);
    putBigEndian(out, static_cast<std::uint32_t>(
                          crc32(0, crcFrom, static_cast<uInt>(type.size() + data.size()))));
}

// One row of the surface as a scanline: filter byte 0 (none), then grey or
// red, green, blue bytes. False when a grey scanline meets a colour.
bool scanline(const unsigned char* pixels, int width, ColourType colour, unsigned char* out)
{
    *out++ = 0;
    if (colour == ColourType::Grey) {
        // Blue, and whether green differs from blue or red from green.
        std::uint32_t colourful = 0;
        for (int x = 0; x < width; ++x) {
            std::uint32_t px = 0;
            std::memcpy(&px, pixels + 4 * x, 4);
            colourful |= (px ^ (px >> 8)) & 0xFFFF;
            out[x] = static_cast<unsigned char>(px);
        }
        return colourful == 0;
    }
    if (colour == ColourType::Rgba) {
        // Premultiplied in the surface, straight in the file.
        for (int x = 0; x < width; ++x) {
            std::uint32_t px = 0;
            std::memcpy(&px, pixels + 4 * x, 4);
            const std::uint32_t a = px >> 24;
            const auto straight = [a](std::uint32_t c) {
                return static_cast<unsigned char>(a == 0 ? 0 : (c * 255 + a / 2) / a);
            };
            out[4 * x] = straight((px >> 16) & 0xFF);
            out[4 * x + 1] = straight((px >> 8) & 0xFF);
            out[4 * x + 2] = straight(px & 0xFF);
            out[4 * x + 3] = static_cast<unsigned char>(a);
        }
        return true;
    }
    for (int x = 0; x < width; ++x) {
        std::uint32_t px = 0;
        std::memcpy(&px, pixels + 4 * x, 4);
        out[3 * x] = static_cast<unsigned char>(px >> 16);
        out[3 * x + 1] = static_cast<unsigned char>(px >> 8);
        out[3 * x + 2] = static_cast<unsigned char>(px);
    }
    return true;
}

// The Adler-32 of `count` copies of a line whose own checksum is `line`, by
// doubling.
uLong repeatedAdler(uLong line, std::size_t length, std::size_t count)
{
    uLong result = 1, power = line;
    std::size_t powerLength = length;
    for (; count > 0; count >>= 1) {
        if (count & 1) result = adler32_combine(result, power, static_cast<z_off_t>(powerLength));
        if (count > 1) {
            power = adler32_combine(power, power, static_cast<z_off_t>(powerLength));
            powerLength *= 2;
        }
    }
    return result;
}

// Whether row y repeats the row above: known from the drawing, or compared.
bool repeatsAbove(const unsigned char* pixels, int y, int width, int stride,
                  const std::uint8_t* known)
{
    if (y == 0) return false;
    if (known != nullptr && known[y] != 0) return true;
    return std::memcmp(pixels, pixels - stride, 4 * static_cast<std::size_t>(width)) == 0;
}

// The zlib stream of every scanline, or nothing when a grey image turns out
// to have colour.
std::string imageData(const unsigned char* data, int width, int height, int stride,
                      ColourType colour, const std::uint8_t* known)
{
    const std::size_t channels = colour == ColourType::Grey ? 1 : colour == ColourType::Rgb ? 3 : 4;
    const std::size_t line = 1 + channels * static_cast<std::size_t>(width);
    // The scanline above and this one, side by side, as the stream has them.
    std::vector<unsigned char> rows(2 * line + 4); // a spare word for `starts`
    unsigned char* above = rows.data();
    unsigned char* current = rows.data() + line;

    std::string out("\x78\x01", 2); // deflate, 32K window, fastest
    // At worst nine bits a byte, a literal each.
    Deflater z(out, line * static_cast<std::size_t>(height) * 9 / 8 + 64, line);
    uLong adler = adler32(0, nullptr, 0);
    std::size_t repeated = 0; // rows equal to the row above, not yet written
    uLong lineAdler = 1;      // of the row above
    const auto writeRepeated = [&] {
        if (repeated == 0) return;
        z.copy(repeated * line, line, above);
        adler = adler32_combine(adler, repeatedAdler(lineAdler, line, repeated),
                                static_cast<z_off_t>(repeated * line));
        repeated = 0;
    };
    for (int y = 0; y < height; ++y) {
        const unsigned char* pixels = data + static_cast<std::ptrdiff_t>(y) * stride;
        if (repeatsAbove(pixels, y, width, stride, known)) {
            ++repeated;
            continue;
        }
        writeRepeated();
        if (!scanline(pixels, width, colour, current)) return {};
        deflateRow(z, current, line, line, y > 0);
        lineAdler = adler32(1, current, static_cast<uInt>(line));
        adler = adler32_combine(adler, lineAdler, static_cast<z_off_t>(line));
        std::memcpy(above, current, line);
    }
    writeRepeated();
    z.finish();
    putBigEndian(out, static_cast<std::uint32_t>(adler));
    return out;
}

} // namespace

std::string encodePng(cairo_surface_t* image, double dpi,
                      const std::vector<std::uint8_t>& sameAsAbove)
{
    if (cairo_surface_get_type(image) != CAIRO_SURFACE_TYPE_IMAGE) return {};
    const cairo_format_t format = cairo_image_surface_get_format(image);
    if (format != CAIRO_FORMAT_RGB24 && format != CAIRO_FORMAT_ARGB32) return {};
    cairo_surface_flush(image);
    const unsigned char* data = cairo_image_surface_get_data(image);
    const int width = cairo_image_surface_get_width(image);
    const int height = cairo_image_surface_get_height(image);
    const int stride = cairo_image_surface_get_stride(image);
    if (data == nullptr || width <= 0 || height <= 0) return {};

    const std::uint8_t* known =
        sameAsAbove.size() == static_cast<std::size_t>(height) ? sameAsAbove.data() : nullptr;
    ColourType colour = format == CAIRO_FORMAT_ARGB32 ? ColourType::Rgba : ColourType::Grey;
    std::string idat = imageData(data, width, height, stride, colour, known);
    if (idat.empty()) {
        colour = ColourType::Rgb;
        idat = imageData(data, width, height, stride, colour, known);
    }

    std::string png("\x89PNG\r\n\x1a\n", 8);
    png.reserve(idat.size() + 128);
    std::string header;
    putBigEndian(header, static_cast<std::uint32_t>(width));
    putBigEndian(header, static_cast<std::uint32_t>(height));
    // Bit depth 8, the colour type, deflate, adaptive filtering, no interlace.
    header += {'\x08', static_cast<char>(colour), '\0', '\0', '\0'};
    putChunk(png, "IHDR", header);
    if (dpi > 0) {
        // Pixels per metre on both axes, unit 1 (the metre).
        const auto perMetre = static_cast<std::uint32_t>(std::lround(dpi / 0.0254));
        std::string phys;
        putBigEndian(phys, perMetre);
        putBigEndian(phys, perMetre);
        phys += '\x01';
        putChunk(png, "pHYs", phys);
    }
    putChunk(png, "IDAT", idat);
    putChunk(png, "IEND", {});
    return png;
}

} // namespace tallux
