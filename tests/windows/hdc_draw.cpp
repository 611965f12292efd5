// Draws through HdcTarget under Wine. Every case of hdc_cases.txt is drawn
// into a 24-bit DIB section at several module widths and written as a BMP,
// with an "image" line that tells hdc_check.py the call; then "check" lines:
// DCs that refuse calls or take them, and the target's member rules.
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

// A white 24-bit top-down DIB section in a memory DC, mapped to twips at
// 192 dpi unless another mapping mode is given.
struct Canvas {
    HDC dc = ::CreateCompatibleDC(nullptr);
    unsigned char* bits = nullptr;
    HBITMAP bitmap;
    HGDIOBJ old;

    explicit Canvas(int mapMode = MM_ANISOTROPIC)
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
        ::SetMapMode(dc, mapMode);
        if (mapMode != MM_ANISOTROPIC) return;
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
    // The pixels once GDI has put down what it still holds.
    COLORREF pixel(int x, int y) const
    {
        ::GdiFlush();
        return rgb(x, y);
    }
    bool white(int x, int y) const { return pixel(x, y) == RGB(255, 255, 255); }
    // The number of pixels not white in x0..x1-1, y0..y1-1.
    int inked(int x0, int y0, int x1, int y1) const
    {
        ::GdiFlush();
        int n = 0;
        for (int y = y0; y < y1; ++y)
            for (int x = x0; x < x1; ++x) n += rgb(x, y) == RGB(255, 255, 255) ? 0 : 1;
        return n;
    }
    COLORREF rgb(int x, int y) const
    {
        const unsigned char* p = bits + y * stride + x * 3;
        return RGB(p[2], p[1], p[0]);
    }

