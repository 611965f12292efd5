#pragma once

#include <map>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

namespace tallux {

class PdfWriter;
struct ShapedFont;

// A font of a PDF file: a composite font whose codes name the glyphs of one
// font file, so that text shows exactly the glyphs that Pango chose, with
// the widths and the text they stand for. The file is embedded as a subset
// of the glyphs shown, each keeping its number; a font that cannot be
// embedded soundly is named only, for text that is drawn invisibly over the
// glyphs' outlines.
class PdfFont {
public:
    struct Glyph {
        unsigned code; // in the text: the glyph number, or its CID in a CID-keyed CFF
        double width;  // advance in thousandths of an em
        std::u16string text;
        bool readable; // FreeType reads its outline from the file
    };
    struct Face; // the font file, held open for HarfBuzz and FreeType

    PdfFont(std::shared_ptr<Face> face, int number);
    PdfFont(const PdfFont&) = delete;
    PdfFont& operator=(const PdfFont&) = delete;

    const std::string& resource() const noexcept { return resource_; }
    // Whether the file is embedded, so that its glyphs can be shown.
    bool embedded() const noexcept;
    // Notes that the glyph is shown for `text`.
    const Glyph& use(unsigned glyph, std::u16string_view text);
    // Writes the font's objects; the number of the one to name in /Font.
    int write(PdfWriter& pdf) const;

private:
    std::shared_ptr<Face> face_;
    int number_;
    std::string resource_;
    std::map<unsigned, Glyph> used_;
};

// How the glyphs of a font Pango chose show in the file.
enum class GlyphShow {
    Filled,     // as the embedded font's glyphs
    Emboldened, // filled and stroked, as fontconfig thickens a face without bold
    Outlines,   // as outlines, the text drawn invisibly over them
};

struct PdfFontUse {
    PdfFont* font = nullptr; // nullptr: outlines alone, no text
    GlyphShow show = GlyphShow::Outlines;
};

// The fonts of a file, one per font file, in the order first shown. The font
// files stay open on the thread for the next file.
class PdfFonts {
public:
    // How the glyphs of a face the shaper chose are shown.
    PdfFontUse find(const ShapedFont& font);
    // The /Font resource dictionary, after writing every font.
    std::string write(PdfWriter& pdf) const;

private:
    std::map<std::string, PdfFontUse> byFont_;                               // by pattern
    std::map<std::pair<std::string, int>, std::unique_ptr<PdfFont>> byFace_; // by file and index
    std::vector<PdfFont*> order_;
};

} // namespace tallux
