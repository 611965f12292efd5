#include "data_changes.h"

#include <algorithm>
#include <array>
#include <optional>
#include <vector>

#include "runtime/text.h"
#include "tallux/tallux.h"
#include "tallux/target.h"

namespace tallux::cli {

namespace {

// A box as a method drew it.
struct Box {
    Integer flags, x1, x2;
    Single y1, y2;
    Long color;
    bool operator==(const Box&) const = default;
};

// One drawing of a copy of the request: what the checks below read of it.
struct Drawn {
    std::optional<int> error; // the result or the error raised, when not 0
    String code;              // pCode after the call
    std::vector<Box> boxes;
    String firstPrinted, lastPrinted;
};

// Keeps the first and last text printed and, when asked, the boxes;
// measures text as the recording target does (7 by 12 a character). Nothing
// else is kept.
class Probe final : public Target {
public:
    Probe(Drawn& d, bool keepBoxes)
        : d_(d)
        , keepBoxes_(keepBoxes)
    {
        if (keepBoxes_) d_.boxes.reserve(128);
    }
    void FontName(const String&) override {}
    void ForeColor(Long) override {}
    void FontBold(Boolean) override {}
    void FontSize(Integer) override {}
    void CurrentX(Number) override {}
    void CurrentY(Single) override {}
    void Line(Integer flags, Integer x1, Single y1, Integer x2, Single y2, Long color) override
    {
        if (keepBoxes_) d_.boxes.push_back({flags, x1, x2, y1, y2, color});
    }
    void Print(const String& s) override
    {
        if (!printed_) d_.firstPrinted = s;
        d_.lastPrinted = s;
        printed_ = true;
    }
    Number TextWidth(const String& s) override
    {
        return static_cast<Single>(7.0 * static_cast<double>(s.size()));
    }
    Number TextHeight(const String&) override { return Single(12); }

private:
    Drawn& d_;
    bool keepBoxes_;
    bool printed_ = false;
};

Drawn drawCopy(const DrawRequest& r, const String& code, Integer text, Boolean chk,
               bool keepBoxes = true)
{
    Drawn d;
    Probe target(d, keepBoxes);
    DrawParams p = r.params;
    p.pObject = &target;
    p.pCode = code;
    p.pText = text;
    p.pChk = chk;
    try {
        if (const Integer result = Tallux().draw(r.method.type, p); result != 0)
            d.error = result.value();
    } catch (const RuntimeError& e) {
        d.error = e.number();
    }
    d.code = std::move(p.pCode);
    return d;
}

std::size_t bars(const Drawn& d, Long color)
{
    return static_cast<std::size_t>(
        std::ranges::count_if(d.boxes, [&](const Box& b) { return b.color == color; }));
}

std::string shown(std::u16string_view text)
{
    return quoted(toUtf8(text));
}

// The distinct characters of a text that `wanted` picks, a surrogate pair
// as one character.
template <class Wanted>
std::vector<String> characters(std::u16string_view text, Wanted wanted)
{
    std::vector<String> out;
    for (std::size_t i = 0; i < text.size(); ++i) {
        const bool pair = text[i] >= 0xD800 && text[i] <= 0xDBFF && i + 1 < text.size() &&
                          text[i + 1] >= 0xDC00 && text[i + 1] <= 0xDFFF;
        String c(text.substr(i, pair ? 2 : 1));
        i += pair ? 1 : 0;
        if (wanted(c) && std::ranges::find(out, c) == out.end()) out.push_back(std::move(c));
    }
    return out;
}

// The distinct characters of a text that are not decimal digits: every
// symbology here has a pattern of its own for each digit.
std::vector<String> nonDigits(std::u16string_view text)
{
    return characters(text,
                      [](const String& c) { return c.size() > 1 || c[0] < u'0' || c[0] > u'9'; });
}

// The characters as a list ('a', 'b' and 'c'), then what is said of one or of many.
std::string listed(const std::vector<String>& chars, std::string_view one, std::string_view many)
{
    std::string text;
    for (std::size_t i = 0; i < chars.size(); ++i) {
        if (i > 0) text += i + 1 == chars.size() ? " and " : ", ";
        text += shown(chars[i]);
    }
    return text + " " + std::string(chars.size() == 1 ? one : many);
}

// The text with every `c` put as "0", one for each UTF-16 unit, as the
// methods read it.
String zeroed(std::u16string_view text, const String& c)
{
    String out(text);
    for (std::size_t at = 0; (at = out.find(c, at)) != String::npos; at += c.size())
        out.replace(at, c.size(), String(c.size(), u'0'));
    return out;
}

// A code of fixed length as the method kept it: the data given (blanks
// trimmed where the method trims them), the data drawn, and the check
// character the symbol carries.
struct Kept {
    String given, data;
    char16_t check = 0;
};

// EAN-13, EAN-8, UPC-A (both layouts), UPC-E: pCode comes back trimmed and
// padded or cut; the last digit printed is the check digit.
Kept eanFamily(const DrawRequest& r, const Drawn& withText)
{
    const String check = withText.lastPrinted;
    return {trimBlanks(r.params.pCode), withText.code, check.empty() ? char16_t{} : check.back()};
}

// ISBN: pCode comes back as 978 and the nine characters kept; the top line
// ends in the book number's check character.
Kept isbn(const DrawRequest& r, const Drawn& withText)
{
    const String top = withText.firstPrinted;
    return {trimBlanks(r.params.pCode),
            withText.code.substr(std::min<std::size_t>(3, withText.code.size())),
            top.empty() ? char16_t{} : top.back()};
}

// POSTNET: without text pCode comes back padded or cut, check digit last.
Kept postnet(const DrawRequest& r, const Drawn&)
{
    const String code = drawCopy(r, r.params.pCode, 0, r.params.pChk, false).code;
    if (code.empty()) return {r.params.pCode, code, 0};
    return {r.params.pCode, code.substr(0, code.size() - 1), code.back()};
}

enum Rule : unsigned {
    DrawsAsZero = 1, // a character outside the symbology is drawn as the digit 0
    LeavesOut = 2,   // a character without a pattern draws no bars
    CodePage = 4,    // characters are taken by their ANSI code
    FillDigit = 8,   // a fill digit makes the number of digits even
    SetLetter = 16,  // the first character chooses the code set
};

struct MethodRules {
    tBarcodeType type;
    unsigned rules;
    Kept (*kept)(const DrawRequest&, const Drawn&); // a code of fixed length
};

constexpr std::array<MethodRules, 15> methodRules{{
    {Codabar, LeavesOut | CodePage, nullptr},
    {Code_11, DrawsAsZero, nullptr},
    {Code_128, SetLetter | CodePage, nullptr},
    {Code_25, FillDigit, nullptr},
    {Code_39, LeavesOut | CodePage, nullptr},
    {Code_39F, CodePage, nullptr},
    {Code_93, CodePage, nullptr},
    {EAN_13, DrawsAsZero, eanFamily},
    {EAN_8, DrawsAsZero, eanFamily},
    {ISBN, DrawsAsZero, isbn},
    {Code_MSI, DrawsAsZero, nullptr},
    {PostNet, DrawsAsZero, postnet},
    {UPC_A, DrawsAsZero, eanFamily},
    {UPC_A_Plus, DrawsAsZero, eanFamily},
    {UPC_E, 0, eanFamily},
}};
static_assert([] {
    for (std::size_t i = 0; i < methodRules.size(); ++i)
        if (methodRules[i].type != static_cast<tBarcodeType>(i)) return false;
    return true;
}());

void lengthChanges(const Kept& k, std::vector<std::string>& out)
{
    const std::size_t length = k.data.size();
    if (k.given.size() < length) {
        const std::size_t added = length - k.given.size();
        out.push_back(std::to_string(added) + (added == 1 ? " fill digit" : " fill digits") +
                      " \"0\" added: " + shown(k.data));
    } else if (k.given.size() == length + 1 && k.given.starts_with(k.data)) {
        if (k.check != 0 && k.given.back() != k.check)
            out.push_back("check digit " + shown(k.given.substr(length)) + " replaced by " +
                          shown(String(1, k.check)));
    } else if (k.given.size() > length) {
        out.push_back("cut to its " + std::to_string(length) + " characters: " + shown(k.data) +
                      ", " + shown(k.given.substr(length)) + " left out");
    }
}

// Characters drawn as the digit 0: the data draws the same with them as 0.
void zeroChanges(const DrawRequest& r, const String& data, std::vector<std::string>& out)
{
    const std::vector<String> candidates = nonDigits(data);
    if (candidates.empty()) return;
    const auto base = drawCopy(r, data, 0, false).boxes;
    std::vector<String> zeros;
    for (const String& c : candidates)
        if (drawCopy(r, zeroed(data, c), 0, false).boxes == base) zeros.push_back(c);
    if (!zeros.empty()) out.push_back(listed(zeros, "is drawn as \"0\"", "are drawn as \"0\""));
}

// Characters without a pattern: "A", c, "A" draws no more bars than "AA".
void leftOut(const DrawRequest& r, const String& data, std::vector<std::string>& out)
{
    const std::vector<String> candidates = nonDigits(data);
    if (candidates.empty()) return;
    const Long color = r.params.pLineColor;
    const std::size_t base = bars(drawCopy(r, u"AA", 0, false), color);
    std::vector<String> none;
    for (const String& c : candidates) {
        const Drawn d = drawCopy(r, u"A" + c + u"A", 0, false);
        if (!d.error && bars(d, color) == base) none.push_back(c);
    }
    if (!none.empty())
        out.push_back(listed(none, "has no bars and is left out", "have no bars and are left out"));
}

void codePageChanges(const String& data, std::vector<std::string>& out)
{
    const std::vector<String> lacking = characters(data, [](const String& c) {
        return c.size() > 1 || (c[0] != u'?' && ansiCode(c[0]) == '?');
    });
    if (!lacking.empty())
        out.push_back(listed(lacking, "is not in the Windows-1252 code page: drawn as \"?\"",
                             "are not in the Windows-1252 code page: drawn as \"?\""));
}

// Interleaved 2 of 5: start (4 elements), ten a digit pair, stop (3).
void fillDigit(const DrawRequest& r, const Drawn& d, std::vector<std::string>& out)
{
    const std::size_t elements = d.boxes.size();
    if (elements < 7) return;
    const std::size_t digits = (elements - 7) / 10 * 2;
    const std::size_t given = d.code.size() + (r.params.pChk ? 1 : 0);
    if (digits > given) out.push_back("a fill digit \"0\" is added after the data");
}

// Code 128 set C: start, one character a digit pair, the check character,
// stop and bar, 11 modules each but the last (13).
void setC(const DrawRequest& r, const Drawn& d, std::vector<std::string>& out)
{
    const String& code = r.params.pCode;
    if (code.empty() || code[0] != u'C') return;
    const std::size_t modules = d.boxes.size();
    const std::size_t fixed = 11 + 13 + (r.params.pChk ? 11 : 0);
    if (modules < fixed) return;
    if ((modules - fixed) / 11 * 2 > code.size() - 1)
        out.push_back("set C takes digits in pairs: a \"0\" is put in front of the odd number "
                      "of digits");
}

} // namespace

std::vector<std::string> dataChanges(const DrawRequest& r)
{
    const MethodRules& m = methodRules[static_cast<std::size_t>(r.method.type)];
    std::vector<std::string> out;
    // The EAN/UPC family shows its check digit only in the text. Only the
    // fill digit and the code set are told by this drawing's boxes.
    const Drawn drawn = drawCopy(r, r.params.pCode, m.kept ? Integer(1) : r.params.pText,
                                 r.params.pChk, (m.rules & (FillDigit | SetLetter)) != 0);
    if (drawn.error) {
        const String& code = r.params.pCode;
        if ((m.rules & SetLetter) && *drawn.error == 5 &&
            (code.empty() || String(u"ABC").find(code[0]) == String::npos))
            out.push_back("the first character must be A, B or C (the code set)");
    } else {
        String data = r.params.pCode;
        if (m.kept) {
            const Kept k = m.kept(r, drawn);
            lengthChanges(k, out);
            data = k.data;
        }
        if (m.rules & CodePage) codePageChanges(data, out);
        if (m.rules & DrawsAsZero) zeroChanges(r, data, out);
        if (m.rules & LeavesOut) leftOut(r, data, out);
        if (m.rules & FillDigit) fillDigit(r, drawn, out);
        if (m.rules & SetLetter) setC(r, drawn, out);
    }
    for (std::string& line : out) line = std::string(r.method.name) + ": " + line;
    return out;
}

} // namespace tallux::cli
