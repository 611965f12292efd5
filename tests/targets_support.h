#pragma once

#include <algorithm>
#include <array>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <memory>
#include <sstream>
#include <string>
#include <vector>

#include <cstring>
#include <sys/wait.h>
#include <unistd.h>

#include <cairo.h>

#include "pages/display_list.h"
#include "scratch.h"

#include "tallux/cairo_target.h"
#include "tallux/page.h"
#include "tallux/tallux.h"

namespace tallux::test {

using SurfacePtr = std::unique_ptr<cairo_surface_t, decltype(&cairo_surface_destroy)>;

// The call drawn by a plain cairo target on a white image surface of its own,
// the page size of `o`, where cairo fills every box and sets every text.
inline SurfacePtr drawnOnCairoSurface(tBarcodeType type, DrawParams p, const PageOptions& o)
{
    const double perUnit = o.scale.pixelsPerUnit();
    cairo_surface_t* s = cairo_image_surface_create(
        CAIRO_FORMAT_RGB24, static_cast<int>(std::ceil(*o.width * perUnit - 1e-9)),
        static_cast<int>(std::ceil(*o.height * perUnit - 1e-9)));
    cairo_t* cr = cairo_create(s);
    cairo_set_source_rgb(cr, 1, 1, 1);
    cairo_paint(cr);
    cairo_scale(cr, perUnit, perUnit);
    {
        CairoTarget t(cr, o.scale.unitsPerInch());
        p.pObject = &t;
        Tallux().draw(type, p);
    }
    cairo_destroy(cr);
    return SurfacePtr(s, &cairo_surface_destroy);
}

// Page options of a fixed size in the given units and resolution.
inline PageOptions fixed(ScaleUnits units, double dpi, double width, double height)
{
    PageOptions o;
    o.scale = {units, dpi};
    o.width = width;
    o.height = height;
    return o;
}

// A PNG read back into memory, one grey level (0..255) a pixel.
struct Image {
    int width = 0, height = 0;
    std::vector<std::uint8_t> grey;
    std::vector<std::uint32_t> rgb; // 0x00RRGGBB

    std::uint8_t at(int x, int y) const { return grey.at(index(x, y)); }
    std::uint32_t colorAt(int x, int y) const { return rgb.at(index(x, y)); }
    bool dark(int x, int y) const { return at(x, y) < 128; }

private:
    std::size_t index(int x, int y) const
    {
        if (x < 0 || y < 0 || x >= width || y >= height)
            throw std::out_of_range("pixel outside the image");
        return static_cast<std::size_t>(y * width + x);
    }
};

inline Image readPng(const std::string& bytes)
{
    struct Reader {
        const std::string* bytes;
        std::size_t at = 0;
    } reader{&bytes};
    cairo_surface_t* s = cairo_image_surface_create_from_png_stream(
        [](void* closure, unsigned char* data, unsigned int length) {
            auto& r = *static_cast<Reader*>(closure);
            if (r.at + length > r.bytes->size()) return CAIRO_STATUS_READ_ERROR;
            std::copy_n(r.bytes->data() + r.at, length, data);
            r.at += length;
            return CAIRO_STATUS_SUCCESS;
        },
        &reader);
    Image img;
    if (cairo_surface_status(s) == CAIRO_STATUS_SUCCESS) {
        img.width = cairo_image_surface_get_width(s);
        img.height = cairo_image_surface_get_height(s);
        const int stride = cairo_image_surface_get_stride(s);
        const unsigned char* data = cairo_image_surface_get_data(s);
        for (int y = 0; y < img.height; ++y)
            for (int x = 0; x < img.width; ++x) {
                std::uint32_t px = 0;
                std::memcpy(&px, data + y * stride + x * 4, 4);
                px &= 0xFFFFFF;
                img.rgb.push_back(px);
                const unsigned sum = ((px >> 16) & 0xFF) + ((px >> 8) & 0xFF) + (px & 0xFF);
                img.grey.push_back(static_cast<std::uint8_t>(sum / 3));
            }
    }
    cairo_surface_destroy(s);
    return img;
}

// Runs a shell command; returns its standard output, and its exit status in `status`.
inline std::string run(const std::string& command, int* status = nullptr)
{
    std::string out;
    FILE* pipe = ::popen(command.c_str(), "r");
    if (pipe == nullptr) return out;
    std::array<char, 4096> buf{};
    for (std::size_t n; (n = std::fread(buf.data(), 1, buf.size(), pipe)) > 0;)
        out.append(buf.data(), n);
    const int rc = ::pclose(pipe);
    if (status) *status = WIFEXITED(rc) ? WEXITSTATUS(rc) : -1;
    return out;
}

inline std::string quoted(const std::string& s)
{
    std::string q = "'";
    for (char c : s) q += c == '\'' ? std::string("'\\''") : std::string(1, c);
    return q + "'";
}

// Draws with a method on a file page, as the command does.
inline std::string drawPage(tBarcodeType type, DrawParams p, FileFormat format,
                            const PageOptions& options, Integer* result = nullptr)
{
    FilePage page(format, options);
    p.pObject = &page.target();
    const Integer r = Tallux().draw(type, p);
    if (result) *result = r;
    return page.finish();
}

} // namespace tallux::test
