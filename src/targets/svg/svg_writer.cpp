#include "targets/svg/svg_writer.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <cstdint>

namespace tallux {

namespace {

// The longest number putNumber writes: the shortest form of a double.
constexpr std::size_t numberRoom = 32;

// v in the shortest form that reads back as the same double: without an
// exponent over the range a drawing spans, so whole numbers have neither
// point nor exponent, and with one where it is shorter. Whole numbers, most
// of a drawing's, go the integer way, which is faster. Returns the end.
char* putNumber(char* p, double v)
{
    const double size = std::abs(v);
    if (size < 1e15) {
        if (const auto whole = static_cast<std::int64_t>(v); static_cast<double>(whole) == v)
            return std::to_chars(p, p + numberRoom, whole).ptr; // -0 as 0
        if (size >= 1e-3) {
            // A row of digits repeats its baseline and width: the last
            // conversion is kept.
            thread_local double lastNumber = 0;
            thread_local std::array<char, numberRoom> lastText{'0'};
            thread_local std::size_t lastSize = 1;
            if (v != lastNumber) {
                lastNumber = v;
                lastSize = static_cast<std::size_t>(std::to_chars(lastText.data(),
                                                                  lastText.data() + lastText.size(),
                                                                  v, std::chars_format::fixed)
                                                        .ptr -
                                                    lastText.data());
            }
            return std::copy_n(lastText.data(), lastSize, p);
        }
    }
    return std::to_chars(p, p + numberRoom, v).ptr;
}

void putNumber(std::string& out, double v)
{
    std::array<char, numberRoom> buf{};
    out.append(buf.data(), putNumber(buf.data(), v));
}

// A glyph outline coordinate to hundredths (a hundredth of a unit is far
// below what an outline shows).
void putHundredths(std::string& out, double v)
{
    const double hundredths = std::nearbyint(v * 100);
    putNumber(out, std::abs(hundredths) < 1e15 ? hundredths / 100 : v);
}

// Whether a and b share any area; touching edges share none.
bool overlap(const SvgBox& a, const SvgBox& b)
{
    return a.x0 < b.x1 && b.x0 < a.x1 && a.y0 < b.y1 && b.y0 < a.y1;
}

char* copy(char* p, std::string_view s)
{
    return std::copy(s.begin(), s.end(), p);
}

// Text for an XML attribute value or element content.
void putEscaped(std::string& out, std::string_view s)
{
    for (const char c : s) switch (c) {
        case '&': out += "&amp;"; break;
        case '<': out += "&lt;"; break;
        case '>': out += "&gt;"; break;
        case '"': out += "&quot;"; break;
        default: out += c;
        }
}

// A family name as a quoted CSS string: quote and backslash escaped,
// control characters as hexadecimal escapes.
std::string cssString(std::string_view name)
{
    std::string s = "'";
    for (const char c : name) {
        const auto byte = static_cast<unsigned char>(c);
        if (c == '\'' || c == '\\') {
            s += '\\';
            s += c;
        } else if (byte < 0x20 || byte == 0x7F) {
            constexpr char hex[] = "0123456789abcdef";
            s += '\\';
            s += hex[byte >> 4];
            s += hex[byte & 0xF];
            s += ' ';
        } else {
            s += c;
        }
    }
    return s + "'";
}

std::string_view trimmed(std::string_view s)
{
    while (!s.empty() && (s.front() == ' ' || s.front() == '\t')) s.remove_prefix(1);
    while (!s.empty() && (s.back() == ' ' || s.back() == '\t')) s.remove_suffix(1);
    return s;
}

bool sameName(std::string_view a, std::string_view b)
{
    return std::equal(a.begin(), a.end(), b.begin(), b.end(), [](char x, char y) {
        const auto lower = [](char c) { return c >= 'A' && c <= 'Z' ? char(c - 'A' + 'a') : c; };
        return lower(x) == lower(y);
    });
}

// The font-family list: every family asked for, the one fontconfig chose
// when it is not among them, then the generic sans-serif.
std::string familyList(std::string_view asked, std::string_view chosen)
{
    std::string list;
    bool chosenListed = chosen.empty();
    while (!asked.empty()) {
        const std::size_t comma = asked.find(',');
        const std::string_view name = trimmed(asked.substr(0, comma));
        asked = comma == std::string_view::npos ? std::string_view{} : asked.substr(comma + 1);
        if (name.empty()) continue;
        list += cssString(name) + ", ";
        chosenListed = chosenListed || sameName(name, chosen);
    }
    if (!chosenListed) list += cssString(chosen) + ", ";
    return list + "sans-serif";
}

} // namespace

namespace {

// The start of the file up to the drawing group, for a page size and
// transformation.
std::string header(double width, double height, const cairo_matrix_t& m)
{
    std::string s = "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n"
                    "<svg xmlns=\"http://www.w3.org/2000/svg\" version=\"1.1\" width=\"";
    putNumber(s, width);
    s += "pt\" height=\"";
    putNumber(s, height);
    s += "pt\" viewBox=\"0 0 ";
    putNumber(s, width);
    s += ' ';
    putNumber(s, height);
    // The white page, then the drawing in scale units.
    s += "\">\n<rect width=\"100%\" height=\"100%\" fill=\"#ffffff\"/>\n"
         "<g transform=\"matrix(";
    for (double v : {m.xx, m.yx, m.xy, m.yy, m.x0, m.y0}) {
        putNumber(s, v);
        s += ' ';
    }
    s.back() = ')';
    s += "\">\n";
    return s;
}

} // namespace

SvgWriter::SvgWriter()
{
    // A symbol with its digits fits; longer ones grow the buffer.
    out_.resize(8192);
    used_ = headerRoom;
}

char* SvgWriter::room(std::size_t n)
{
    if (out_.size() < used_ + n) out_.resize(std::max(2 * out_.size(), used_ + n));
    return out_.data() + used_;
}

void SvgWriter::wrote(const char* end)
{
    used_ = static_cast<std::size_t>(end - out_.data());
}

const SvgWriter::Colour& SvgWriter::colour(Rgb c)
{
    const auto same = [&](const Colour& k) {
        return k.set && k.rgb.red == c.red && k.rgb.green == c.green && k.rgb.blue == c.blue;
    };
    // Bars and spaces alternate: the colour before the last is the likelier.
    if (same(colours_[older_])) {
        older_ ^= 1;
        return colours_[older_ ^ 1];
    }
    if (same(colours_[older_ ^ 1])) return colours_[older_ ^ 1];
    Colour& k = colours_[older_];
    older_ ^= 1;
    constexpr char hex[] = "0123456789abcdef";
    k.text[0] = '#';
    std::size_t i = 1;
    for (double channel : {c.red, c.green, c.blue}) {
        const auto byte = static_cast<unsigned>(std::lround(std::clamp(channel, 0.0, 1.0) * 255));
        k.text[i++] = hex[byte >> 4];
        k.text[i++] = hex[byte & 0xF];
    }
    k.rgb = c;
    k.white = k.view() == "#ffffff";
    k.set = true;
    return k;
}

// Nothing but the white page lies under b: every box drawn so far in
// another colour than white ends left of it, and no text piece reaches it.
bool SvgWriter::untouched(const SvgBox& b) const
{
    if (b.x0 < inkRight_ || textCount_ > texts_.size()) return false;
    if (!overlap(b, textsAround_)) return true;
    for (std::size_t i = 0; i < textCount_; ++i) {
        if (overlap(b, texts_[i])) return false;
    }
    return true;
}

void SvgWriter::touch(const SvgBox& b)
{
    if (textCount_ < texts_.size()) texts_[textCount_] = b;
    textsAround_ = textCount_++ == 0
                       ? b
                       : SvgBox{std::min(textsAround_.x0, b.x0), std::min(textsAround_.y0, b.y0),
                                std::max(textsAround_.x1, b.x1), std::max(textsAround_.y1, b.y1)};
}

void SvgWriter::box(double x0, double y0, double x1, double y1, Rgb c)
{
    const Colour& fill = colour(c);
    const SvgBox b{x0, y0, x1, y1};
    if (fill.white) {
        if (untouched(b)) return;
    } else {
        inkRight_ = std::max(inkRight_, x1);
    }
    if (pathOpen_ && fill.text == pathColour_) {
        if (rect_.x1 == x0 && rect_.y0 == y0 && rect_.y1 == y1) {
            rect_.x1 = x1; // the same rectangle, wider
            return;
        }
        flushRect();
    } else {
        endPath();
        char* p = room(32);
        p = copy(p, "<path fill=\"");
        p = copy(p, fill.view());
        wrote(copy(p, "\" d=\""));
        pathColour_ = fill.text;
        pathOpen_ = true;
    }
    rect_ = b;
}

void SvgWriter::flushRect()
{
    char* p = room(8 + 4 * numberRoom);
    *p++ = 'M';
    p = putNumber(p, rect_.x0);
    *p++ = ' ';
    p = putNumber(p, rect_.y0);
    *p++ = 'H';
    p = putNumber(p, rect_.x1);
    *p++ = 'V';
    p = putNumber(p, rect_.y1);
    *p++ = 'H';
    p = putNumber(p, rect_.x0);
    *p++ = 'Z';
    wrote(p);
}

void SvgWriter::endPath()
{
    if (!pathOpen_) return;
    flushRect();
    wrote(copy(room(4), "\"/>\n"));
    pathOpen_ = false;
}

void SvgWriter::text(double x, double baseline, std::string_view tail, Rgb c, const SvgBox& ink)
{
    endPath();
    touch(ink);
    const Colour& fill = colour(c);
    char* p = room(32 + 2 * numberRoom + tail.size());
    p = copy(p, "<text x=\"");
    p = putNumber(p, x);
    p = copy(p, "\" y=\"");
    p = putNumber(p, baseline);
    p = copy(p, "\" fill=\"");
    p = copy(p, fill.view());
    *p++ = '"';
    wrote(copy(p, tail));
}

void SvgWriter::outline(double x, double y, std::string_view pathData, Rgb c, const SvgBox& ink)
{
    if (pathData.empty()) return;
    endPath();
    touch(ink);
    const Colour& fill = colour(c);
    char* p = room(64 + 2 * numberRoom + pathData.size());
    p = copy(p, "<path fill=\"");
    p = copy(p, fill.view());
    p = copy(p, "\" transform=\"translate(");
    p = putNumber(p, x);
    *p++ = ' ';
    p = putNumber(p, y);
    p = copy(p, ")\" d=\"");
    p = copy(p, pathData);
    wrote(copy(p, "\"/>\n"));
}

std::string SvgWriter::finish(double width, double height, const cairo_matrix_t& m)
{
    endPath();
    wrote(copy(room(16), "</g>\n</svg>\n"));
    // Pages of one size follow each other: the last header is kept.
    struct Kept {
        std::array<double, 8> key{};
        std::string text;
    };
    thread_local Kept kept;
    const std::array<double, 8> key{width, height, m.xx, m.yx, m.xy, m.yy, m.x0, m.y0};
    if (kept.text.empty() || kept.key != key) kept = {key, header(width, height, m)};
    // Into the room kept for it; a longer header moves the drawing along.
    out_.resize(used_);
    out_.replace(0, headerRoom, kept.text);
    used_ = headerRoom;
    return std::move(out_);
}

std::string svgTextTail(const SvgFont& font, double width, std::string_view utf8)
{
    std::string s = " font-family=\"";
    putEscaped(s, familyList(font.asked, font.chosen));
    s += "\" font-size=\"";
    putNumber(s, font.size);
    s += font.bold ? "\" font-weight=\"bold\"" : "\" font-weight=\"normal\"";
    if (width > 0) {
        s += " textLength=\"";
        putNumber(s, width);
        s += "\" lengthAdjust=\"spacingAndGlyphs\"";
    }
    // Spaces at the ends or side by side stay only where they are preserved.
    if (utf8.starts_with(' ') || utf8.ends_with(' ') || utf8.find("  ") != std::string_view::npos)
        s += " xml:space=\"preserve\"";
    s += '>';
    putEscaped(s, utf8);
    s += "</text>\n";
    return s;
}

bool svgTextCarries(std::string_view utf8)
{
    const auto byte = [&](std::size_t i) {
        return i < utf8.size() ? static_cast<unsigned char>(utf8[i]) : 0u;
    };
    for (std::size_t i = 0; i < utf8.size(); ++i) {
        const unsigned b = byte(i);
        if (b < 0x20 || b == 0x7F) return false;                     // C0 controls, DEL
        if (b == 0xC2 && byte(i + 1) >= 0x80 && byte(i + 1) <= 0x9F) // C1 controls
            return false;
        if (b == 0xE2 && byte(i + 1) == 0x80 && (byte(i + 2) == 0xA8 || byte(i + 2) == 0xA9))
            return false; // line and paragraph separators
        if (b == 0xEF && byte(i + 1) == 0xBF && byte(i + 2) >= 0xBE) // U+FFFE, U+FFFF
            return false;
    }
    return true;
}

std::string svgPathData(const cairo_path_t* path)
{
    std::string d;
    for (int i = 0; i < path->num_data; i += path->data[i].header.length) {
        const cairo_path_data_t* p = &path->data[i];
        const auto point = [&](int k) {
            putHundredths(d, p[k].point.x);
            d += ' ';
            putHundredths(d, p[k].point.y);
        };
        const bool last = i + p->header.length >= path->num_data;
        switch (p->header.type) {
        case CAIRO_PATH_MOVE_TO:
            if (last) break; // where the text ends: nothing is drawn from there
            d += 'M';
            point(1);
            break;
        case CAIRO_PATH_LINE_TO:
            d += 'L';
            point(1);
            break;
        case CAIRO_PATH_CURVE_TO:
            d += 'C';
            point(1);
            d += ' ';
            point(2);
            d += ' ';
            point(3);
            break;
        case CAIRO_PATH_CLOSE_PATH: d += 'Z'; break;
        }
    }
    return d;
}

} // namespace tallux
