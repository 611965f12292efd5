// SVG pages: read back as XML, the rectangles cover exactly what the Line
// calls asked in their colours, every printed piece is a text element where
// it was printed, in its font, and a renderer's picture of the file decodes.
#include <gtest/gtest.h>

#include <charconv>
#include <cmath>
#include <map>
#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

#include "runtime/text.h"
#include "tallux/host_target.h"
#include "targets/svg/svg_writer.h"
#include "targets_support.h"

namespace tallux::test {
namespace {

// --- A strict reader for the XML the writer makes -------------------------

struct Element {
    std::string name;
    std::map<std::string, std::string> attributes;
    std::string text; // character data directly inside, entities replaced
    std::vector<Element> children;

    const std::string& at(const std::string& attribute) const
    {
        const auto it = attributes.find(attribute);
        if (it == attributes.end()) throw std::runtime_error(name + " has no " + attribute);
        return it->second;
    }
    bool has(const std::string& attribute) const { return attributes.contains(attribute); }
};

class XmlReader {
public:
    explicit XmlReader(std::string_view xml)
        : s_(xml)
    {
    }

    Element document()
    {
        if (s_.starts_with("<?xml")) at_ = s_.find("?>") + 2;
        space();
        Element root = element();
        space();
        if (at_ != s_.size()) fail("text after the root element");
        return root;
    }

private:
    [[noreturn]] void fail(const std::string& what) const
    {
        throw std::runtime_error(what + " at " + std::to_string(at_));
    }
    void space()
    {
        while (at_ < s_.size() && std::string_view(" \t\r\n").find(s_[at_]) != s_.npos) ++at_;
    }
    std::string name()
    {
        const std::size_t from = at_;
        while (at_ < s_.size() && (std::isalnum(static_cast<unsigned char>(s_[at_])) ||
                                   s_[at_] == ':' || s_[at_] == '-' || s_[at_] == '_'))
            ++at_;
        if (at_ == from) fail("a name expected");
        return std::string(s_.substr(from, at_ - from));
    }
    // Character data up to `end`, with the five entities and character references.
    std::string characters(char end)
    {
        std::string out;
        while (at_ < s_.size() && s_[at_] != end) {
            const char c = s_[at_];
            if (c == '<' ||
                (static_cast<unsigned char>(c) < 0x20 && c != '\t' && c != '\n' && c != '\r'))
                fail("a character XML does not allow");
            if (c != '&') {
                out += c, ++at_;
                continue;
            }
            const std::size_t semi = s_.find(';', at_);
            if (semi == s_.npos) fail("an unfinished entity");
            const std::string_view ref = s_.substr(at_ + 1, semi - at_ - 1);
            static const std::map<std::string_view, char> named{
                {"amp", '&'}, {"lt", '<'}, {"gt", '>'}, {"quot", '"'}, {"apos", '\''}};
            if (const auto it = named.find(ref); it != named.end())
                out += it->second;
            else
                fail("an unknown entity");
            at_ = semi + 1;
        }
        return out;
    }
    Element element()
    {
        if (s_[at_] != '<') fail("an element expected");
        ++at_;
        Element e;
        e.name = name();
        for (;;) {
            space();
            if (s_.substr(at_, 2) == "/>") {
                at_ += 2;
                return e;
            }
            if (s_[at_] == '>') break;
            const std::string attribute = name();
            if (s_.substr(at_, 2) != "=\"") fail("a quoted value expected");
            at_ += 2;
            std::string value = characters('"');
            ++at_;
            if (!e.attributes.emplace(attribute, std::move(value)).second)
                fail("a repeated attribute");
        }
        ++at_;
        for (;;) {
            e.text += characters('<');
            if (at_ >= s_.size()) fail("an unclosed " + e.name);
            if (s_.substr(at_, 2) == "</") {
                at_ += 2;
                if (name() != e.name || s_[at_] != '>') fail("a wrong closing tag");
                ++at_;
                return e;
            }
            e.children.push_back(element());
        }
    }

    std::string_view s_;
    std::size_t at_ = 0;
};

double number(std::string_view text)
{
    double v = 0;
    const auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), v);
    if (ec != std::errc{} || end != text.data() + text.size())
        throw std::runtime_error("not a number: " + std::string(text));
    return v;
}

