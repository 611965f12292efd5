#pragma once

#include <gtest/gtest.h>

#include <cstdio>
#include <filesystem>
#include <string>
#include <utility>

#include <ft2build.h>
#include FT_FREETYPE_H

#include "scratch.h"

namespace tallux::test {

// Checks a PDF file as its readers take it: qpdf finds no fault in its
// structure or streams, and FreeType loads every glyph of every font file
// embedded in it (taken out by mutool).
inline void expectSoundPdf(const std::filesystem::path& pdf)
{
    const std::string qpdf = TALLUX_QPDF, mutool = TALLUX_MUTOOL;
    ASSERT_FALSE(qpdf.empty() || mutool.empty()) << "qpdf and mutool are needed: scripts/setup";
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
    const auto [status, report] = shell("'" + qpdf + "' --check '" + path + "' 2>&1");
    EXPECT_EQ(status, 0) << pdf << ": " << report;

    Scratch fonts("tallux-pdf-fonts");
    shell("cd '" + fonts.path.string() + "' && '" + mutool + "' extract '" + path + "' 2>&1");
    FT_Library ft = nullptr;
    ASSERT_EQ(FT_Init_FreeType(&ft), 0);
    for (const auto& entry : std::filesystem::directory_iterator(fonts.path)) {
        const std::string name = entry.path().filename().string();
        if (!name.starts_with("font-")) continue;
        FT_Face face = nullptr;
        if (FT_New_Face(ft, entry.path().c_str(), 0, &face) != 0) {
            ADD_FAILURE() << pdf << ": FreeType cannot load the embedded " << name;
            continue;
        }
        for (FT_Long g = 0; g < face->num_glyphs; ++g)
            EXPECT_EQ(FT_Load_Glyph(face, static_cast<FT_UInt>(g), FT_LOAD_NO_SCALE), 0)
                << pdf << ": glyph " << g << " of " << name;
        FT_Done_Face(face);
    }
    FT_Done_FreeType(ft);
}

} // namespace tallux::test
