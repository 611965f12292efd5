#pragma once

// What each drawing method may leave behind: the numbers it returns or
// raises by itself, the element widths it draws, whether its text is on, and
// the values the caller's pCode may hold after the call. Written from the
// methods' descriptions, independently of their code.

#include <algorithm>
#include <initializer_list>
#include <optional>
#include <set>
#include <string_view>

#include "runtime/text.h"
#include "tallux/methods.h"

namespace tallux::fuzz {

enum class Elements { Modules, WideNarrow };

struct Expect {
    std::set<int> returned; // besides 91 (no target) and the target's own numbers
    std::set<int> raised;   // besides 6 for a target number beyond 16 bits
    Elements elements;
    bool anyNonZeroText; // pText: any non-zero value prints, or only 1
};

inline const Expect& expectFor(tBarcodeType type)
{
    using E = Elements;
    static const Expect table[] = {
        /* 0 Codabar */ {{5, 6, 9}, {5, 6}, E::WideNarrow, false},
        /* 1 Code 11 */ {{6}, {5, 6}, E::WideNarrow, false},
        /* 2 Code 128 */ {{5, 6, 9, 94}, {}, E::Modules, true},
        /* 3 I25 */ {{6, 13}, {5, 6}, E::WideNarrow, false},
        /* 4 Code 39 */ {{6, 9}, {5, 6}, E::WideNarrow, false},
        /* 5 Code 39F */ {{6, 9}, {5, 6}, E::WideNarrow, false},
        /* 6 Code 93 */ {{6, 9}, {}, E::Modules, false},
        /* 7 EAN-13 */ {{6}, {6}, E::Modules, true},
        /* 8 EAN-8 */ {{6}, {6}, E::Modules, true},
        /* 9 ISBN */ {{6}, {6}, E::Modules, true},
        /* 10 MSI */ {{6}, {5, 6}, E::WideNarrow, false},
        /* 11 POSTNET */ {{6}, {}, E::Modules, false},
        /* 12 UPC-A */ {{6}, {6}, E::Modules, true},
        /* 13 UPC-A Plus */ {{6}, {6}, E::Modules, true},
        /* 14 UPC-E */ {{6, 13}, {6}, E::Modules, true},
    };
    static_assert(std::size(table) == drawingMethods.size());
    return table[type];
}

inline bool textOn(tBarcodeType type, Integer pText)
{
    return expectFor(type).anyNonZeroText ? pText != 0 : pText == 1;
}

// The value of a Code 39 character in the check sum; other characters add
// their own code.
inline int code39Value(char16_t c)
{
    const int code = ansiCode(c);
    if (c >= u'0' && c <= u'9') return code - 48;
    if (c >= u'A' && c <= u'Z') return code - 55;
    constexpr std::u16string_view symbols = u"-. $/+%";
    if (const auto at = symbols.find(c); at != std::u16string_view::npos)
        return 36 + static_cast<int>(at);
    return code;
}

inline constexpr std::u16string_view code39Characters =
    u"0123456789ABCDEFGHIJKLMNOPQRSTUVWXYZ-. $/+%";

// The modulo-43 check character, or none when the sum leaves 16 bits.
inline std::optional<char16_t> code39Check(std::u16string_view code)
{
    int sum = 0;
    for (char16_t c : code)
        if ((sum += code39Value(c)) > 32767) return std::nullopt;
    return code39Characters[static_cast<std::size_t>(sum % 43)];
}

// A code trimmed, then padded with "0" or cut to n characters.
inline String fitted(const String& code, std::size_t n)
{
    String s = trimBlanks(code);
    if (s.size() != n) s = (s + String(n, u'0')).substr(0, n);
    return s;
}

inline String postnetNormalised(const String& code)
{
    if (code.size() <= 5) return (code + u"00000").substr(0, 5);
    if (code.size() == 6) return code;
    return (code + u"000000000").substr(0, 9);
}

inline char16_t postnetCheck(const String& code)
{
    int sum = 0;
    for (char16_t c : code)
        if (c >= u'0' && c <= u'9') sum += c - u'0';
    return static_cast<char16_t>(u'0' + (10 - sum % 10) % 10);
}

inline bool isStartStop(char16_t c)
{
    const int code = ansiCode(c);
    return code >= 65 && code <= 68;
}

// `before` followed by `n` characters, each one of `set`.
inline bool appended(const String& before, const String& after, std::size_t n,
                     std::u16string_view set)
{
    return after.size() == before.size() + n && after.starts_with(before) &&
           std::ranges::all_of(after.substr(before.size()),
                               [&](char16_t c) { return set.find(c) != set.npos; });
}

inline bool oneOf(const String& after, std::initializer_list<String> allowed)
{
    return std::ranges::find(allowed, after) != allowed.end();
}

// Whether pCode may read `after` once the method has returned (drawn: it
// returned 0) or raised, given what the caller passed.
inline bool writeBackAllowed(tBarcodeType type, const DrawParams& p, const String& before,
                             const String& after, bool drawn)
{
    const bool chk = static_cast<bool>(p.pChk);
    switch (type) {
    case Code_93: return after == before;
    case Code_39: {
        const auto c = chk ? code39Check(before) : std::nullopt;
        if (drawn) return after == (c ? before + *c : before);
        return after == before || (c && after == before + *c);
    }
    case Code_39F:
        if (!chk) return after == before;
        return (!drawn && after == before) || appended(before, after, 1, code39Characters);
    case Code_11:
        if (!chk) return after == before;
        return (!drawn && after == before) || appended(before, after, 2, u"0123456789-");
    case Code_MSI:
        if (!chk) return after == before;
        return (!drawn && after == before) || appended(before, after, 1, u"0123456789");
    case Code_128: {
        if (before.empty()) return after == before;
        const String data = before.substr(1);
        if (drawn) return after == data;
        return oneOf(after, {before, data}) ||
               (before[0] == u'C' && data.size() % 2 == 1 && after == u"0" + data);
    }
    case Code_25: {
        const String trimmed = trimBlanks(before);
        return drawn ? after == trimmed : oneOf(after, {before, trimmed});
    }
    case Codabar: {
        const String trimmed = trimBlanks(before);
        if (trimmed.empty()) return !drawn && oneOf(after, {before, trimmed});
        String full = isStartStop(trimmed.front()) ? trimmed : u"A" + trimmed;
        if (!isStartStop(full.back())) full += u'A';
        return drawn ? after == full : oneOf(after, {before, trimmed, full});
    }
    case PostNet: {
        const String code = postnetNormalised(before);
        const String checked = code + postnetCheck(code);
        if (drawn) return after == (p.pText == 1 ? code : checked);
        return oneOf(after, {before, code, checked});
    }
    case EAN_13: return after == fitted(before, 12);
    case EAN_8: return after == fitted(before, 7);
    case UPC_A:
    case UPC_A_Plus: return after == fitted(before, 11);
    case UPC_E: return after == fitted(before, 6);
    case ISBN: {
        const String book = fitted(before, 9);
        return drawn ? after == u"978" + book : oneOf(after, {book, u"978" + book});
    }
    }
    return false;
}

} // namespace tallux::fuzz
