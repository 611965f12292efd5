#include "targets/cairo/svg_writer.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <cstdint>

namespace tallux {

namespace {

// A coordinate in its shortest form at p: whole numbers without a point,
// others to hundredths without trailing zeros. Returns the end; 40 chars do.
char* putNumber(char* p, double v) {
    const double hundredths = std::nearbyint(v * 100);
    if (!(std::abs(hundredths) < 1e15)) return std::to_chars(p, p + 32, v).ptr;
    auto n = static_cast<std::int64_t>(hundredths);
    if (n < 0) {
        *p++ = '-';
        n = -n;
    }
    p = std::to_chars(p, p + 24, n / 100).ptr;
    if (const auto fraction = static_cast<int>(n % 100); fraction != 0) {
        *p++ = '.';
        *p++ = static_cast<char>('0' + fraction / 10);
        if (fraction % 10 != 0) *p++ = static_cast<char>('0' + fraction % 10);
    }
    return p;
}

void putNumber(std::string& out, double v) {
    std::array<char, 40> buf{};
    out.append(buf.data(), putNumber(buf.data(), v));
}

} // namespace

SvgWriter::SvgWriter(double width, double height, const cairo_matrix_t& m) {
    out_.reserve(16384);
    out_ += "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n"
            "<svg xmlns=\"http://www.w3.org/2000/svg\" version=\"1.1\" width=\"";
    putNumber(out_, width);
    out_ += "pt\" height=\"";
    putNumber(out_, height);
    out_ += "pt\" viewBox=\"0 0 ";
    putNumber(out_, width);
    out_ += ' ';
    putNumber(out_, height);
    // The white page, then the drawing in scale units.
    out_ += "\">\n<rect width=\"100%\" height=\"100%\" fill=\"#ffffff\"/>\n<g transform=\"matrix(";
    for (double v : {m.xx, m.yx, m.xy, m.yy, m.x0, m.y0}) {
        // The scale to full precision: a page is thousands of units wide.
        std::array<char, 32> buf{};
        out_.append(buf.data(), std::to_chars(buf.data(), buf.data() + buf.size(), v).ptr);
        out_ += ' ';
    }
    out_.back() = ')';
    out_ += "\">\n";
}

// "#rrggbb", kept for the last colour: bars and spaces repeat two.
std::string_view SvgWriter::colour(Rgb c) {
    if (!colourSet_ || c.red != colourOf_.red || c.green != colourOf_.green ||
        c.blue != colourOf_.blue) {
        constexpr char hex[] = "0123456789abcdef";
        colourText_[0] = '#';
        std::size_t i = 1;
        for (double channel : {c.red, c.green, c.blue}) {
            const auto byte =
                static_cast<unsigned>(std::lround(std::clamp(channel, 0.0, 1.0) * 255));
            colourText_[i++] = hex[byte >> 4];
            colourText_[i++] = hex[byte & 0xF];
        }
        colourOf_ = c;
        colourSet_ = true;
    }
    return {colourText_.data(), colourText_.size()};
}

void SvgWriter::box(double x0, double y0, double x1, double y1, Rgb c) {
    std::array<char, 256> buf{};
    char* p = buf.data();
    const auto put = [&](std::string_view text) { p = std::copy(text.begin(), text.end(), p); };
    put("<path fill=\"");
    put(colour(c));
    put("\" d=\"M");
    p = putNumber(p, x0);
    *p++ = ' ';
    p = putNumber(p, y0);
    *p++ = 'H';
    p = putNumber(p, x1);
    *p++ = 'V';
    p = putNumber(p, y1);
    *p++ = 'H';
    p = putNumber(p, x0);
    put("Z\"/>\n");
    out_.append(buf.data(), p);
}

void SvgWriter::text(double x, double y, std::string_view outline, Rgb c) {
    if (outline.empty()) return;
    out_ += "<path fill=\"";
    out_ += colour(c);
    out_ += "\" transform=\"translate(";
    putNumber(out_, x);
    out_ += ' ';
    putNumber(out_, y);
    out_ += ")\" d=\"";
    out_ += outline;
    out_ += "\"/>\n";
}

std::string SvgWriter::finish() {
    out_ += "</g>\n</svg>\n";
    return std::move(out_);
}

std::string svgPathData(const cairo_path_t* path) {
    std::string d;
    for (int i = 0; i < path->num_data; i += path->data[i].header.length) {
        const cairo_path_data_t* p = &path->data[i];
        const auto point = [&](int k) {
            putNumber(d, p[k].point.x);
            d += ' ';
            putNumber(d, p[k].point.y);
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
        case CAIRO_PATH_CLOSE_PATH:
            d += 'Z';
            break;
        }
    }
    return d;
}

} // namespace tallux
