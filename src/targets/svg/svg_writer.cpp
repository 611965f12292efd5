#include "targets/svg/svg_writer.h"

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstdio>

#include "targets/host/number_text.h"

namespace tallux {

namespace {

constexpr char hexDigits[] = "0123456789abcdef";

// writeNumber's text of v. A row of digits repeats its baseline and width:
// the last fraction written is kept as text.
char* putNumber(char* p, double v)
{
    if (writeSmallWhole(p, v)) return p;
    thread_local double last = 0;
    thread_local std::array<char, numberRoom> lastText{'0'};
    thread_local std::size_t lastSize = 1;
    if (v == last) return std::copy_n(lastText.data(), lastSize, p);
    char* const end = writeNumber(p, v);
    if (v != std::trunc(v)) {
        last = v;
        lastSize = static_cast<std::size_t>(std::copy(p, end, lastText.data()) - lastText.data());
    }
    return end;
}

void putNumber(std::string& out, double v)
{
    char text[numberRoom];
    out.append(text, putNumber(text, v));
}

// A glyph outline coordinate to hundredths (a hundredth of a unit is far
// below what an outline shows).
void putHundredths(std::string& out, double v)
{
    const double hundredths = std::nearbyint(v * 100);
    putNumber(out, std::abs(hundredths) < 1e15 ? hundredths / 100 : v);
}

char* copy(char* p, std::string_view s)
{
    return std::copy(s.begin(), s.end(), p);
}

// A packed colour as "#rrggbb".
char* putColour(char* p, std::uint32_t rgb)
{
    *p++ = '#';
    for (int shift = 20; shift >= 0; shift -= 4) *p++ = hexDigits[(rgb >> shift) & 0xF];
    return p;
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
            s += '\\';
            s += hexDigits[byte >> 4];
            s += hexDigits[byte & 0xF];
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

// The start of the file up to the drawing group, for a page size and
// transformation.
std::string header(double width, double height, const cairo_matrix_t& m,
                   std::optional<std::uint32_t> ground)
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
    // The ground, then the drawing in scale units.
    s += "\">\n";
    if (ground) {
        char colour[8];
        std::snprintf(colour, sizeof colour, "#%06x", *ground & 0xFFFFFFu);
        s += std::string("<rect width=\"100%\" height=\"100%\" fill=\"") + colour + "\"/>\n";
    }
    s += "<g transform=\"matrix(";
    for (double v : {m.xx, m.yx, m.xy, m.yy, m.x0, m.y0}) {
        putNumber(s, v);
        s += ' ';
    }
    s.back() = ')';
    s += "\">\n";
    return s;
}

} // namespace

ElementPage::ElementPage(double width, double height, const cairo_matrix_t& m,
                         std::optional<std::uint32_t> ground)
    : ground_(ground)
{
    // Pages of one size follow each other: the last header is kept.
    struct Kept {
        std::array<double, 9> key{};
        std::string text;
    };
    thread_local Kept kept;
    const double g = ground ? static_cast<double>(*ground) : -1.0;
    const std::array<double, 9> key{width, height, m.xx, m.yx, m.xy, m.yy, m.x0, m.y0, g};
    if (kept.text.empty() || kept.key != key) kept = {key, header(width, height, m, ground)};
    // A symbol with its digits fits; longer ones grow the buffer.
    out_.resize(8192);
    wrote(copy(room(kept.text.size()), kept.text));
}

char* ElementPage::room(std::size_t n)
{
    if (out_.size() < used_ + n) out_.resize(std::max(2 * out_.size(), used_ + n));
    return out_.data() + used_;
}

void ElementPage::wrote(const char* end)
{
    used_ = static_cast<std::size_t>(end - out_.data());
}

// Nothing but the white page lies under b: every box drawn so far in
// another colour than white ends left of it, and no text piece reaches it.
bool ElementPage::untouched(const UnitBox& b) const
{
    if (ground_ != 0xFFFFFFu || b.x0 < inkRight_ || textCount_ > texts_.size()) return false;
    if (!b.meets(textsAround_)) return true;
    return std::none_of(texts_.begin(), texts_.begin() + static_cast<std::ptrdiff_t>(textCount_),
                        [&](const UnitBox& t) { return b.meets(t); });
}

void ElementPage::touch(const UnitBox& b)
{
    if (textCount_ < texts_.size()) texts_[textCount_] = b;
    textsAround_ = textCount_++ == 0 ? b : textsAround_.around(b);
}

void ElementPage::box(double x0, double y0, double x1, double y1, Rgb c)
{
    const std::uint32_t rgb = packedRgb(c);
    const UnitBox b{x0, y0, x1, y1};
    if (rgb == 0xFFFFFF) {
        if (untouched(b)) return;
    } else {
        inkRight_ = std::max(inkRight_, x1);
    }
    if (pathOpen_ && rgb == pathColour_) {
        if (rect_.x1 == x0 && rect_.y0 == y0 && rect_.y1 == y1) {
            rect_.x1 = x1; // the same rectangle, wider
            return;
        }
        flushRect();
    } else {
        endPath();
        char* p = room(32);
        p = copy(p, "<path fill=\"");
        p = putColour(p, rgb);
        wrote(copy(p, "\" d=\""));
        pathColour_ = rgb;
        pathOpen_ = true;
    }
    rect_ = b;
}

void ElementPage::flushRect()
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

void ElementPage::endPath()
{
    if (!pathOpen_) return;
    flushRect();
    wrote(copy(room(4), "\"/>\n"));
    pathOpen_ = false;
}

void ElementPage::text(double x, double baseline, std::string_view tail, Rgb c, const UnitBox& ink)
{
    endPath();
    touch(ink);
    char* p = room(32 + 2 * numberRoom + tail.size());
    p = copy(p, "<text x=\"");
    p = putNumber(p, x);
    p = copy(p, "\" y=\"");
    p = putNumber(p, baseline);
    p = copy(p, "\" fill=\"");
    p = putColour(p, packedRgb(c));
    *p++ = '"';
    wrote(copy(p, tail));
}

void ElementPage::outline(double x, double y, std::string_view pathData, Rgb c, const UnitBox& ink)
{
    if (pathData.empty()) return;
    endPath();
    touch(ink);
    char* p = room(64 + 2 * numberRoom + pathData.size());
    p = copy(p, "<path fill=\"");
    p = putColour(p, packedRgb(c));
    p = copy(p, "\" transform=\"translate(");
    p = putNumber(p, x);
    *p++ = ' ';
    p = putNumber(p, y);
    p = copy(p, ")\" d=\"");
    p = copy(p, pathData);
    wrote(copy(p, "\"/>\n"));
}

std::string ElementPage::finish()
{
    endPath();
    wrote(copy(room(16), "</g>\n</svg>\n"));
    out_.resize(used_);
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
