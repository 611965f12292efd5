#include "result_causes.h"

#include "reader_warnings.h"
#include "runtime/text.h"
#include "tallux/error.h"

namespace tallux::cli {

namespace {

// The first index from `from` to the last non-blank whose character `bad` picks.
template <class Bad>
std::optional<std::size_t> firstIndex(std::u16string_view code, std::size_t from, Bad bad)
{
    const std::size_t last = code.find_last_not_of(u' ');
    if (last == std::u16string_view::npos) return std::nullopt;
    for (std::size_t i = from; i <= last; ++i)
        if (bad(code[i])) return i;
    return std::nullopt;
}

std::size_t firstNonBlank(std::u16string_view code)
{
    const std::size_t at = code.find_first_not_of(u' ');
    return at == std::u16string_view::npos ? code.size() : at;
}

bool nonDigit(char16_t c)
{
    return c < u'0' || c > u'9';
}

std::optional<std::string> code128(const DrawRequest& r, int number)
{
    const std::u16string_view code = r.params.pCode;
    if (code.empty()) return std::nullopt;
    if (code[0] == u'A' && number == 94) {
        if (const auto i = firstIndex(code, 1, [](char16_t c) { return ansiCode(c) >= 96; }))
            return characterAt(r, *i) + " is not in set A (upper case and control characters); " +
                   "set B has lower case";
    }
    if (code[0] == u'B' && number == 9) {
        const auto outside = [](char16_t c) { return ansiCode(c) < 32 || ansiCode(c) > 138; };
        if (const auto i = firstIndex(code, 1, outside))
            return characterAt(r, *i) + (ansiCode(code[*i]) < 32
                                             ? " is a control character, which set B lacks (set "
                                               "A has it)"
                                             : " has no symbol character in set B");
    }
    if (code[0] == u'C' && number == 9) {
        if (const auto i = firstIndex(code, 1, nonDigit))
            return characterAt(r, *i) + " is not a digit: set C draws digit pairs only";
    }
    return std::nullopt;
}

std::optional<std::string> beyondAscii(const DrawRequest& r, std::string_view symbology)
{
    const auto high = [](char16_t c) { return ansiCode(c) >= 128; };
    if (const auto i = firstIndex(r.params.pCode, 0, high))
        return characterAt(r, *i) + " has no " + std::string(symbology) +
               " character (it draws the codes 0 to 127)";
    return std::nullopt;
}

} // namespace

std::optional<std::string> resultCause(const DrawRequest& r, int number)
{
    const std::u16string_view code = r.params.pCode;
    switch (r.method.type) {
    case Code_128: return code128(r, number);
    case Code_39:
    case Code_39F:
        if (number == 9) return beyondAscii(r, "Code 39");
        break;
    case Code_93:
        if (number == 9) return beyondAscii(r, "Code 93");
        break;
    case Codabar:
        if (number == 5 && code.find_first_not_of(u' ') == std::u16string_view::npos)
            return std::string("the code is empty");
        if (number == 9) {
            const auto none = [](char16_t c) { return ansiCode(c) > 68; };
            if (const auto i = firstIndex(code, firstNonBlank(code), none))
                return characterAt(r, *i) + " has no Codabar pattern (digits, - $ : / . + and "
                                            "the start/stop characters A to D)";
        }
        break;
    case Code_25:
    case UPC_E:
        if (number == 13)
            if (const auto i = firstIndex(code, firstNonBlank(code), nonDigit))
                return characterAt(r, *i) + " is not a digit";
        break;
    default: break;
    }
    return std::nullopt;
}

std::optional<std::string> raisedCause(const DrawRequest& request, int number)
{
    if (number != err::InvalidCall || !request.method.ratio ||
        std::u16string_view(request.params.pRatio).find(u':') != std::u16string_view::npos)
        return std::nullopt;
    return "--ratio needs WIDE:NARROW extras, e.g. 3:1";
}

} // namespace tallux::cli
