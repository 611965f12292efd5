#pragma once

#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <string>
#include <sys/wait.h>
#include <utility>

#include <ft2build.h>
#include FT_FREETYPE_H

#include "scratch.h"

namespace tallux::test {

// What is wrong with the checksums of an OpenType font file: those of its
// tables, and the whole file's, which its head table adjusts to 0xB1B0AFBA.
inline std::string checksumFaults(const std::string& font)
{
    const auto sum = [&](std::size_t at, std::size_t length) {
        std::uint32_t s = 0;
        for (std::size_t i = 0; i < length; ++i)
            s += static_cast<std::uint32_t>(static_cast<unsigned char>(font[at + i]))
                 << (24 - 8 * (i % 4));
        return s;
    };
    const auto u32 = [&](std::size_t at) { return font.size() < at + 4 ? 0 : sum(at, 4); };
    std::string faults;
    const std::uint32_t tables = u32(4) >> 16;
    for (std::uint32_t i = 0; i < tables; ++i) {
        const std::size_t entry = 12 + 16 * std::size_t{i};
        const std::string tag = font.substr(entry, 4);
        const std::size_t at = u32(entry + 8), length = u32(entry + 12);
        if (at + length > font.size()) return "table " + tag + " lies beyond the file\n";
        std::uint32_t s = sum(at, length);
        if (tag == "head" && length >= 12) s -= u32(at + 8); // without the adjustment
        if (s != u32(entry + 4)) faults += "table " + tag + " has a wrong checksum\n";
    }
    if (sum(0, font.size()) != 0xB1B0AFBA) faults += "the file's checksum is not adjusted\n";
    return faults;
}

// What is wrong with a PDF file as its readers take it: what qpdf finds in
// its structure and streams, and each font file embedded in it (taken out by
// mutool) whose checksums are wrong or of which FreeType cannot load every
// glyph. Empty: nothing.
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
        if (name.ends_with(".ttf") || name.ends_with(".otf")) {
            const std::string bad = checksumFaults(readFile(entry.path()));
            if (!bad.empty()) faults += name + ": " + bad;
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