    // The drawing and its margins as a bottom-up BMP file, an even number
    // of pixels wide and high.
    bool save(const std::string& path) const
    {
        ::GdiFlush();
        int right = 0, bottom = 0;
        for (int y = 0; y < canvasHeight; ++y)
            for (int x = 0; x < canvasWidth; ++x)
                if (rgb(x, y) != RGB(255, 255, 255))
                    right = std::max(right, x + 1), bottom = std::max(bottom, y + 1);
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

// What a DC keeps for its own drawing: its font, brush and text settings.
struct Kept {
    HGDIOBJ font, brush;
    COLORREF textColor;
    int bkMode;
    UINT align;
    friend bool operator==(const Kept&, const Kept&) = default;
};

Kept kept(HDC dc)
{
    return {selected(dc, SYSTEM_FONT), selected(dc, WHITE_BRUSH), ::GetTextColor(dc),
            ::GetBkMode(dc), ::GetTextAlign(dc)};
}

// Failing and succeeding calls leave the DC's own font, brush and text
// settings as they were.
int badInput()
{
    Canvas canvas;
    HDC metafile = ::CreateMetaFileW(nullptr);
    HDC enhanced = ::CreateEnhMetaFileW(nullptr, nullptr, nullptr, nullptr);
    HFONT font = ::CreateFontW(-20, 0, 0, 0, FW_NORMAL, 0, 0, 0, DEFAULT_CHARSET, 0, 0, 0, 0,
                               L"Courier New");
    HBRUSH brush = ::CreateSolidBrush(RGB(1, 2, 3));
    for (HDC dc : {canvas.dc, metafile, enhanced}) {
        ::SelectObject(dc, font), ::SelectObject(dc, brush);
        ::SetTextColor(dc, RGB(4, 5, 6)), ::SetBkMode(dc, OPAQUE);
        ::SetTextAlign(dc, TA_BASELINE | TA_CENTER);
    }

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
        /*4*/ {"an enhanced metafile DC takes bars and text", enhanced, 1, 0},
    };
    // clang-format on
    int failed = 0;
    for (const Row& row : rows) {
        const Kept before = row.dc != nullptr ? kept(row.dc) : Kept{};
        tallux::HdcTarget target(row.dc);
        tallux::DrawParams p;
        p.pObject = &target;
        p.pCode = u"CODE39";
        p.pText = row.text;
        p.pWidth = 15, p.pHeight = 900;
        tallux::Tallux control;
        const int result = control.draw(tallux::Code_39, p).value();
        const bool keeps = row.dc == nullptr || (kept(row.dc) == before && before.font == font);
        const bool ok = result == row.expected && keeps;
        std::printf("check\t%s\t%s: result %d, expected %d; the DC's own settings %s\n",
                    ok ? "ok" : "fail", row.what, result, row.expected, keeps ? "kept" : "changed");
        failed += ok ? 0 : 1;
    }
    ::DeleteMetaFile(::CloseMetaFile(metafile));
    ::DeleteEnhMetaFile(::CloseEnhMetaFile(enhanced));
    ::DeleteObject(font);
    ::DeleteObject(brush);
    return failed;
}

// The member rules that HdcTarget shares with the cairo target, and the
// DC's mapping at work: each row runs on a fresh white canvas and either
// returns whether what it sees is right or raises the number expected.
int memberRules()
{
    using Target = tallux::HdcTarget;
    struct Row {
        const char* what;
        int mapMode;
        int raises; // 0: nothing
        bool (*run)(Target&, const Canvas&);
    };
    // clang-format off
    const Row rows[] = {
        /*0*/ {"a system colour (button face) fills in the host's scheme", MM_TEXT, 0,
               [](Target& t, const Canvas& c) {
                   t.Line(38, 0, 0, 9, 9, static_cast<tallux::Long>(0x8000000F));
                   return c.pixel(9, 9) == RGB(0xD4, 0xD0, 0xC8) && c.white(10, 10);
               }},
        /*1*/ {"a value that is no colour is refused", MM_TEXT, 380,
               [](Target& t, const Canvas&) { t.ForeColor(0x01000000); return false; }},
        /*2*/ {"Line draws filled boxes only", MM_TEXT, 5,
               [](Target& t, const Canvas&) { t.Line(6, 0, 0, 9, 9, 0); return false; }},
        /*3*/ {"FontSize 0 and below draw at 1 point", MM_TEXT, 0,
               [](Target& t, const Canvas&) {
                   t.FontSize(1);
                   const double one = t.TextHeight(u"A").value();
                   t.FontSize(-7);
                   return one > 0 && t.TextHeight(u"A").value() == one;
               }},
        /*4*/ {"Print draws at the print position and moves it to the next line", MM_TEXT, 0,
               [](Target& t, const Canvas& c) {
                   t.CurrentX(tallux::Single(50.5f));
                   t.CurrentY(20.25f);
                   t.Print(u"Ab");
                   const double h = t.TextHeight(u"Ab").value();
                   return t.currentX() == 0 && t.currentY() == 20.25 + h &&
                          c.inked(0, 0, 51, 400) == 0 && c.inked(51, 20, 100, 20 + int(h)) > 0;
               }},
        /*5*/ {"MM_TWIPS: a box 150 twips high and wide fills ten pixel rows and columns",
               MM_TWIPS, 0,
               [](Target& t, const Canvas& c) {
                   t.Line(38, 0, -150, 149, -1, 0);
                   return c.inked(0, 0, 20, 20) == 100 && c.inked(0, 0, 10, 20) == 100;
               }},
        /*6*/ {"MM_TWIPS: 12 points are 240 twips of em; the next line is below", MM_TWIPS, 0,
               [](Target& t, const Canvas&) {
                   t.FontSize(12);
                   const double h = t.TextHeight(u"A").value();
                   t.CurrentY(-100.0f);
                   t.Print(u"A");
                   return h >= 240 && h < 480 && t.currentY() == -100 - h;
               }},
    };
    // clang-format on
    int failed = 0;
    for (const Row& row : rows) {
        Canvas canvas(row.mapMode);
        Target target(canvas.dc);
        int raised = 0;
        bool ok = false;
        try {
            ok = row.run(target, canvas);
        } catch (const tallux::RuntimeError& e) {
            raised = e.number();
        }
        ok = row.raises != 0 ? raised == row.raises : ok && raised == 0;
        std::printf("check\t%s\t%s (raised %d)\n", ok ? "ok" : "fail", row.what, raised);
        failed += ok ? 0 : 1;
    }
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
    const int failed = drawImages(cases, argv[2]) + badInput() + memberRules();
    std::printf("check\tend\n");
    return failed == 0 ? 0 : 1;
}
