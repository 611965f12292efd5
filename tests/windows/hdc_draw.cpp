// Draws through HdcTarget under Wine. Every case of hdc_cases.txt is drawn
// into a 24-bit DIB section at several module widths and written as a BMP,
// with an "image" line that tells hdc_check.py the call; then a DC that
// refuses text and a null HDC are drawn on, with "check" lines.
// Usage: hdc_draw CASES OUTDIR
#include <windows.h>

#include <algorithm>
#include <cstdio>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "tallux/hdc_target.h"
#include "tallux/tallux.h"

namespace {

using tallux::Integer;
using tallux::String;

// Twips on a 192 dpi bitmap: 7.5 logical units a pixel.
constexpr int dpi = 192;
constexpr int unitsPerTwoPixels = 2 * 1440 / dpi;
constexpr int canvasWidth = 3000, canvasHeight = 400; // pixels
constexpr int marginRight = 80, marginBelow = 40;     // pixels kept after the drawing
constexpr float left = 600, top = 300;                // twips
constexpr int barHeight = 900;                        // twips

struct Case {
    std::string method, code;
    int chk = 0;
};

std::vector<Case> readCases(const char* path)
{
    std::vector<Case> cases;
    std::ifstream in(path);
    for (std::string line; std::getline(in, line);) {
        if (line.empty() || line[0] == '#') continue;
        std::istringstream fields(line);
        Case c;
        std::string chk;
        std::getline(fields, c.method, '\t');
        std::getline(fields, c.code, '\t');
        std::getline(fields, chk, '\t');
        c.chk = std::stoi(chk);
        cases.push_back(c);
    }
    return cases;
}

String ascii(const std::string& s)
{
    return {s.begin(), s.end()};
}

// A white 24-bit top-down DIB section in a memory DC, mapped to twips.
struct Canvas {
    HDC dc = ::CreateCompatibleDC(nullptr);
    unsigned char* bits = nullptr;
    HBITMAP bitmap;
    HGDIOBJ old;

    Canvas()
    {
        BITMAPINFO info{};
        info.bmiHeader = {
            sizeof(BITMAPINFOHEADER), canvasWidth, -canvasHeight, 1, 24, BI_RGB, 0, 0, 0, 0, 0};
        void* p = nullptr;
        bitmap = ::CreateDIBSection(dc, &info, DIB_RGB_COLORS, &p, nullptr, 0);
        bits = static_cast<unsigned char*>(p);
        old = ::SelectObject(dc, bitmap);
        const RECT all{0, 0, canvasWidth, canvasHeight};
        ::FillRect(dc, &all, static_cast<HBRUSH>(::GetStockObject(WHITE_BRUSH)));
        ::SetMapMode(dc, MM_ANISOTROPIC);
        ::SetWindowExtEx(dc, unitsPerTwoPixels, unitsPerTwoPixels, nullptr);
        ::SetViewportExtEx(dc, 2, 2, nullptr);
    }
    ~Canvas()
    {
        ::SelectObject(dc, old);
        ::DeleteObject(bitmap);
        ::DeleteDC(dc);
    }
    static constexpr int stride = (canvasWidth * 3 + 3) & ~3;
    bool white(int x, int y) const
    {
        const unsigned char* p = bits + y * stride + x * 3;
        return p[0] == 255 && p[1] == 255 && p[2] == 255;
    }

