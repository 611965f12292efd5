#include "targets/pdf/pdf_fonts.h"

#include <algorithm>
#include <array>
#include <cstdint>
#include <string>
#include <tuple>

#include <fontconfig/fontconfig.h>
#include <ft2build.h>
#include FT_FREETYPE_H
#include FT_CID_H
#include FT_TRUETYPE_TABLES_H
#include <hb-subset.h>
#include <hb.h>
#include <sys/stat.h>

#include "targets/pdf/harfbuzz_library.h"
#include "targets/pdf/pdf_writer.h"
#include "text/text_layouts.h"

namespace tallux {

namespace {

// HarfBuzz, once PdfFonts::find has found it loaded.
const HarfBuzz& H()
{
    return *harfBuzz();
}

// Tables a PDF viewer does not read: layout, vertical metrics, variations
// (the file shows its default instance), colour and bitmap glyphs.
constexpr std::array droppedTables = {
    "GSUB", "GPOS", "GDEF", "BASE", "JSTF", "MATH", "kern", "vhea", "vmtx", "VORG", "fvar",
    "avar", "gvar", "HVAR", "VVAR", "MVAR", "STAT", "cvar", "COLR", "CPAL", "SVG ", "CBDT",
    "CBLC", "sbix", "EBDT", "EBLC", "EBSC", "DSIG", "hdmx", "LTSH", "VDMX", "PCLT",
};

hb_tag_t tagOf(const char* t)
{
    return HB_TAG(t[0], t[1], t[2], t[3]);
}

bool hasTable(hb_face_t* face, const char* tag)
{
    hb_blob_t* blob = H().hb_face_reference_table(face, tagOf(tag));
    const bool has = H().hb_blob_get_length(blob) > 0;
    H().hb_blob_destroy(blob);
    return has;
}

FT_Face openFace(FT_Library ft, const char* data, std::size_t size, unsigned index)
{
    FT_Face face = nullptr;
    if (ft == nullptr ||
        FT_New_Memory_Face(ft, reinterpret_cast<const FT_Byte*>(data), static_cast<FT_Long>(size),
                           static_cast<FT_Long>(index), &face) != 0)
        return nullptr;
    return face;
}

// Whether FreeType reads the glyph's outline.
bool readable(FT_Face face, unsigned glyph)
{
    return face != nullptr &&
           FT_Load_Glyph(face, glyph, FT_LOAD_NO_SCALE | FT_LOAD_NO_HINTING | FT_LOAD_NO_BITMAP) ==
               0;
}

// How text names a glyph: a CID-keyed CFF font finds its glyphs by CID,
// any other by number.
unsigned codeOf(FT_Face face, unsigned glyph)
{
    FT_Bool keyed = 0;
    FT_UInt cid = 0;
    if (face != nullptr && FT_Get_CID_Is_Internally_CID_Keyed(face, &keyed) == 0 && keyed &&
        FT_Get_CID_From_Glyph_Index(face, glyph, &cid) == 0)
        return cid;
    return glyph;
}

std::string hex4(unsigned v)
{
    constexpr char digits[] = "0123456789ABCDEF";
    std::string s(4, '0');
    for (int i = 3; i >= 0; --i, v >>= 4) s[static_cast<std::size_t>(i)] = digits[v & 0xF];
    return s;
}

std::string toUnicodeMap(const std::map<unsigned, PdfFont::Glyph>& used)
{
    std::string m = "/CIDInit /ProcSet findresource begin\n12 dict begin\nbegincmap\n"
                    "/CIDSystemInfo << /Registry (Adobe) /Ordering (UCS) /Supplement 0 >> def\n"
                    "/CMapName /Adobe-Identity-UCS def\n/CMapType 2 def\n"
                    "1 begincodespacerange\n<0000> <FFFF>\nendcodespacerange\n";
    std::vector<std::pair<unsigned, const std::u16string*>> entries;
    for (const auto& [glyph, g] : used)
        if (!g.text.empty()) entries.emplace_back(g.code, &g.text);
    std::sort(entries.begin(), entries.end());
    for (std::size_t i = 0; i < entries.size(); i += 100) {
        const std::size_t n = std::min<std::size_t>(100, entries.size() - i);
        m += std::to_string(n) + " beginbfchar\n";
        for (std::size_t k = i; k < i + n; ++k) {
            m += '<' + hex4(entries[k].first) + "> <";
            for (const char16_t c : *entries[k].second) m += hex4(c);
            m += ">\n";
        }
        m += "endbfchar\n";
    }
    return m + "endcmap\nCMapName currentdict /CMap defineresource pop\nend\nend\n";
}

} // namespace

// The font file as HarfBuzz and FreeType read it. `embeddable` holds where
// the file is an outline font that PDF takes and whose licence allows it.
struct PdfFont::Face {
    hb_face_t* hb;
    hb_font_t* font; // at one unit per font unit
    FT_Library ft;
    FT_Face face = nullptr;
    bool cff = false, embeddable = false;
    unsigned unitsPerEm;

