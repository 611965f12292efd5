#include "targets/cairo/text_layouts.h"

#include "runtime/text.h"

#include <algorithm>
#include <functional>
#include <string>
#include <unordered_map>
#include <vector>

namespace tallux {

namespace {

// What a Pango context takes from a cairo context: the surface's kind (its
// default font options) and the linear part of the transformation.
struct ContextKey {
    cairo_surface_type_t surface;
    double xx, yx, xy, yy;
    bool operator==(const ContextKey&) const = default;
};

ContextKey contextKey(cairo_t* cr)
{
    cairo_matrix_t m;
    cairo_get_matrix(cr, &m);
    return {cairo_surface_get_type(cairo_get_target(cr)), m.xx, m.yx, m.xy, m.yy};
}

// Unhinted metrics and unrounded glyph positions: text measures the same in
// every scale and on every surface. Glyphs stay anti-aliased.
PangoContext* newContext(cairo_t* cr)
{
    PangoContext* context = pango_font_map_create_context(pango_cairo_font_map_get_default());
    cairo_font_options_t* options = cairo_font_options_create();
    cairo_font_options_set_antialias(options, CAIRO_ANTIALIAS_GRAY);
    cairo_font_options_set_hint_style(options, CAIRO_HINT_STYLE_NONE);
    cairo_font_options_set_hint_metrics(options, CAIRO_HINT_METRICS_OFF);
    pango_cairo_context_set_font_options(context, options);
    cairo_font_options_destroy(options);
    pango_context_set_round_glyph_positions(context, FALSE);
    pango_cairo_update_context(cr, context);
    return context;
}

struct Entry {
    std::size_t context; // index into Cache::contexts
    PangoFontDescription* font;
    std::string text;
    ShapedText shaped;
};

class Cache {
public:
    Cache() = default;
    Cache(const Cache&) = delete;
    Cache& operator=(const Cache&) = delete;
    ~Cache() { clear(); }

    ShapedText& get(cairo_t* cr, const PangoFontDescription* font, unsigned fontHash,
                    std::string_view utf8)
    {
        const std::size_t context = contextIndex(cr);
        const std::size_t hash = std::hash<std::string_view>{}(utf8) ^
                                 (std::size_t{fontHash} * 31u) ^ (context * 0x9E3779B97F4A7C15u);
        auto [first, last] = entries_.equal_range(hash);
        for (auto it = first; it != last; ++it) {
            Entry& e = it->second;
            if (e.context == context && e.text == utf8 &&
                pango_font_description_equal(e.font, font))
                return e.shaped;
        }
        if (entries_.size() >= maxEntries) {
            clearLayouts();
            return get(cr, font, fontHash, utf8);
        }
        PangoLayout* layout = pango_layout_new(contexts_[context].second);
        pango_layout_set_font_description(layout, font);
        pango_layout_set_text(layout, utf8.data(), static_cast<int>(utf8.size()));
        ShapedText shaped;
        shaped.layout = layout;
        pango_layout_get_extents(layout, nullptr, &shaped.logical);
        auto it = entries_.emplace(hash, Entry{context, pango_font_description_copy(font),
                                               std::string(utf8), std::move(shaped)});
        return it->second.shaped;
    }

private:
    // Bounds on what one thread keeps: beyond them everything is let go.
    static constexpr std::size_t maxEntries = 4096;
    static constexpr std::size_t maxContexts = 16;

    std::size_t contextIndex(cairo_t* cr)
    {
        const ContextKey key = contextKey(cr);
        for (std::size_t i = 0; i < contexts_.size(); ++i)
            if (contexts_[i].first == key) return i;
        if (contexts_.size() >= maxContexts) clear();
        contexts_.emplace_back(key, newContext(cr));
        return contexts_.size() - 1;
    }

    void clearLayouts()
    {
        for (auto& [hash, e] : entries_) {
            g_object_unref(e.shaped.layout);
            pango_font_description_free(e.font);
        }
        entries_.clear();
    }

    void clear()
    {
        clearLayouts();
        for (auto& [key, context] : contexts_) g_object_unref(context);
        contexts_.clear();
    }

    std::vector<std::pair<ContextKey, PangoContext*>> contexts_;
    std::unordered_multimap<std::size_t, Entry> entries_;
};

} // namespace

ShapedText& shapedText(cairo_t* cr, const PangoFontDescription* font, unsigned fontHash,
                       std::string_view utf8)
{
    thread_local Cache cache;
    return cache.get(cr, font, fontHash, utf8);
}

PangoFontState::PangoFontState()
    : font_(pango_font_description_new())
{
}

PangoFontState::~PangoFontState()
{
    pango_font_description_free(font_);
}

void PangoFontState::set(const HostFont& font, double unitsPerInch)
{
    // Pango asks fontconfig, which substitutes a similar face for a family
    // that is not installed.
    pango_font_description_set_family(font_, toUtf8(font.name).c_str());
    pango_font_description_set_weight(font_, font.bold ? PANGO_WEIGHT_BOLD : PANGO_WEIGHT_NORMAL);
    size_ = font.points * unitsPerInch / 72.0;
    pango_font_description_set_absolute_size(font_, size_ * PANGO_SCALE);
    hash_ = pango_font_description_hash(font_);
}

ShapedText& PangoFontState::layOut(cairo_t* cr, const String& s)
{
    return shapedText(cr, font_, hash_, toUtf8(s));
}

TextMetrics metricsOf(const ShapedText& text)
{
    return {pango_units_to_double(text.logical.width), pango_units_to_double(text.logical.height)};
}

UnitBox logicalBox(const ShapedText& text, double x, double y)
{
    const PangoRectangle& r = text.logical;
    const double left = x + pango_units_to_double(r.x), top = y + pango_units_to_double(r.y);
    return {left, top, left + pango_units_to_double(r.width),
            top + pango_units_to_double(r.height)};
}

bool overlaps(const UnitBox& a, const UnitBox& b)
{
    return std::max(a.x0, b.x0) < std::min(a.x1, b.x1) &&
           std::max(a.y0, b.y0) < std::min(a.y1, b.y1);
}

} // namespace tallux