// The drawing group inside the page, after the white background.
const Element& drawing(const Element& svg)
{
    EXPECT_EQ(svg.name, "svg");
    EXPECT_EQ(svg.children.size(), 2u);
    EXPECT_EQ(svg.children.at(0).at("fill"), "#ffffff");
    return svg.children.at(1);
}

struct Rect {
    double x0, y0, x1, y1;
    std::string fill;
    bool operator==(const Rect&) const = default;
};

// The rectangles of a box path: "Mx0 y0Hx1Vy1Hx0Z", one after another.
std::vector<Rect> rectangles(const Element& path)
{
    std::vector<Rect> out;
    const std::string& d = path.at("d");
    for (std::size_t at = 0; at < d.size();) {
        const auto field = [&](char before, char after) {
            if (d[at] != before) throw std::runtime_error("not a box path: " + d);
            const std::size_t end = d.find(after, at + 1);
            const double v = number(std::string_view(d).substr(at + 1, end - at - 1));
            at = end;
            return v;
        };
        Rect r{};
        r.x0 = field('M', ' ');
        r.y0 = field(' ', 'H');
        r.x1 = field('H', 'V');
        r.y1 = field('V', 'H');
        if (field('H', 'Z') != r.x0) throw std::runtime_error("not a rectangle: " + d);
        ++at;
        r.fill = path.at("fill");
        out.push_back(r);
    }
    return out;
}

std::string hexColour(Long color)
{
    const Rgb c = *hostColor(color);
    char text[8];
    std::snprintf(text, sizeof text, "#%02x%02x%02x",
                  static_cast<unsigned>(std::lround(c.red * 255)),
                  static_cast<unsigned>(std::lround(c.green * 255)),
                  static_cast<unsigned>(std::lround(c.blue * 255)));
    return text;
}

// --- Drawing on an SVG page while noting what the target was told ---------

struct Printed {
    std::string text;
    double x, y;
    std::string font;
    int points;
    bool bold;
    Long color;
};

// Passes every call to the page's target and notes the boxes and the text.
class Noting : public Target {
public:
    explicit Noting(HostTarget& t)
        : t_(t)
    {
    }
    std::vector<Rect> boxes;
    std::vector<Printed> printed;

    void FontName(const String& v) override { t_.FontName(v), font_ = toUtf8(v); }
    void ForeColor(Long v) override { t_.ForeColor(v), color_ = v; }
    void FontBold(Boolean v) override { t_.FontBold(v), bold_ = static_cast<bool>(v); }
    void FontSize(Integer v) override { t_.FontSize(v), points_ = v.value(); }
    void CurrentX(Number v) override { t_.CurrentX(v); }
    void CurrentY(Single v) override { t_.CurrentY(v); }
    void Line(Integer flags, Integer x1, Single y1, Integer x2, Single y2, Long color) override
    {
        t_.Line(flags, x1, y1, x2, y2, color);
        const double ax = x1.value(), bx = x2.value() + 1.0, ay = y1, by = double{y2} + 1.0;
        if (ax != bx && ay != by)
            boxes.push_back({std::min(ax, bx), std::min(ay, by), std::max(ax, bx), std::max(ay, by),
                             hexColour(color)});
    }
    void Print(const String& s) override
    {
        printed.push_back({toUtf8(s), t_.currentX(), t_.currentY(), font_, points_, bold_, color_});
        t_.Print(s);
    }
    Number TextWidth(const String& s) override { return t_.TextWidth(s); }
    Number TextHeight(const String& s) override { return t_.TextHeight(s); }

private:
    HostTarget& t_;
    std::string font_ = "Sans";
    int points_ = 8;
    bool bold_ = false;
    Long color_ = 0;
};

struct Drawn {
    std::string svg;
    std::vector<Rect> boxes;
    std::vector<Printed> printed;
};

Drawn drawSvg(tBarcodeType type, DrawParams p, const PageOptions& o)
{
    FilePage page(FileFormat::Svg, o);
    Noting noting(page.target());
    p.pObject = &noting;
    EXPECT_EQ(Tallux().draw(type, p), 0);
    return {page.finish(), noting.boxes, noting.printed};
}

