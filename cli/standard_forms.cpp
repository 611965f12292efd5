#include "standard_forms.h"

#include <algorithm>
#include <vector>

#include "runtime/text.h"
#include "tallux/types.h"

namespace tallux::cli {

namespace {

bool isDigit(char16_t c)
{
    return c >= u'0' && c <= u'9';
}

bool allDigits(std::u16string_view s)
{
    return !s.empty() && std::ranges::all_of(s, isDigit);
}

int digit(char16_t c)
{
    return c - u'0';
}

std::string shown(std::u16string_view s)
{
    return quoted(toUtf8(s));
}

// The groups of digits of a text split at single hyphens or blanks; nothing
// when anything else is in it.
std::optional<std::vector<String>> digitGroups(std::u16string_view s)
{
    std::vector<String> groups(1);
    for (const char16_t c : s) {
        if (isDigit(c)) {
            groups.back() += c;
        } else if ((c == u'-' || c == u' ') && !groups.back().empty()) {
            groups.emplace_back();
        } else {
            return std::nullopt;
        }
    }
    if (groups.back().empty()) return std::nullopt;
    return groups;
}

String joined(const std::vector<String>& groups)
{
    String out;
    for (const String& g : groups) out += g;
    return out;
}

// The EAN/UPC check digit of the digits before it: weight 3 on the last,
// then 1 and 3 alternating leftwards.
char16_t eanCheck(std::u16string_view digits)
{
    int sum = 0;
    for (std::size_t i = 0; i < digits.size(); ++i)
        sum += digit(digits[digits.size() - 1 - i]) * (i % 2 == 0 ? 3 : 1);
    return static_cast<char16_t>(u'0' + (10 - sum % 10) % 10);
}

// The ISBN-10 check character of nine digits: weights 10 down to 2, modulo 11.
char16_t isbn10Check(std::u16string_view nine)
{
    int sum = 0;
    for (std::size_t i = 0; i < 9; ++i) sum += digit(nine[i]) * static_cast<int>(10 - i);
    const int v = (11 - sum % 11) % 11;
    return v == 10 ? u'X' : static_cast<char16_t>(u'0' + v);
}

// The eleven-digit UPC-A form of a UPC-E number system digit and six digits.
String upcaOfUpce(char16_t system, std::u16string_view d)
{
    const String n(1, system);
    switch (d[5]) {
    case u'0':
    case u'1':
    case u'2': return n + String(d.substr(0, 2)) + d[5] + u"0000" + String(d.substr(2, 3));
    case u'3': return n + String(d.substr(0, 3)) + u"00000" + String(d.substr(3, 2));
    case u'4': return n + String(d.substr(0, 4)) + u"00000" + d[4];
    default: return n + String(d.substr(0, 5)) + u"0000" + d[5];
    }
}

struct Change {
    String code;
    std::string what; // the form recognised
};

void checkDigit(DrawRequest& r, std::string_view of, char16_t given, char16_t right)
{
    if (given != right)
        r.warnings.push_back(std::string(r.method.name) + ": check digit " +
                             shown(String(1, given)) + " of the " + std::string(of) +
                             " replaced by " + shown(String(1, right)));
}

std::optional<Change> isbn(DrawRequest& r, std::u16string_view code)
{
    const auto groups = digitGroups(code);
    if (groups) {
        const String digits = joined(*groups);
        if (digits.size() == 13 && digits.starts_with(u"979"))
            throw UsageError("BarISBN draws books in the 978 range only; an ISBN-13 beginning "
                             "979 is drawn as EAN-13: tallux draw ean13 --code " +
                             toUtf8(digits.substr(0, 12)));
        if (digits.size() == 13 && digits.starts_with(u"978")) {
            checkDigit(r, "ISBN-13", digits[12],
                       eanCheck(std::u16string_view(digits).substr(0, 12)));
            return Change{digits.substr(3, 9), "ISBN-13"};
        }
    }
    // A hyphenated ISBN-10, its check character a digit or X.
    if (code.find_first_of(u"- ") == std::u16string_view::npos) return {};
    const char16_t last = code.back();
    const bool x = last == u'X' || last == u'x';
    std::u16string_view digits = x ? code.substr(0, code.size() - 1) : code;
    if (x && (digits.ends_with(u'-') || digits.ends_with(u' '))) digits.remove_suffix(1);
    const auto body = digitGroups(digits);
    if (!body) return {};
    String ten = joined(*body) + (x ? u"X" : u"");
    if (ten.size() != 10) return {};
    checkDigit(r, "ISBN-10", ten[9], isbn10Check(ten));
    return Change{ten.substr(0, 9), "ISBN-10"};
}

std::optional<Change> upce(DrawRequest& r, std::u16string_view code)
{
    if (code.size() != 8 || !allDigits(code)) return {};
    const std::u16string_view six = code.substr(1, 6);
    if (code[0] == u'1')
        throw UsageError("BarUPCE draws number system 0 only; " + shown(code) +
                         " is number system 1: draw it as UPC-A: tallux draw upca --code " +
                         toUtf8(upcaOfUpce(u'1', six)));
    if (code[0] != u'0') return {};
    checkDigit(r, "UPC-E", code[7], eanCheck(upcaOfUpce(u'0', six)));
    return Change{String(six), "8-digit UPC-E"};
}

std::optional<Change> postnet(std::u16string_view code)
{
    const auto groups = digitGroups(code);
    if (!groups || groups->size() < 2 || (*groups)[0].size() != 5 || (*groups)[1].size() != 4 ||
        groups->size() > 3 || (groups->size() == 3 && (*groups)[2].size() != 2))
        return {};
    static constexpr const char* names[] = {"", "", "ZIP+4", "ZIP+4+2"};
    return Change{joined(*groups), names[groups->size()]};
}

// Interleaved 2 of 5 takes digits in pairs, the check digit included; the
// method evens an odd count with a zero at the end, which changes the number.
std::optional<Change> interleaved(const DrawRequest& r, std::u16string_view code)
{
    if (!allDigits(code)) return {};
    if ((code.size() + (r.params.pChk ? 1 : 0)) % 2 == 0) return {};
    return Change{u"0" + String(code), r.params.pChk ? "odd number of digits with the check digit"
                                                     : "odd number of digits"};
}

// The one Code 128 set that encodes every character: C for digits in
// pairs, A for data with control characters, B for any other.
char16_t onlySet(const DrawRequest& r, std::u16string_view data)
{
    if (data.empty())
        throw UsageError("--set auto needs a code to choose a set for (--code is empty)");
    if (data.size() % 2 == 0 && allDigits(data)) return u'C';
    std::optional<std::size_t> control, beyondA;
    for (std::size_t i = 0; i < data.size(); ++i) {
        const int code = ansiCode(data[i]);
        if (code < 32 && !control) control = i;
        if (code >= 96 && code < 128 && !beyondA) beyondA = i;
    }
    if (control && beyondA)
        throw UsageError("no one Code 128 set encodes both " + shown(data.substr(*control, 1)) +
                         " (a control character, set A) and " + shown(data.substr(*beyondA, 1)) +
                         " (set B); " + std::string(r.method.name) +
                         " draws one set a symbol: split the data");
    return control ? u'A' : u'B';
}

std::string setReason(char16_t set, std::u16string_view data)
{
    switch (set) {
    case u'C': return "set C (digits in pairs)";
    case u'A': return "set A (control characters)";
    default:
        return std::ranges::any_of(data, [](char16_t c) { return c >= u'a' && c <= u'z'; })
                   ? "set B (lower case)"
                   : "set B";
    }
}

void code128(DrawRequest& r, bool image)
{
    if (!r.codeSet) {
        const String& code = r.params.pCode;
        const bool hasSet = !code.empty() && String(u"ABC").find(code[0]) != String::npos;
        if (!image || r.raw || code.empty() || hasSet) return;
        r.codeSet = 0; // auto, as images draw unless told
    }
    const String data = r.params.pCode;
    const char16_t set = *r.codeSet != 0 ? *r.codeSet : onlySet(r, data);
    r.params.pCode = String(1, set) + data;
    r.codeOffset = 1;
    r.notes.push_back(std::string(r.method.name) + ": " +
                      (*r.codeSet != 0 ? "set " + toUtf8(String(1, set)) : setReason(set, data)) +
                      " put in front of the code: passed as " + shown(r.params.pCode));
}

} // namespace

void prepareData(DrawRequest& r, bool image)
{
    if (r.codeSet && (r.raw || !image))
        throw UsageError(std::string("--set changes the data, which ") +
                         (r.raw ? "--raw passes as given" : "the trace shows as given") +
                         ": put the set letter in front of --code");
    if (r.method.type == Code_128) {
        code128(r, image);
        return;
    }
    if (r.raw || !image) return;
    const String code = trimBlanks(r.params.pCode);
    std::optional<Change> change;
    switch (r.method.type) {
    case ISBN: change = isbn(r, code); break;
    case UPC_E: change = upce(r, code); break;
    case PostNet: change = postnet(code); break;
    case Code_25: change = interleaved(r, code); break;
    default: break;
    }
    if (!change) return;
    r.notes.push_back(std::string(r.method.name) + ": " + change->what + " " +
                      shown(r.params.pCode) + " passed as " + shown(change->code) +
                      " (--raw passes it as given)");
    if (r.method.type == Code_25) r.codeOffset = 1;
    r.params.pCode = std::move(change->code);
}

} // namespace tallux::cli
