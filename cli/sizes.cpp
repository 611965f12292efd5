#include "sizes.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <optional>

#include "runtime/ratio.h"
#include "tallux/types.h"

namespace tallux::cli {

namespace {

// What the command line leaves out, in twips: the host's usual 1/96-inch
// module and 5/8-inch bars, 150 twips from the page's corner.
constexpr double defaultX = 150, defaultY = 150, defaultWidth = 15, defaultHeight = 900;
// The resolution that a PNG comes near without --dpi.
constexpr double aboutDpi = 300;

// A size in whole scale units: as given, or the default's physical size.
// A length that rounding changes by more than 5 % gets a warning.
Integer wholeUnits(DrawRequest& r, std::string_view option, const std::optional<Length>& given,
                   double defaultTwips, double dpi)
{
    const ScaleUnits units = r.page.scale.units;
    if (!given) {
        const double v = inUnits({defaultTwips, LengthUnit::Twips}, units, dpi);
        return std::max(1, static_cast<int>(std::lround(v)));
    }
    const double exact = inUnits(*given, units, dpi);
    const double whole = std::round(exact);
    if (!(whole >= Integer::min && whole <= Integer::max))
        throw UsageError(quoted(option) + " is " + shortNumber(exact) + " " +
                         std::string(unitName(units)) + ", more than 32767");
    if (std::abs(whole - exact) > 0.05 * std::abs(exact))
        r.warnings.push_back(std::string(option) + " is " + shortNumber(exact) + " " +
                             std::string(unitName(units)) + ", drawn as " + shortNumber(whole) +
                             " (use other --units or a length in whole " +
                             std::string(unitName(units)) + ")");
    return static_cast<int>(whole);
}

// The ratio text that widens the wide element by `extra` units, with no
// narrow extra. The number before the colon counts seven times, so it is the
// extra / 7, written with as many digits as reading it back needs.
String ratioText(long extra)
{
    extra = std::clamp(extra, long{Integer::min}, long{Integer::max});
    String text;
    for (int digits = 1; digits <= 17; ++digits) {
        char buf[48];
        std::snprintf(buf, sizeof buf, "%.*g:0", digits, static_cast<double>(extra) / 7);
        text = fromUtf8(buf);
        try {
            if (Ratio::read(text).wide == Integer(static_cast<int>(extra))) break;
        } catch (const RuntimeError&) {
        }
    }
    return text;
}

// The wide element's extra on a raster page where the narrow element is
// `narrow` units of `pixels` whole pixels: a wide element of whole pixels
// and whole units, as near 2.5 narrow ones as that allows (the wider of
// two as near), between 2 and 3; nothing where none is.
std::optional<long> wholePixelExtra(long narrow, long pixels)
{
    std::optional<long> best;
    double off = 0;
    for (long p = 2 * pixels; p <= 3 * pixels; ++p) {
        if (p * narrow % pixels != 0) continue;
        const double d = std::abs(static_cast<double>(p) - 2.5 * static_cast<double>(pixels));
        if (!best || d <= off) best = p * narrow / pixels - narrow, off = d;
    }
    return best;
}

} // namespace

void applySizes(DrawRequest& r)
{
    Scale& scale = r.page.scale;
    const auto inPixels = [](const std::optional<Length>& l) {
        return l && l->unit == LengthUnit::Pixels;
    };
    if (scale.dpi == 0 &&
        (scale.units == ScaleUnits::Pixels || inPixels(r.width) || inPixels(r.height)))
        scale.dpi = pixelDpi;
    const double dpi = scale.dpi > 0 ? scale.dpi : pixelDpi;
    r.params.pWidth = wholeUnits(r, "--width", r.width, defaultWidth, dpi);
    r.params.pHeight = wholeUnits(r, "--height", r.height, defaultHeight, dpi);
    if (!r.xGiven)
        r.params.pX = static_cast<Single>(inUnits({defaultX, LengthUnit::Twips}, scale.units, dpi));
    if (!r.yGiven)
        r.params.pY = static_cast<Single>(inUnits({defaultY, LengthUnit::Twips}, scale.units, dpi));
    const bool defaultRatio = !r.ratioGiven && r.method.ratio.has_value();
    if (defaultRatio) r.params.pRatio = ratioText(std::lround(1.5 * r.params.pWidth.value()));
    if (scale.dpi > 0 || r.target == TargetKind::Printer) return; // a printer keeps its own

    // The narrow element whole pixels, at about 300 dpi.
    const double perInch = unitsPerInch(scale.units, dpi);
    const double narrow = narrowWidth(r);
    if (narrow <= 0) {
        scale.dpi = pixelDpi;
        return;
    }
    const double pixels = std::max(1.0, std::round(aboutDpi * narrow / perInch));
    scale.dpi = std::clamp(pixels * perInch / narrow, 1.0, 9600.0);
    // On a raster page the wide element is whole pixels too, so that every
    // wide bar has the same width.
    if (defaultRatio && r.target == TargetKind::Png && scale.dpi == pixels * perInch / narrow)
        if (const auto extra = wholePixelExtra(std::lround(narrow), std::lround(pixels)))
            r.params.pRatio = ratioText(*extra);
}

} // namespace tallux::cli