DrawParams symbol(std::u16string code, Integer width, Long fore, Long line)
{
    DrawParams p;
    p.pX = 10, p.pY = 20, p.pWidth = width, p.pHeight = 60, p.pText = 1;
    p.pCode = std::move(code);
    p.pFont = u"DejaVu Sans";
    p.pForeColor = fore, p.pLineColor = line;
    return p;
}

PageOptions pixels()
{
    PageOptions o;
    o.scale = {ScaleUnits::Pixels, 96};
    return o;
}

struct Case {
    tBarcodeType type;
    const char16_t* code;
    Integer width;
    Long fore, line;
};
const Case cases[] = {
    /*0*/ {EAN_13, u"400638133393", 2, 0, 0},
    /*1*/ {Code_128, u"BA&B<C>\"D'", 2, 0x0000FF, 0x800000}, // set B: escaping; two colours
    /*2*/ {Code_39, u"ABC-12", 3, 0x008000, 0x0000FF},
    /*3*/ {PostNet, u"12345", 2, 0, 0}, // bars of two heights side by side
    /*4*/ {UPC_A, u"03600029145", 2, 0, 0},
};

TEST(SvgPage, RectanglesCoverExactlyTheBoxesOfEveryColour)
{
    for (std::size_t i = 0; i < std::size(cases); ++i) {
        const Case& c = cases[i];
        const Drawn d = drawSvg(c.type, symbol(c.code, c.width, c.fore, c.line), pixels());
        const Element svg = XmlReader(d.svg).document();
        std::vector<Rect> written;
        for (const Element& e : drawing(svg).children)
            if (e.name == "path") {
                ASSERT_FALSE(e.has("transform")) << "case " << i << ": text as outlines";
                for (const Rect& r : rectangles(e)) written.push_back(r);
            }
        // Each box lies in a written rectangle of its colour; each rectangle
        // is made of whole boxes of its colour side by side, no more. White
        // boxes on the untouched page may be left out.
        ASSERT_FALSE(d.boxes.empty()) << "case " << i;
        for (const Rect& b : d.boxes) {
            int in = 0;
            for (const Rect& r : written)
                in += r.fill == b.fill && r.x0 <= b.x0 && b.x1 <= r.x1 && r.y0 == b.y0 &&
                      r.y1 == b.y1;
            EXPECT_TRUE(in == 1 || (in == 0 && b.fill == "#ffffff"))
                << "case " << i << ": box " << b.x0 << "," << b.y0 << " " << b.fill;
        }
        for (const Rect& r : written) {
            double covered = 0;
            for (const Rect& b : d.boxes)
                if (b.fill == r.fill && r.x0 <= b.x0 && b.x1 <= r.x1 && r.y0 == b.y0 &&
                    r.y1 == b.y1)
                    covered += b.x1 - b.x0;
            EXPECT_EQ(covered, r.x1 - r.x0) << "case " << i << ": rect at " << r.x0;
        }
    }
}

