// Draws every symbology that this build of Tallux offers onto one page, each
// labelled with its name, and writes the page as sheet.png, sheet.svg and
// sheet.pdf into the folder given (default: the current folder).
//
// Scale: twips, as the hosts used, at 288 dpi: 20-twip modules are 4 pixels.

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iostream>
#include <string>
#include <vector>

#include "tallux/page.h"
#include "tallux/tallux.h"

namespace {

using namespace tallux;

constexpr Scale scale{ScaleUnits::Twips, 288};
constexpr Integer moduleWidth = 20; // twips; the text is 10 points
constexpr Integer barHeight = 900;  // twips
constexpr Single left = 400;
constexpr Single rowHeight = 2000; // label, bars, text and a gap

// A symbol with the method's sample data, its top-left corner at (left, y).
DrawParams sample(const MethodInfo& m, Target& target, Single y)
{
    DrawParams p;
    p.pObject = &target;
    p.pX = left;
    p.pY = y;
    p.pCode = String(m.sample);
    p.pWidth = moduleWidth;
    p.pHeight = barHeight;
    p.pText = 1;
    p.pFont = u"DejaVu Sans";
    p.pRatio = u"5:0"; // wide elements 55 twips, narrow 20: about 2.75 to 1
    return p;
}

void label(Target& t, const std::string& text, Single y)
{
    t.FontName(u"DejaVu Sans");
    t.ForeColor(0x804000); // dark blue, low byte red
    t.FontBold(true);
    t.FontSize(10);
    t.CurrentX(left);
    t.CurrentY(y);
    t.Print(String(text.begin(), text.end()));
}

void drawSheet(Target& t, const std::vector<MethodInfo>& methods)
{
    Single y = 300;
    for (const MethodInfo& m : methods) {
        label(t, std::string(m.title) + "  (" + std::string(m.name) + ")", y);
        DrawParams p = sample(m, t, y + 400);
        Tallux().draw(m.type, p);
        y += rowHeight;
    }
}

bool writeFile(const std::filesystem::path& path, const std::string& bytes)
{
    const std::filesystem::path temp = path.string() + ".part";
    {
        std::ofstream out(temp, std::ios::binary | std::ios::trunc);
        out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
        if (!out.flush()) return false;
    }
    std::error_code ec;
    std::filesystem::rename(temp, path, ec);
    return !ec;
}

} // namespace

int main(int argc, char** argv)
{
    const std::filesystem::path folder = argc > 1 ? argv[1] : ".";
    const std::vector<MethodInfo> methods(drawingMethods.begin(), drawingMethods.end());

    const struct {
        FileFormat format;
        const char* name;
    } files[] = {{FileFormat::Png, "sheet.png"},
                 {FileFormat::Svg, "sheet.svg"},
                 {FileFormat::Pdf, "sheet.pdf"}};
    PageOptions options;
    options.scale = scale;
    for (const auto& f : files) {
        try {
            FilePage page(f.format, options);
            drawSheet(page.target(), methods);
            if (!writeFile(folder / f.name, page.finish())) {
                std::cerr << "sheet: cannot write " << (folder / f.name).string() << "\n";
                return 1;
            }
        } catch (const std::exception& e) {
            std::cerr << "sheet: " << f.name << ": " << e.what() << "\n";
            return 1;
        }
    }
    std::cout << "sheet: " << methods.size() << " symbologies drawn into " << folder.string()
              << "\n";
    return 0;
}
