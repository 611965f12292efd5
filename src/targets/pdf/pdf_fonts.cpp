#include "targets/pdf/pdf_fonts.h"

#include <algorithm>
#include <cstdint>
#include <set>
#include <string>

#include <hb-ot.h>

#include "targets/pdf/pdf_writer.h"

namespace tallux {

namespace {

// A table of the font, read big-endian; empty where it is missing.
class Table {
public:
    Table(hb_face_t* face, const char (&tag)[5])
        : blob_(hb_face_reference_table(face, HB_TAG(tag[0], tag[1], tag[2], tag[3])))
    {
        unsigned length = 0;
        data_ = reinterpret_cast<const unsigned char*>(hb_blob_get_data(blob_, &length));
        size_ = length;
    }
    ~Table() { hb_blob_destroy(blob_); }
    Table(const Table&) = delete;
    Table& operator=(const Table&) = delete;

    std::size_t size() const noexcept { return size_; }
    unsigned u8(std::size_t at) const noexcept { return at < size_ ? data_[at] : 0; }
    unsigned u16(std::size_t at) const noexcept { return u8(at) << 8 | u8(at + 1); }
    int s16(std::size_t at) const noexcept { return static_cast<std::int16_t>(u16(at)); }

private:
    hb_blob_t* blob_;
    const unsigned char* data_ = nullptr;
    std::size_t size_ = 0;
};

// Where the data after a CFF INDEX starting at `at` begins, and where its
// first entry lies.
struct Index {
    std::size_t first = 0, firstEnd = 0, end = 0;
};

Index readIndex(const Table& cff, std::size_t at)
{
    const unsigned count = cff.u16(at);
    if (count == 0) return {at + 2, at + 2, at + 2};
    const unsigned offSize = cff.u8(at + 2);
    const auto offset = [&](unsigned i) {
        std::size_t v = 0;
        for (unsigned b = 0; b < offSize; ++b) v = v << 8 | cff.u8(at + 3 + i * offSize + b);
        return v;
    };
    const std::size_t data = at + 3 + (count + 1) * offSize - 1; // offsets count from 1
    return {data + offset(0), data + offset(1), data + offset(count)};
}

// A CFF font whose top dictionary names a registry and ordering keys its
// glyphs by CID, which the file would then have to map; such fonts are drawn
// as outlines instead.
bool cidKeyed(const Table& cff)
{
    const std::size_t names = cff.u8(2); // the header's size
    const Index top = readIndex(cff, readIndex(cff, names).end);
    for (std::size_t at = top.first; at < top.firstEnd && at < cff.size();) {
        const unsigned b = cff.u8(at);
        if (b == 12) {
            if (cff.u8(at + 1) == 30) return true; // ROS
            at += 2;
        } else if (b <= 21) {
            at += 1;
        } else if (b == 28) {
            at += 3;
        } else if (b == 29) {
            at += 5;
        } else if (b == 30) { // a real number, nibble by nibble up to 0xF
            ++at;
            while (at < top.firstEnd && (cff.u8(at) & 0x0F) != 0x0F && (cff.u8(at) >> 4) != 0x0F)
                ++at;
            ++at;
        } else if (b >= 247 && b <= 254) {
            at += 2;
        } else {
            at += 1;
        }
    }
    return false;
}

// A TrueType font with the outlines of `glyphs` (and of the glyphs they are
// built from) and no others: every glyph keeps its number and width, the
// hinting programs stay, and what a PDF does not read is left out.
std::string subsetTrueType(hb_face_t* face, std::set<unsigned> glyphs)
{
    const Table head(face, "head"), maxp(face, "maxp"), loca(face, "loca"), glyf(face, "glyf");
    const unsigned count = maxp.u16(4);
    const bool longOffsets = head.s16(50) != 0;
    const auto offset = [&](unsigned g) -> std::size_t {
        if (longOffsets) return std::size_t{loca.u16(g * 4)} << 16 | loca.u16(g * 4 + 2);
        return std::size_t{loca.u16(g * 2)} * 2;
    };
    // Composite glyphs name their parts, which may be composite in turn.
    glyphs.insert(0);
    std::vector<unsigned> pending(glyphs.begin(), glyphs.end());
    while (!pending.empty()) {
        const unsigned g = pending.back();
        pending.pop_back();
        if (g >= count || offset(g) == offset(g + 1) || glyf.s16(offset(g)) >= 0) continue;
        for (std::size_t at = offset(g) + 10; at + 4 <= offset(g + 1);) {
            const unsigned flags = glyf.u16(at), part = glyf.u16(at + 2);
            if (glyphs.insert(part).second) pending.push_back(part);
            at += 4 + ((flags & 0x0001) ? 4 : 2);
            at += (flags & 0x0008) ? 2 : (flags & 0x0040) ? 4 : (flags & 0x0080) ? 8 : 0;
            if ((flags & 0x0020) == 0) break;
        }
    }
    std::string outlines, offsets;
    const auto put32 = [](std::string& out, std::size_t v) {
        for (int shift = 24; shift >= 0; shift -= 8) out += static_cast<char>((v >> shift) & 0xFF);
    };
    for (unsigned g = 0; g <= count; ++g) {
        put32(offsets, outlines.size());
        if (g == count || !glyphs.contains(g)) continue;
        for (std::size_t at = offset(g); at < offset(g + 1); ++at)
            outlines += static_cast<char>(glyf.u8(at));
        outlines.resize((outlines.size() + 3) & ~std::size_t{3});
    }
    std::string header;
    for (std::size_t at = 0; at < head.size(); ++at) header += static_cast<char>(head.u8(at));
    if (header.size() < 54) return {};
    header[8] = header[9] = header[10] = header[11] = 0; // the whole-file checksum
    header[50] = 0, header[51] = 1;                      // long offsets

    // The tables in order of their tags, each on four bytes.
    std::vector<std::pair<std::string, std::string>> tables;
    for (const char* tag :
         {"cvt ", "fpgm", "glyf", "head", "hhea", "hmtx", "loca", "maxp", "prep"}) {
        std::string data;
        if (std::string_view(tag) == "glyf") {
            data = std::move(outlines);
        } else if (std::string_view(tag) == "loca") {
            data = std::move(offsets);
        } else if (std::string_view(tag) == "head") {
            data = header;
        } else {
            const Table t(face, {tag[0], tag[1], tag[2], tag[3], '\0'});
            for (std::size_t at = 0; at < t.size(); ++at) data += static_cast<char>(t.u8(at));
            if (data.empty()) continue;
        }
        tables.emplace_back(tag, std::move(data));
    }
    const auto n = static_cast<unsigned>(tables.size());
    unsigned power = 1, log2 = 0;
    while (power * 2 <= n) power *= 2, ++log2;
    std::string font("\0\1\0\0", 4);
    const auto put16 = [&](unsigned v) {
        font += static_cast<char>(v >> 8 & 0xFF);
        font += static_cast<char>(v & 0xFF);
    };
    put16(n), put16(power * 16), put16(log2), put16(n * 16 - power * 16);
    std::size_t at = 12 + 16 * std::size_t{n};
    for (auto& [tag, data] : tables) {
        const std::size_t length = data.size();
        data.resize((length + 3) & ~std::size_t{3});
        std::uint32_t sum = 0;
        for (std::size_t i = 0; i < data.size(); i += 4)
            sum += static_cast<std::uint32_t>(static_cast<unsigned char>(data[i]) << 24 |
                                              static_cast<unsigned char>(data[i + 1]) << 16 |
                                              static_cast<unsigned char>(data[i + 2]) << 8 |
                                              static_cast<unsigned char>(data[i + 3]));
        font += tag;
        put32(font, sum);
        put32(font, at);
        put32(font, length);
        at += data.size();
    }
    for (const auto& [tag, data] : tables) font += data;
    return font;
}

std::string postScriptName(hb_face_t* face, int number)
{
    char text[128];
    unsigned size = sizeof text;
    hb_ot_name_get_utf8(face, HB_OT_NAME_ID_POSTSCRIPT_NAME, HB_LANGUAGE_INVALID, &size, text);
    std::string name;
    for (unsigned i = 0; i < size && text[i] != '\0'; ++i) {
        const char c = text[i];
        if ((c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9') ||
            c == '-' || c == '_')
            name += c;
    }
    return name.empty() ? "Font" + std::to_string(number) : name;
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
        if (!g.text.empty()) entries.emplace_back(glyph, &g.text);
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

PdfFont::PdfFont(hb_face_t* face, bool cff, int number)
    : face_(hb_face_reference(face))
    , font_(hb_font_create(face))
    , cff_(cff)
    , unitsPerEm_(std::max(1u, hb_face_get_upem(face)))
    , number_(number)
    , resource_("F" + std::to_string(number))
{
}

PdfFont::~PdfFont()
{
    hb_font_destroy(font_);
    hb_face_destroy(face_);
}

double PdfFont::use(unsigned glyph, std::u16string_view text)
{
    auto it = used_.find(glyph);
    if (it == used_.end()) {
        const double advance = hb_font_get_glyph_h_advance(font_, glyph);
        it =
            used_.emplace(glyph, Glyph{advance * 1000.0 / unitsPerEm_, std::u16string(text)}).first;
    } else if (it->second.text.empty()) {
        it->second.text = text;
    }
    return it->second.width;
}

int PdfFont::write(PdfWriter& pdf) const
{
    std::string name = postScriptName(face_, number_);
    hb_blob_t* blob = hb_face_reference_blob(face_);
    unsigned length = 0;
    const char* data = hb_blob_get_data(blob, &length);
    std::string font(data, length);
    hb_blob_destroy(blob);
    if (!cff_) {
        std::set<unsigned> glyphs;
        for (const auto& entry : used_) glyphs.insert(entry.first);
        if (std::string subset = subsetTrueType(face_, glyphs); !subset.empty()) {
            font = std::move(subset);
            // A subset's name starts with a tag of six capitals of its own.
            std::uint32_t hash = 2166136261u;
            for (const unsigned g : glyphs) hash = (hash ^ g) * 16777619u;
            std::string tag;
            for (int i = 0; i < 6; ++i, hash /= 26) tag += static_cast<char>('A' + hash % 26);
            name = tag + '+' + name;
        }
    }
    const int file = pdf.reserve();
    pdf.stream(file, cff_ ? "/Subtype /OpenType" : "/Length1 " + std::to_string(font.size()), font);

    const Table head(face_, "head"), hhea(face_, "hhea"), os2(face_, "OS/2"), post(face_, "post");
    const auto em = [&](int v) {
        std::string s;
        appendNumber(s, v * 1000.0 / unitsPerEm_, 0);
        return s;
    };
    const int ascent = hhea.s16(4), descent = hhea.s16(6);
    const int capHeight = os2.u16(0) >= 2 && os2.size() >= 90 ? os2.s16(88) : ascent;
    std::string italic;
    appendNumber(italic, post.s16(4) + post.u16(6) / 65536.0, 2);
    const int descriptor = pdf.reserve();
    pdf.object(descriptor,
               "<< /Type /FontDescriptor /FontName /" + name + " /Flags 32 /FontBBox [" +
                   em(head.s16(36)) + ' ' + em(head.s16(38)) + ' ' + em(head.s16(40)) + ' ' +
                   em(head.s16(42)) + "] /ItalicAngle " + italic + " /Ascent " + em(ascent) +
                   " /Descent " + em(descent) + " /CapHeight " + em(capHeight) + " /StemV 80 " +
                   (cff_ ? "/FontFile3 " : "/FontFile2 ") + std::to_string(file) + " 0 R >>");

    std::string widths = "[";
    for (const auto& [glyph, g] : used_) {
        widths += std::to_string(glyph) + " [";
        appendNumber(widths, g.width, 2);
        widths += "] ";
    }
    widths += ']';
    const int cid = pdf.reserve();
    pdf.object(cid, std::string("<< /Type /Font /Subtype ") +
                        (cff_ ? "/CIDFontType0" : "/CIDFontType2") + " /BaseFont /" + name +
                        " /CIDSystemInfo << /Registry (Adobe) /Ordering (Identity) /Supplement 0 "
                        ">> /FontDescriptor " +
                        std::to_string(descriptor) + " 0 R" +
                        (cff_ ? "" : " /CIDToGIDMap /Identity") + " /DW 0 /W " + widths + " >>");
    const int unicode = pdf.reserve();
    pdf.stream(unicode, "", toUnicodeMap(used_));
    const int type0 = pdf.reserve();
    pdf.object(type0, "<< /Type /Font /Subtype /Type0 /BaseFont /" + name +
                          " /Encoding /Identity-H /DescendantFonts [" + std::to_string(cid) +
                          " 0 R] /ToUnicode " + std::to_string(unicode) + " 0 R >>");
    return type0;
}

PdfFonts::~PdfFonts()
{
    for (auto& [face, font] : byFace_)
        if (!font) hb_face_destroy(face);
}

PdfFont* PdfFonts::find(PangoFont* font, bool boldAsked)
{
    hb_font_t* shaping = pango_font_get_hb_font(font);
    if (shaping == nullptr) return nullptr;
    hb_face_t* face = hb_font_get_face(shaping);
    if (auto it = byFace_.find(face); it != byFace_.end()) return it->second.get();

    hb_blob_t* blob = hb_face_reference_blob(face);
    unsigned length = 0;
    const char* data = hb_blob_get_data(blob, &length);
    const std::string_view tag = length >= 4 ? std::string_view(data, 4) : std::string_view();
    const bool trueType = tag == std::string_view("\0\1\0\0", 4) || tag == "true";
    const bool cff = tag == "OTTO";
    hb_blob_destroy(blob);

    bool embeddable =
        (trueType && Table(face, "glyf").size() > 0) || (cff && !cidKeyed(Table(face, "CFF ")));
    // Variations would be applied to the outlines, not to the file.
    if (hb_ot_var_has_data(face)) embeddable = false;
    // Licences that forbid embedding, or bitmaps alone.
    const Table os2(face, "OS/2");
    const unsigned fsType = os2.u16(8);
    if ((fsType & 0x000F) == 0x0002 || (fsType & 0x0200) != 0) embeddable = false;
    // fontconfig thickens a regular face where bold is asked and missing.
    if (boldAsked && os2.size() >= 6 && os2.u16(4) < 600) embeddable = false;

    if (!embeddable) {
        byFace_.emplace(hb_face_reference(face), nullptr);
        return nullptr;
    }
    auto made = std::make_unique<PdfFont>(face, cff, static_cast<int>(order_.size()) + 1);
    PdfFont* f = made.get();
    byFace_.emplace(face, std::move(made));
    order_.push_back(f);
    return f;
}

std::string PdfFonts::write(PdfWriter& pdf) const
{
    std::string dictionary = "<< ";
    for (const PdfFont* f : order_)
        dictionary += '/' + f->resource() + ' ' + std::to_string(f->write(pdf)) + " 0 R ";
    return dictionary + ">>";
}

} // namespace tallux