TEST(SvgPage, EveryPrintedPieceIsATextElementWhereAndHowItWasPrinted)
{
    for (std::size_t i = 0; i < std::size(cases); ++i) {
        const Case& c = cases[i];
        DrawParams p = symbol(c.code, c.width, c.fore, c.line);
        p.pBold = i == 2;
        const Drawn d = drawSvg(c.type, p, pixels());
        const Element svg = XmlReader(d.svg).document();
        std::vector<const Element*> texts;
        for (const Element& e : drawing(svg).children)
            if (e.name == "text") texts.push_back(&e);
        std::vector<Printed> printed;
        for (const Printed& pr : d.printed)
            if (!pr.text.empty()) printed.push_back(pr);
        ASSERT_EQ(texts.size(), printed.size()) << "case " << i;
        ASSERT_FALSE(texts.empty()) << "case " << i;

        PageTarget measure(FileFormat::Svg, pixels().scale);
        for (std::size_t k = 0; k < texts.size(); ++k) {
            const Element& t = *texts[k];
            const Printed& pr = printed[k];
            EXPECT_EQ(t.text, pr.text) << "case " << i << " text " << k;
            EXPECT_EQ(number(t.at("x")), pr.x) << "case " << i << " text " << k;
            measure.FontName(fromUtf8(pr.font));
            measure.FontSize(pr.points);
            measure.FontBold(pr.bold);
            // The baseline lies inside the printed line, below its top.
            const double height = measure.TextHeight(fromUtf8(pr.text)).value();
            const double baseline = number(t.at("y")) - pr.y;
            EXPECT_GT(baseline, height / 2) << "case " << i << " text " << k;
            EXPECT_LT(baseline, height) << "case " << i << " text " << k;
            EXPECT_NEAR(number(t.at("textLength")), measure.TextWidth(fromUtf8(pr.text)).value(),
                        1e-3)
                << "case " << i << " text " << k;
            EXPECT_EQ(t.at("lengthAdjust"), "spacingAndGlyphs");
            // A point is 4/3 of a pixel at 96 dpi, to Pango's 1/1024.
            EXPECT_NEAR(number(t.at("font-size")), pr.points * 96.0 / 72, 1.0 / 1024)
                << "case " << i;
            EXPECT_EQ(t.at("font-weight"), pr.bold ? "bold" : "normal") << "case " << i;
            EXPECT_EQ(t.at("fill"), hexColour(pr.color)) << "case " << i;
            const std::string& family = t.at("font-family");
            EXPECT_TRUE(family.starts_with("'" + pr.font + "'")) << family;
            EXPECT_TRUE(family.ends_with(", sans-serif")) << family;
            EXPECT_FALSE(t.has("xml:space")) << "case " << i; // no spaces that would collapse
        }
    }
}

std::string renderAndRead(const std::string& svg, const std::string& symbology)
{
    Scratch dir("tallux-svg");
    writeFile(dir.path / "symbol.svg", svg);
    int status = -1;
    run("rsvg-convert -o " + quoted((dir.path / "symbol.png").string()) + " " +
            quoted((dir.path / "symbol.svg").string()),
        &status);
    if (status != 0) return "rsvg-convert failed";
    return run(std::string(TALLUX_ZBARIMG) + " --nodbus -q -S*.disable -S" + symbology +
               ".enable " + quoted((dir.path / "symbol.png").string()) + " 2>/dev/null");
}

TEST(SvgPage, ARendererShowsWhatReadersDecode)
{
    if (std::string(TALLUX_ZBARIMG).empty()) FAIL() << "zbarimg is not installed";
    if (run("command -v rsvg-convert").empty()) FAIL() << "rsvg-convert is not installed";
    struct Row {
        tBarcodeType type;
        const char16_t* code;
        const char* symbology;
        const char* read;
    };
    const Row rows[] = {
        /*0*/ {EAN_13, u"400638133393", "ean13", "EAN-13:4006381333931\n"},
        /*1*/ {Code_128, u"BA&B<C>\"D'", "code128", "CODE-128:A&B<C>\"D'\n"}, // set B
        /*2*/ {Code_39, u"ABC-12", "code39", "CODE-39:ABC-12\n"},
    };
    PageOptions o;
    o.scale = {ScaleUnits::Points, 72}; // a module of 2 points: 2.67 pixels as rendered
    for (std::size_t i = 0; i < std::size(rows); ++i) {
        DrawParams p = symbol(rows[i].code, 2, 0, 0);
        p.pChk = rows[i].type == Code_128; // readers want Code 128's check character
        const Drawn d = drawSvg(rows[i].type, p, o);
        EXPECT_EQ(renderAndRead(d.svg, rows[i].symbology), rows[i].read) << "row " << i;
    }
}

// --- The writer on its own ---------------------------------------------------

const Rgb black{0, 0, 0}, whiteRgb{1, 1, 1}, red{1, 0, 0};

// What the writer puts between the drawing group's start and end.
const cairo_matrix_t identity{1, 0, 0, 1, 0, 0};

std::string body(ElementPage& w)
{
    const std::string all = w.finish();
    const std::size_t from = all.find("\">\n", all.find("<g ")) + 3;
    return all.substr(from, all.rfind("</g>") - from);
}