    // The drawing and its margins as a bottom-up BMP file, an even number
    // of pixels wide and high.
    bool save(const std::string& path) const
    {
        ::GdiFlush();
        int right = 0, bottom = 0;
        for (int y = 0; y < canvasHeight; ++y)
            for (int x = 0; x < canvasWidth; ++x)
                if (!white(x, y)) right = std::max(right, x + 1), bottom = std::max(bottom, y + 1);
        const int w = std::min(canvasWidth, (right + marginRight + 1) & ~1);
        const int h = std::min(canvasHeight, (bottom + marginBelow + 1) & ~1);
        const int rowBytes = (w * 3 + 3) & ~3;
        BITMAPFILEHEADER file{};
        BITMAPINFOHEADER header{sizeof(BITMAPINFOHEADER), w, h, 1, 24, BI_RGB, 0, 0, 0, 0, 0};
        file.bfType = 0x4D42;
        file.bfOffBits = sizeof file + sizeof header;
        file.bfSize = file.bfOffBits + static_cast<DWORD>(rowBytes * h);
        std::ofstream out(path, std::ios::binary);
        out.write(reinterpret_cast<const char*>(&file), sizeof file);
        out.write(reinterpret_cast<const char*>(&header), sizeof header);
        const std::string pad(static_cast<std::size_t>(rowBytes - w * 3), '\0');
        for (int y = h - 1; y >= 0; --y) {
            out.write(reinterpret_cast<const char*>(bits + y * stride), w * 3);
            out << pad;
        }
        return static_cast<bool>(out);
    }
};

// The wide extra of 1.5 modules, so that wide elements are 2.5 narrow ones.
std::string ratioFor(int width)
{
    const int tenths = (width * 15 * 2 + 7) / 14; // width * 1.5 / 7, in tenths, rounded
    return std::to_string(tenths / 10) + "." + std::to_string(tenths % 10) + ":0";
}

int drawImages(const std::vector<Case>& cases, const std::string& outdir)
{
    struct Pass {
        int width, text;
    };
    constexpr Pass passes[] = {{15, 1}, {30, 1}, {45, 1}, {30, 0}};
    int failed = 0;
    int n = 0;
    for (const Case& c : cases) {
        const auto method = tallux::findMethod(c.method);
        for (const Pass& pass : passes) {
            Canvas canvas;
            tallux::HdcTarget target(canvas.dc);
            tallux::DrawParams p;
            p.pObject = &target;
            p.pX = left, p.pY = top;
            p.pCode = ascii(c.code);
            p.pWidth = pass.width, p.pHeight = barHeight, p.pText = pass.text;
            p.pRatio = ascii(ratioFor(pass.width));
            p.pChk = tallux::Boolean(Integer(c.chk));
            tallux::Tallux control;
            const int result = method ? control.draw(method->type, p).value() : -1;
            const std::string name = "hdc-" + std::to_string(n++) + ".bmp";
            if (!canvas.save(outdir + "\\" + name)) ++failed;
            std::printf("image\t%s\t%s\t%s\t%d\t%d\t%s\t%d\t%d\t%g\t%g\t%d\t%d\n", name.c_str(),
                        c.method.c_str(), c.code.c_str(), pass.width, pass.text,
                        ratioFor(pass.width).c_str(), c.chk, result, double{left}, double{top},
                        barHeight, dpi);
        }
    }
    return failed;
}

// The object of a kind selected into a DC: put in a stock one and back.
HGDIOBJ selected(HDC dc, int stock)
{
    HGDIOBJ was = ::SelectObject(dc, ::GetStockObject(stock));
    ::SelectObject(dc, was);
    return was;
}

// Failing and succeeding calls leave the DC's own font and brush selected.
int badInput()
{
    Canvas canvas;
    HDC metafile = ::CreateMetaFileW(nullptr);
    HFONT font = ::CreateFontW(-20, 0, 0, 0, FW_NORMAL, 0, 0, 0, DEFAULT_CHARSET, 0, 0, 0, 0,
                               L"Courier New");
    HBRUSH brush = ::CreateSolidBrush(RGB(1, 2, 3));
    for (HDC dc : {canvas.dc, metafile}) ::SelectObject(dc, font), ::SelectObject(dc, brush);

    struct Row {
        const char* what;
        HDC dc;
        int text;
        int expected;
    };
    // clang-format off
    const Row rows[] = {
        /*0*/ {"a null HDC", nullptr, 1, 91},
        /*1*/ {"a metafile DC refuses the text measure", metafile, 1, 5},
        /*2*/ {"the same metafile DC takes the bars", metafile, 0, 0},
        /*3*/ {"a memory DC takes bars and text", canvas.dc, 1, 0},
    };
    // clang-format on
    int failed = 0;
    for (const Row& row : rows) {
        tallux::HdcTarget target(row.dc);
        tallux::DrawParams p;
        p.pObject = &target;
        p.pCode = u"CODE39";
        p.pText = row.text;
        p.pWidth = 15, p.pHeight = 900;
        tallux::Tallux control;
        const int result = control.draw(tallux::Code_39, p).value();
        bool ok = result == row.expected;
        if (row.dc != nullptr)
            ok = ok && selected(row.dc, SYSTEM_FONT) == font &&
                 selected(row.dc, WHITE_BRUSH) == brush;
        std::printf("check\t%s\t%s: result %d, expected %d\n", ok ? "ok" : "fail", row.what, result,
                    row.expected);
        failed += ok ? 0 : 1;
    }
    ::DeleteMetaFile(::CloseMetaFile(metafile));
    ::DeleteObject(font);
    ::DeleteObject(brush);
    return failed;
}

} // namespace

int main(int argc, char** argv)
{
    if (argc != 3) {
        std::fprintf(stderr, "usage: hdc_draw CASES OUTDIR\n");
        return 64;
    }
    const auto cases = readCases(argv[1]);
    const int failed = drawImages(cases, argv[2]) + badInput();
    std::printf("check\tend\n");
    return failed == 0 ? 0 : 1;
}
