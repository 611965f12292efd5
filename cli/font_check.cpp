#include "font_check.h"

#include <algorithm>
#include <array>
#include <cctype>
#include <map>
#include <memory>
#include <mutex>

#include <fontconfig/fontconfig.h>

namespace tallux::cli {

namespace {

// Names compared as fontconfig compares families: case and blanks ignored.
std::string folded(std::string_view name)
{
    std::string out;
    for (const char c : name)
        if (c != ' ') out += static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return out;
}

struct PatternFree {
    void operator()(FcPattern* p) const { FcPatternDestroy(p); }
};
using Pattern = std::unique_ptr<FcPattern, PatternFree>;

// Asks fontconfig, as the text targets do.
std::optional<std::string> askFontconfig(std::string_view family)
{
    static constexpr std::array<std::string_view, 8> generic = {
        "sans", "sans-serif", "serif", "monospace", "mono", "system-ui", "cursive", "fantasy"};
    const std::string wanted = folded(family);
    if (wanted.empty() || std::ranges::find(generic, wanted) != generic.end()) return std::nullopt;

    Pattern pattern(FcPatternCreate());
    if (!pattern) return std::nullopt;
    const std::string name(family);
    FcPatternAddString(pattern.get(), FC_FAMILY, reinterpret_cast<const FcChar8*>(name.c_str()));
    FcConfigSubstitute(nullptr, pattern.get(), FcMatchPattern);
    FcDefaultSubstitute(pattern.get());
    FcResult result = FcResultNoMatch;
    const Pattern match(FcFontMatch(nullptr, pattern.get(), &result));
    if (!match) return std::nullopt;
    FcChar8* found = nullptr;
    std::optional<std::string> first;
    for (int i = 0; FcPatternGetString(match.get(), FC_FAMILY, i, &found) == FcResultMatch; ++i) {
        const std::string text(reinterpret_cast<const char*>(found));
        if (folded(text) == wanted) return std::nullopt;
        if (!first) first = text;
    }
    return first;
}

} // namespace

std::optional<std::string> substitutedFont(std::string_view family)
{
    // A batch asks once a name, from any of its workers.
    static std::mutex mutex;
    static std::map<std::string, std::optional<std::string>, std::less<>> known;
    const std::lock_guard lock(mutex);
    if (const auto it = known.find(family); it != known.end()) return it->second;
    return known.emplace(std::string(family), askFontconfig(family)).first->second;
}

} // namespace tallux::cli