TEST(SvgWriter, BoxesOfOneColourShareAPathAndWhiteOnTheBarePageIsLeftOut)
{
    struct Box {
        double x0, y0, x1, y1;
        Rgb c;
    };
    struct Row {
        std::vector<Box> boxes;
        const char* body;
    };
    const Row rows[] = {
        /*0*/ {{{0, 0, 10, 5, black}, {10, 0, 20, 5, black}}, //
               "<path fill=\"#000000\" d=\"M0 0H20V5H0Z\"/>\n"},
        /*1*/
        {{{0, 0, 10, 5, black}, {10, 0, 20, 5, whiteRgb}, {20, 0, 30, 5, black}},
         "<path fill=\"#000000\" d=\"M0 0H10V5H0ZM20 0H30V5H20Z\"/>\n"},
        /*2*/
        {{{0, 0, 10, 5, black}, {5, 0, 8, 5, whiteRgb}}, // white over a bar stays
         "<path fill=\"#000000\" d=\"M0 0H10V5H0Z\"/>\n<path fill=\"#ffffff\" d=\"M5 "
         "0H8V5H5Z\"/>\n"},
        /*3*/
        {{{0, 0, 10, 5, black}, {10, 0, 20, 6, black}}, // another height: its own rectangle
         "<path fill=\"#000000\" d=\"M0 0H10V5H0ZM10 0H20V6H10Z\"/>\n"},
        /*4*/ {{{0, 0, 10, 5, whiteRgb}}, ""},
        /*5*/
        {{{0.5, -1.25, 2.1, 1e20, red}},
         "<path fill=\"#ff0000\" d=\"M0.5 -1.25H2.1V1e+20H0.5Z\"/>\n"},
        /*6*/
        {{{0, 0, 10, 5, red}, {10, 0, 20, 5, black}, {20, 0, 30, 5, red}},
         "<path fill=\"#ff0000\" d=\"M0 0H10V5H0Z\"/>\n<path fill=\"#000000\" "
         "d=\"M10 0H20V5H10Z\"/>\n<path fill=\"#ff0000\" d=\"M20 0H30V5H20Z\"/>\n"},
    };
    for (std::size_t i = 0; i < std::size(rows); ++i) {
        ElementPage w(100, 100, identity);
        for (const Box& b : rows[i].boxes) w.box(b.x0, b.y0, b.x1, b.y1, b.c);
        EXPECT_EQ(body(w), rows[i].body) << "row " << i;
    }
}

TEST(SvgWriter, WhiteUnderTextIsKept)
{
    ElementPage w(100, 100, identity);
    const std::string tail = svgTextTail({"Sans", "DejaVu Sans", 10, false}, 6, "1");
    w.text(0, 20, tail, black, {0, 10, 6, 22});
    w.box(0, 12, 10, 15, whiteRgb); // under the text
    w.box(0, 30, 10, 35, whiteRgb); // below it: bare page
    EXPECT_EQ(body(w), "<text x=\"0\" y=\"20\" fill=\"#000000\"" + tail +
                           "<path fill=\"#ffffff\" d=\"M0 12H10V15H0Z\"/>\n");
}

TEST(SvgWriter, EachPageHasItsOwnSizeAndTransformation)
{
    struct Page {
        double width;
        cairo_matrix_t m;
        const char* widthText;
        const char* transform;
    };
    const Page pages[] = {
        /*0*/ {100, {1, 0, 0, 1, 0, 0}, "100pt", "matrix(1 0 0 1 0 0)"},
        /*1*/ {100, {0.05, 0, 0, 0.05, 2.5, 0}, "100pt", "matrix(0.05 0 0 0.05 2.5 0)"},
        /*2*/ {121.35, {0.05, 0, 0, 0.05, 2.5, 0}, "121.35pt", "matrix(0.05 0 0 0.05 2.5 0)"},
    };
    for (int round = 0; round < 2; ++round) // pages of other sizes one after another
        for (std::size_t i = 0; i < std::size(pages); ++i) {
            ElementPage w(pages[i].width, 50, pages[i].m);
            const Element svg = XmlReader(w.finish()).document();
            EXPECT_EQ(svg.at("width"), pages[i].widthText) << "page " << i;
            EXPECT_EQ(svg.at("height"), "50pt") << "page " << i;
            EXPECT_EQ(drawing(svg).at("transform"), pages[i].transform) << "page " << i;
        }
}