    Face(hb_face_t* f, FT_Library library)
        : hb(H().hb_face_reference(f))
        , font(H().hb_font_create(f))
        , ft(library)
        , unitsPerEm(std::max(1u, H().hb_face_get_upem(f)))
    {
        hb_blob_t* blob = H().hb_face_reference_blob(hb);
        unsigned length = 0;
        const char* data = H().hb_blob_get_data(blob, &length);
        face = openFace(ft, data, length, H().hb_face_get_index(hb));
        H().hb_blob_destroy(blob); // the face holds the blob
        cff = hasTable(hb, "CFF ");
        const bool outlines = (cff || hasTable(hb, "glyf")) && !hasTable(hb, "CFF2");
        const auto* os2 =
            face ? static_cast<const TT_OS2*>(FT_Get_Sfnt_Table(face, FT_SFNT_OS2)) : nullptr;
        // A restricted licence, or bitmaps alone.
        const unsigned fsType = os2 ? os2->fsType : 0;
        embeddable =
            face != nullptr && outlines && (fsType & 0x000F) != 0x0002 && (fsType & 0x0200) == 0;
    }
    ~Face()
    {
        if (face != nullptr) FT_Done_Face(face);
        H().hb_font_destroy(font);
        H().hb_face_destroy(hb);
    }
    Face(const Face&) = delete;
    Face& operator=(const Face&) = delete;

