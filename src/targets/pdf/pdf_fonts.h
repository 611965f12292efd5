#pragma once

#include <map>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include <pango/pango.h>

namespace tallux {

class PdfWriter;

// A font file embedded whole in a PDF as a composite font whose codes are
// the font's own glyph numbers, so that text shows exactly the glyphs that
// Pango chose, with the widths and text they stand for of those shown.
class PdfFont {
public:
    struct Glyph {
        double width; // advance in thousandths of an em
        std::u16string text;
    };

    PdfFont(hb_face_t* face, bool cff, int number);
    ~PdfFont();
    PdfFont(const PdfFont&) = delete;
    PdfFont& operator=(const PdfFont&) = delete;

    const std::string& resource() const noexcept { return resource_; }
    // Notes that the glyph is shown for `text`; its advance width.
    double use(unsigned glyph, std::u16string_view text);
    // Writes the font's objects; the number of the one to name in /Font.
    int write(PdfWriter& pdf) const;

private:
    hb_face_t* face_;
    hb_font_t* font_; // at one unit per font unit
    bool cff_;
    unsigned unitsPerEm_;
    int number_;
    std::string resource_;
    std::map<unsigned, Glyph> used_;
};

// The fonts of a file, one per font file, in the order first shown.
class PdfFonts {
public:
    PdfFonts() = default;
    ~PdfFonts();
    PdfFonts(const PdfFonts&) = delete;
    PdfFonts& operator=(const PdfFonts&) = delete;

    // The embedded font for a font Pango chose, or nullptr where embedding it
    // would not show what cairo draws (a collection, a variable font, a bold
    // made by thickening a regular face, a font whose licence forbids it).
    PdfFont* find(PangoFont* font, bool boldAsked);
    // The /Font resource dictionary, after writing every font.
    std::string write(PdfWriter& pdf) const;

private:
    // Each face held, so that its address stays its own; nullptr: refused.
    std::map<hb_face_t*, std::unique_ptr<PdfFont>> byFace_;
    std::vector<PdfFont*> order_;
};

} // namespace tallux