TEST(SvgWriter, NumbersAreShortestRoundTrip)
{
    const double values[] = {
        /*0*/ 0,
        /*1*/ 7,
        /*2*/ 99999,
        /*3*/ -3,
        /*4*/ 1385.6435546875,
        /*5*/ 0.0009765625,
        /*6*/ -0.5,
        /*7*/ 99999.9990234375,
        /*8*/ 0.1,
        /*9*/ 1.0 / 3,
        /*10*/ 123456.5,
        /*11*/ 1e15,
        /*12*/ 5.300000190734863,
        /*13*/ 1e-7,
        /*14*/ -2147483648.25,
        /*15*/ 9,
        /*16*/ 10,
        /*17*/ 100,
        /*18*/ 999,
        /*19*/ 1000,
        /*20*/ 9999,
        /*21*/ 10000,
        /*22*/ 9999.5,
        /*23*/ 42,
        /*24*/ 105,
        /*25*/ 1005,
    };
    for (std::size_t i = 0; i < std::size(values); ++i) {
        ElementPage w(100, 100, identity);
        w.text(values[i], 0, ">1</text>\n", black, {});
        const Element g = XmlReader("<g>" + body(w) + "</g>").document();
        char shortest[32];
        const auto end = std::to_chars(shortest, shortest + 32, values[i]).ptr;
        EXPECT_EQ(g.children.at(0).at("x"), std::string(shortest, end)) << "value " << i;
        EXPECT_EQ(number(g.children.at(0).at("x")), values[i]) << "value " << i;
    }
}

TEST(SvgWriter, TextTailsSayFontWidthAndEscapedContent)
{
    struct Row {
        SvgFont font;
        double width;
        const char* utf8;
        const char* tail;
    };
    const Row rows[] = {
        /*0*/ {{"DejaVu Sans", "DejaVu Sans", 13.5, false},
               7.25,
               "4",
               " font-family=\"'DejaVu Sans', sans-serif\" font-size=\"13.5\" "
               "font-weight=\"normal\" textLength=\"7.25\" "
               "lengthAdjust=\"spacingAndGlyphs\">4</text>\n"},
        /*1*/
        {{"No Such Face", "DejaVu Sans", 10, true},
         0,
         "A&B<C>\"D'",
         " font-family=\"'No Such Face', 'DejaVu Sans', sans-serif\" font-size=\"10\" "
         "font-weight=\"bold\">A&amp;B&lt;C&gt;&quot;D'</text>\n"},
        /*2*/
        {{"Serif, mono ", "DejaVu Serif", 10, false},
         1,
         " two  ",
         " font-family=\"'Serif', 'mono', 'DejaVu Serif', sans-serif\" font-size=\"10\" "
         "font-weight=\"normal\" textLength=\"1\" lengthAdjust=\"spacingAndGlyphs\" "
         "xml:space=\"preserve\"> two  </text>\n"},
        /*3*/
        {{"It's \"x\"&\\", "", 10, false},
         0,
         "x",
         " font-family=\"'It\\'s &quot;x&quot;&amp;\\\\', sans-serif\" font-size=\"10\" "
         "font-weight=\"normal\">x</text>\n"},
        /*4*/
        {{"dejavu sans", "DejaVu Sans", 10, false},
         0,
         "x",
         " font-family=\"'dejavu sans', sans-serif\" font-size=\"10\" "
         "font-weight=\"normal\">x</text>\n"},
    };
    for (std::size_t i = 0; i < std::size(rows); ++i)
        EXPECT_EQ(svgTextTail(rows[i].font, rows[i].width, rows[i].utf8), rows[i].tail)
            << "row " << i;
}

TEST(SvgWriter, TextElementsCarryOnlyWhatTheyShowAsShaped)
{
    const std::pair<const char*, bool> rows[] = {
        /*0*/ {"0123", true},
        /*1*/ {"A&B<>", true},
        /*2*/ {"\xC3\xA9t\xC3\xA9", true},
        /*3*/ {"\xEF\xBF\xBD", true},
        /*4*/ {"a\tb", false},
        /*5*/ {"a\nb", false},
        /*6*/ {"\x7F", false},
        /*7*/ {"\xC2\x85", false},
        /*8*/ {"\xE2\x80\xA8", false},
        /*9*/ {"\xEF\xBF\xBE", false},
        /*10*/ {"\x01", false},
        /*11*/ {"", true},
    };
    for (std::size_t i = 0; i < std::size(rows); ++i)
        EXPECT_EQ(svgTextCarries(rows[i].first), rows[i].second) << "row " << i;
}

