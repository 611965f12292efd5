#pragma once

#include <cstdio>
#include <filesystem>
#include <string>
#include <sys/wait.h>
#include <utility>

#include <ft2build.h>
#include FT_FREETYPE_H

#include "scratch.h"

namespace tallux::test {

// What is wrong with a PDF file as its readers take it: what qpdf finds in
// its structure and streams, and each font file embedded in it (taken out by
// mutool) of which FreeType cannot load every glyph. Empty: nothing.
inline std::string pdfFaults(const std::filesystem::path& pdf)
{
    const std::string qpdf = TALLUX_QPDF, mutool = TALLUX_MUTOOL;
    if (qpdf.empty() || mutool.empty()) return "qpdf and mutool are needed (scripts/setup)";
    const auto shell = [](const std::string& command) {
        std::string out;
        FILE* pipe = ::popen(command.c_str(), "r");
        if (pipe == nullptr) return std::pair{-1, out};
        char buf[4096];
        for (std::size_t n; (n = std::fread(buf, 1, sizeof buf, pipe)) > 0;) out.append(buf, n);
        const int rc = ::pclose(pipe);
        return std::pair{WIFEXITED(rc) ? WEXITSTATUS(rc) : -1, out};
    };
    const std::string path = std::filesystem::absolute(pdf).string();
    std::string faults;
    if (const auto [status, report] = shell("'" + qpdf + "' --check '" + path + "' 2>&1");
        status != 0)
        faults += report;

    Scratch fonts("tallux-pdf-fonts");
    shell("cd '" + fonts.path.string() + "' && '" + mutool + "' extract '" + path + "' 2>&1");
    FT_Library ft = nullptr;
    if (FT_Init_FreeType(&ft) != 0) return faults + "FreeType does not start\n";
    for (const auto& entry : std::filesystem::directory_iterator(fonts.path)) {
        const std::string name = entry.path().filename().string();
        if (!name.starts_with("font-")) continue;
        FT_Face face = nullptr;
        if (FT_New_Face(ft, entry.path().c_str(), 0, &face) != 0) {
            faults += "FreeType cannot load the embedded " + name + '\n';
            continue;
        }
        for (FT_Long g = 0; g < face->num_glyphs; ++g)
            if (FT_Load_Glyph(face, static_cast<FT_UInt>(g), FT_LOAD_NO_SCALE) != 0)
                faults += "glyph " + std::to_string(g) + " of " + name + " does not load\n";
        FT_Done_Face(face);
    }
    FT_Done_FreeType(ft);
    return faults;
}

} // namespace tallux::test
