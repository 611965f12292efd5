#include "targets/cairo/stable_output.h"

#include <cstdlib>
#include <ctime>
#include <string_view>
#include <vector>

#include <cairo-pdf.h>

namespace tallux {

std::string withStableSvgIds(std::string svg) {
    constexpr std::string_view name = "surface";
    const auto isDigit = [](char c) { return c >= '0' && c <= '9'; };
    std::vector<std::string> seen; // serial numbers in order of appearance
    std::string out;
    out.reserve(svg.size());
    std::size_t from = 0;
    for (std::size_t at = svg.find(name); at != std::string::npos; at = svg.find(name, at)) {
        const std::size_t digits = at + name.size();
        std::size_t end = digits;
        while (end < svg.size() && isDigit(svg[end]))
            ++end;
        // Only a reference: id="surface7", href="#surface7", url(#surface7).
        const bool reference = at > 0 && (svg[at - 1] == '"' || svg[at - 1] == '#');
        if (end == digits || !reference) {
            at = digits;
            continue;
        }
        const std::string serial = svg.substr(digits, end - digits);
        std::size_t index = 0;
        while (index < seen.size() && seen[index] != serial)
            ++index;
        if (index == seen.size()) seen.push_back(serial);
        out.append(svg, from, digits - from);
        out += std::to_string(index + 1);
        from = at = end;
    }
    out.append(svg, from, std::string::npos);
    return out;
}

void setReproducibleDate(cairo_surface_t* pdf) {
    const char* epoch = std::getenv("SOURCE_DATE_EPOCH");
    if (epoch == nullptr || *epoch == '\0') return;
    char* end = nullptr;
    const long long seconds = std::strtoll(epoch, &end, 10);
    if (*end != '\0' || seconds < 0) return;
    const auto t = static_cast<std::time_t>(seconds);
    std::tm utc{};
    if (::gmtime_r(&t, &utc) == nullptr) return;
    char text[32];
    std::strftime(text, sizeof text, "%Y-%m-%dT%H:%M:%SZ", &utc);
    cairo_pdf_surface_set_metadata(pdf, CAIRO_PDF_METADATA_CREATE_DATE, text);
}

} // namespace tallux