TEST(SvgPage, TextWithAControlCharacterIsWrittenAsItsOutlines)
{
    PageOptions o = pixels();
    o.width = 200, o.height = 100;
    FilePage page(FileFormat::Svg, o);
    HostTarget& t = page.target();
    t.FontName(u"DejaVu Sans");
    t.CurrentX(Integer(10));
    t.CurrentY(10);
    t.Print(u"a\u0001b");
    t.CurrentX(Integer(10));
    t.CurrentY(50);
    t.Print(u"ok");
    const Element svg = XmlReader(page.finish()).document();
    const Element& g = drawing(svg);
    ASSERT_EQ(g.children.size(), 2u);
    EXPECT_EQ(g.children[0].name, "path");
    EXPECT_EQ(g.children[0].at("transform"), "translate(10 10)");
    EXPECT_EQ(g.children[1].name, "text");
    EXPECT_EQ(g.children[1].text, "ok");
}

// --- Pages sized by their drawing ----------------------------------------------

// The drawing group's transformation, "matrix(a b c d e f)", as numbers.
std::vector<double> transformOf(const Element& g)
{
    std::string_view t = g.at("transform");
    EXPECT_TRUE(t.starts_with("matrix(") && t.ends_with(")")) << t;
    t = t.substr(7, t.size() - 8);
    std::vector<double> m;
    for (std::size_t at = 0; at <= t.size();) {
        const std::size_t space = std::min(t.find(' ', at), t.size());
        m.push_back(number(t.substr(at, space - at)));
        at = space + 1;
    }
    return m;
}

TEST(SvgPage, EveryFormatLaysTheSamePageAroundTheDrawing)
{
    for (std::size_t i = 0; i < std::size(cases); ++i) {
        const Case& c = cases[i];
        PageOptions o = pixels();
        o.margin = i % 2 == 0 ? std::nullopt : std::optional<double>(3.5);
        double width[3] = {}, height[3] = {};
        const FileFormat formats[] = {FileFormat::Svg, FileFormat::Pdf, FileFormat::Png};
        for (int f = 0; f < 3; ++f) {
            DrawParams p = symbol(c.code, c.width, c.fore, c.line);
            FilePage page(formats[f], o);
            p.pObject = &page.target();
            Tallux().draw(c.type, p);
            page.finish();
            width[f] = page.width(), height[f] = page.height();
        }
        // Points on vector pages; whole pixels, at 96 to 72 points, on a PNG.
        EXPECT_EQ(width[0], width[1]) << "case " << i;
        EXPECT_EQ(height[0], height[1]) << "case " << i;
        EXPECT_NEAR(width[2], width[0] * 96 / 72, 1) << "case " << i;
        EXPECT_NEAR(height[2], height[0] * 96 / 72, 1) << "case " << i;
    }
}

TEST(SvgPage, APageSizedByItsDrawingCoversTextOfAnySize)
{
    // A control character shows as a box whose size does not follow the
    // font's measures: the page still holds all of it.
    PageOptions o = pixels();
    o.margin = 0;
    FilePage page(FileFormat::Svg, o);
    HostTarget& t = page.target();
    t.FontName(u"DejaVu Sans");
    t.CurrentX(Integer(10));
    t.CurrentY(10);
    t.Print(u"a\u0001b");
    const DrawnRegion drawn = page.drawn();
    const Element svg = XmlReader(page.finish()).document();
    const std::vector<double> m = transformOf(drawing(svg));
    ASSERT_EQ(m.size(), 6u);
    EXPECT_LE(m[0] * drawn.right + m[4], page.width() + 1e-9);
    EXPECT_LE(m[3] * drawn.bottom + m[5], page.height() + 1e-9);
}

TEST(SvgPage, APageSizedByItsDrawingRefusesAHugeDrawingWhenFinished)
{
    PageOptions o;
    o.scale = {ScaleUnits::Points, 72};
    FilePage page(FileFormat::Svg, o);
    page.target().Line(Integer(38), Integer(0), 0, Integer(10), 20000, 0);
    EXPECT_THROW(page.finish(), PageError);
}

} // namespace
} // namespace tallux::test