    std::string postScriptName(int number) const
    {
        const char* text = face ? FT_Get_Postscript_Name(face) : nullptr;
        std::string name = text ? text : "";
        std::erase_if(name, [](char c) {
            return !((c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9') ||
                     c == '-' || c == '_');
        });
        return name.empty() ? "Font" + std::to_string(number) : name;
    }

    // The file cut down to `glyphs`, each keeping its number; empty where
    // HarfBuzz cannot subset it or FreeType cannot read the result. The last
    // few are kept: labels show the same digits over and over.
    const std::string& subset(const std::vector<unsigned>& glyphs)
    {
        if (subsets.size() >= 64) subsets.clear();
        auto [it, made] = subsets.try_emplace(glyphs);
        if (made) it->second = subsetOf(glyphs);
        return it->second;
    }
    std::map<std::vector<unsigned>, std::string> subsets;

    std::string subsetOf(const std::vector<unsigned>& glyphs) const
    {
        hb_subset_input_t* input = H().hb_subset_input_create_or_fail();
        if (input == nullptr) return {};
        hb_set_t* kept = H().hb_subset_input_glyph_set(input);
        for (const unsigned g : glyphs) H().hb_set_add(kept, g);
        hb_set_t* dropped = H().hb_subset_input_set(input, HB_SUBSET_SETS_DROP_TABLE_TAG);
        for (const char* tag : droppedTables) H().hb_set_add(dropped, tagOf(tag));
        H().hb_subset_input_set_flags(input, HB_SUBSET_FLAGS_RETAIN_GIDS);
        hb_face_t* made = H().hb_subset_or_fail(hb, input);
        H().hb_subset_input_destroy(input);
        if (made == nullptr) return {};
        hb_blob_t* blob = H().hb_face_reference_blob(made);
        unsigned length = 0;
        const char* data = H().hb_blob_get_data(blob, &length);
        std::string file(data, length);
        H().hb_blob_destroy(blob);
        H().hb_face_destroy(made);

        // Every glyph reads, and text finds it as before.
        FT_Face check = openFace(ft, file.data(), file.size(), 0);
        const bool sound =
            check != nullptr && std::all_of(glyphs.begin(), glyphs.end(), [&](unsigned g) {
                return readable(check, g) && codeOf(check, g) == codeOf(face, g);
            });
        if (check != nullptr) FT_Done_Face(check);
        return sound ? file : std::string();
    }
};

PdfFont::PdfFont(std::shared_ptr<Face> face, int number)
    : face_(std::move(face))
    , number_(number)
    , resource_("F" + std::to_string(number))
{
}

bool PdfFont::embedded() const noexcept
{
    return face_->embeddable;
}

const PdfFont::Glyph& PdfFont::use(unsigned glyph, std::u16string_view text)
{
    auto it = used_.find(glyph);
    if (it == used_.end()) {
        const double advance = H().hb_font_get_glyph_h_advance(face_->font, glyph);
        it = used_
                 .emplace(glyph,
                          Glyph{codeOf(face_->face, glyph), advance * 1000.0 / face_->unitsPerEm,
                                std::u16string(text), readable(face_->face, glyph)})
                 .first;
    } else if (it->second.text.empty()) {
        it->second.text = text;
    }
    return it->second;
}

int PdfFont::write(PdfWriter& pdf) const
{
    Face& f = *face_;
    std::string name = f.postScriptName(number_);
    std::vector<unsigned> glyphs;
    for (const auto& [glyph, g] : used_)
        if (g.readable) glyphs.push_back(glyph);
    // A file that cannot be subset soundly is left out: its text is then
    // drawn by the viewer's own font, never by a broken one.
    const std::string& file = f.embeddable ? f.subset(glyphs) : std::string();
    const bool cff = f.cff && !file.empty();
    int fileObject = 0;
    if (!file.empty()) {
        // A subset's name starts with a tag of six capitals of its own.
        std::uint32_t hash = 2166136261u;
        for (const unsigned g : glyphs) hash = (hash ^ g) * 16777619u;
        std::string tag;
        for (int i = 0; i < 6; ++i, hash /= 26) tag += static_cast<char>('A' + hash % 26);
        name = tag + '+' + name;
        fileObject = pdf.reserve();
        pdf.stream(fileObject,
                   cff ? "/Subtype /OpenType" : "/Length1 " + std::to_string(file.size()), file);
    }

    const auto em = [&](long v) {
        std::string s;
        appendNumber(s, static_cast<double>(v) * 1000.0 / f.unitsPerEm, 0);
        return s;
    };
    FT_Face ft = f.face;
    const auto* os2 = ft ? static_cast<const TT_OS2*>(FT_Get_Sfnt_Table(ft, FT_SFNT_OS2)) : nullptr;
    const auto* post =
        ft ? static_cast<const TT_Postscript*>(FT_Get_Sfnt_Table(ft, FT_SFNT_POST)) : nullptr;
    const long ascent = ft ? ft->ascender : 0, descent = ft ? ft->descender : 0;
    const long capHeight = os2 && os2->version >= 2 ? os2->sCapHeight : ascent;
    std::string italic;
    appendNumber(italic, post ? static_cast<double>(post->italicAngle) / 65536.0 : 0, 2);
    const FT_BBox box = ft ? ft->bbox : FT_BBox{};
    const int descriptor = pdf.reserve();
    pdf.object(descriptor, "<< /Type /FontDescriptor /FontName /" + name +
                               " /Flags 32 /FontBBox [" + em(box.xMin) + ' ' + em(box.yMin) + ' ' +
                               em(box.xMax) + ' ' + em(box.yMax) + "] /ItalicAngle " + italic +
                               " /Ascent " + em(ascent) + " /Descent " + em(descent) +
                               " /CapHeight " + em(capHeight) + " /StemV 80" +
                               (file.empty() ? ""
                                             : (cff ? " /FontFile3 " : " /FontFile2 ") +
                                                   std::to_string(fileObject) + " 0 R") +
                               " >>");

    std::string widths = "[";
    std::map<unsigned, double> byCode;
    for (const auto& [glyph, g] : used_) byCode.emplace(g.code, g.width);
    for (const auto& [code, width] : byCode) {
        widths += std::to_string(code) + " [";
        appendNumber(widths, width, 2);
        widths += "] ";
    }
    widths += ']';
    const int cid = pdf.reserve();
    pdf.object(cid, std::string("<< /Type /Font /Subtype ") +
                        (cff ? "/CIDFontType0" : "/CIDFontType2") + " /BaseFont /" + name +
                        " /CIDSystemInfo << /Registry (Adobe) /Ordering (Identity) /Supplement 0 "
                        ">> /FontDescriptor " +
                        std::to_string(descriptor) + " 0 R" +
                        (cff ? "" : " /CIDToGIDMap /Identity") + " /DW 0 /W " + widths + " >>");
    const int unicode = pdf.reserve();
    pdf.stream(unicode, "", toUnicodeMap(used_));
    const int type0 = pdf.reserve();
    pdf.object(type0, "<< /Type /Font /Subtype /Type0 /BaseFont /" + name +
                          " /Encoding /Identity-H /DescendantFonts [" + std::to_string(cid) +
                          " 0 R] /ToUnicode " + std::to_string(unicode) + " 0 R >>");
    return type0;
}

namespace {

// The font files a thread has opened, kept for its next PDF file: reading
// and parsing a face costs more than writing a page of labels. A file that
// changed since is opened again.
std::shared_ptr<PdfFont::Face> openedFace(const std::string& file, int index)
{
    struct stat st {};
    if (::stat(file.c_str(), &st) != 0) st = {};
    using Key = std::tuple<std::string, int, dev_t, ino_t, off_t, std::int64_t>;
    const Key key{file,       index,
                  st.st_dev,  st.st_ino,
                  st.st_size, std::int64_t{st.st_mtim.tv_sec} * 1'000'000'000 + st.st_mtim.tv_nsec};
    struct Release {
        void operator()(FT_Library ft) const { FT_Done_FreeType(ft); }
    };
    thread_local const std::unique_ptr<FT_LibraryRec_, Release> ft([] {
        FT_Library library = nullptr;
        FT_Init_FreeType(&library);
        return library;
    }());
    // Declared after the library, so closed before it.
    thread_local std::map<Key, std::shared_ptr<PdfFont::Face>> faces;
    if (faces.size() >= 16) faces.clear();
    std::shared_ptr<PdfFont::Face>& kept = faces[key];
    if (!kept) {
        // The file as HarfBuzz reads it for the shaper.
        hb_blob_t* blob = H().hb_blob_create_from_file(file.c_str());
        hb_face_t* face = H().hb_face_create(blob, static_cast<unsigned>(index));
        H().hb_blob_destroy(blob);
        kept = std::make_shared<PdfFont::Face>(face, ft.get());
        H().hb_face_destroy(face); // held by the font
    }
    return kept;
}

} // namespace

PdfFontUse PdfFonts::find(const ShapedFont& font)
{
    // No font that loads, or no HarfBuzz to read it: outlines alone.
    if (font.file.empty() || harfBuzz() == nullptr) return {};
    if (auto it = byFont_.find(font.pattern); it != byFont_.end()) return it->second;
    PdfFontUse use;
    auto it = byFace_.find({font.file, font.index});
    if (it == byFace_.end()) {
        auto made = std::make_unique<PdfFont>(openedFace(font.file, font.index),
                                              static_cast<int>(order_.size()) + 1);
        order_.push_back(made.get());
        it = byFace_.emplace(std::pair{font.file, font.index}, std::move(made)).first;
    }
    use.font = it->second.get();
    use.show = !use.font->embedded() || font.transformed ? GlyphShow::Outlines
               : font.emboldened                         ? GlyphShow::Emboldened
                                                         : GlyphShow::Filled;
    byFont_.emplace(font.pattern, use);
    return use;
}

std::string PdfFonts::write(PdfWriter& pdf) const
{
    std::string dictionary = "<< ";
    for (const PdfFont* f : order_)
        dictionary += '/' + f->resource() + ' ' + std::to_string(f->write(pdf)) + " 0 R ";
    return dictionary + ">>";
}

} // namespace tallux
