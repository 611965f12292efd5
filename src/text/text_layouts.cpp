#include "text/text_layouts.h"

#include <algorithm>
#include <array>
#include <atomic>
#include <functional>
#include <memory>
#include <string>
#include <unordered_map>
#include <vector>

#include <cairo-ft.h>
#include <fontconfig/fontconfig.h>

#include "runtime/text.h"
#include "text/shaping_store.h"
#include "text/text_shaper.h"

namespace tallux {

ShapingKey shapingKey(cairo_t* cr)
{
    cairo_matrix_t m;
    cairo_get_matrix(cr, &m);
    ShapingKey key;
    key.surface = cairo_surface_get_type(cairo_get_target(cr));
    key.xx = m.xx, key.yx = m.yx, key.xy = m.xy, key.yy = m.yy;
    return key;
}

namespace {

// Text shaped once and kept, per thread, for each kind of surface,
// transformation, font and text: drawing the same digits again needs no
// font lookup and no shaping. Whoever keeps the pointer keeps the text.
class Cache {
public:
    // A single ASCII character, most of what symbols print, is found by itself.
    const std::shared_ptr<ShapedText>& get(const ShapingKey& key, const String& s)
    {
        if (s.size() != 1 || s[0] >= singles_.size()) return find(key, toUtf8(s));
        std::shared_ptr<ShapedText>& single = singles_[s[0]];
        if (!single || single->key != key) single = find(key, toUtf8(s));
        return single;
    }

private:
    const std::shared_ptr<ShapedText>& find(const ShapingKey& key, std::string_view utf8)
    {
        const std::size_t hash = std::hash<std::string_view>{}(utf8) ^
                                 (std::hash<std::string>{}(key.family) * 31u) ^
                                 (std::hash<double>{}(key.size) * 0x9E3779B97F4A7C15u);
        auto [first, last] = entries_.equal_range(hash);
        for (auto it = first; it != last; ++it)
            if (it->second->asked == utf8 && it->second->key == key) return it->second;
        // A bound on what one thread keeps: beyond it everything is let go.
        if (entries_.size() >= 4096) entries_.clear();
        auto it = entries_.emplace(hash, std::make_shared<ShapedText>());
        try {
            shape(*it->second, key, utf8);
            return it->second;
        } catch (...) {
            entries_.erase(it); // nothing half-shaped is kept for the next call
            throw;
        }
    }

    static void shape(ShapedText& shaped, const ShapingKey& key, std::string_view utf8)
    {
        // The store serves the first few texts of a process: a process that
        // draws many pays fontconfig's start once and gains nothing more.
        static std::atomic<int> fromStore{0};
        const ShapingStore& store = ShapingStore::instance();
        const bool stored = store.enabled() && fromStore.fetch_add(1) < 32;
        if (stored && store.load(key, utf8, shaped)) {
            shaped.kept = true;
        } else {
            const TextShaper& shaper = textShaper();
            shaper.shape(key, utf8, shaped);
            if (std::ranges::any_of(shaped.runs, [](const ShapedRun& r) { return r.font < 0; }))
                throw TextError("text cannot be drawn: fontconfig finds no font");
            shaped.kept = stored && !shaped.drawnByPango && !shaped.ownFonts;
            if (shaped.kept) store.store(key, utf8, shaped, shaper.inputs());
        }
        shaped.key = key, shaped.asked = utf8;
    }

    std::unordered_multimap<std::size_t, std::shared_ptr<ShapedText>> entries_;
    std::array<std::shared_ptr<ShapedText>, 128> singles_;
};

struct FaceRelease {
    void operator()(cairo_font_face_t* face) const { cairo_font_face_destroy(face); }
};

// The cairo face of a font pattern, made once per thread. The pattern names
// its file, so cairo opens that file without asking fontconfig.
cairo_font_face_t* faceOf(const std::string& pattern)
{
    thread_local std::unordered_map<std::string, std::unique_ptr<cairo_font_face_t, FaceRelease>>
        faces;
    auto it = faces.find(pattern);
    if (it != faces.end()) return it->second.get();
    if (faces.size() >= 64) faces.clear();
    FcPattern* p = FcNameParse(reinterpret_cast<const FcChar8*>(pattern.c_str()));
    cairo_font_face_t* face = p ? cairo_ft_font_face_create_for_pattern(p) : nullptr;
    if (p) FcPatternDestroy(p);
    if (face == nullptr) return nullptr;
    return faces.emplace(pattern, face).first->second.get();
}

} // namespace

void TextFont::set(const HostFont& font, double unitsPerInch)
{
    key_.family = toUtf8(font.name);
    key_.bold = font.bold;
    key_.size = font.points * unitsPerInch / 72.0;
}

void TextFont::onSurface(const ShapingKey& surface)
{
    key_.surface = surface.surface;
    key_.xx = surface.xx, key_.yx = surface.yx, key_.xy = surface.xy, key_.yy = surface.yy;
}

const std::shared_ptr<ShapedText>& TextFont::layOut(const String& s)
{
    thread_local Cache cache;
    return cache.get(key_, s);
}

void keepMasks(const ShapedText& text)
{
    if (text.kept) ShapingStore::instance().storeAgain(text);
}

namespace {

// Sets cr's font to the face as the shaper's scaled font has it.
void useShapedFont(cairo_t* cr, const ShapedFont& font)
{
    cairo_font_face_t* face = faceOf(font.pattern);
    if (face == nullptr) return;
    cairo_set_font_face(cr, face);
    const auto& m = font.matrix;
    const cairo_matrix_t matrix{m[0], m[1], m[2], m[3], m[4], m[5]};
    cairo_set_font_matrix(cr, &matrix);
    cairo_font_options_t* o = cairo_font_options_create();
    cairo_font_options_set_antialias(o, static_cast<cairo_antialias_t>(font.antialias));
    cairo_font_options_set_subpixel_order(o,
                                          static_cast<cairo_subpixel_order_t>(font.subpixelOrder));
    cairo_font_options_set_hint_style(o, static_cast<cairo_hint_style_t>(font.hintStyle));
    cairo_font_options_set_hint_metrics(o, static_cast<cairo_hint_metrics_t>(font.hintMetrics));
    if (!font.variations.empty()) cairo_font_options_set_variations(o, font.variations.c_str());
    cairo_set_font_options(cr, o);
    cairo_font_options_destroy(o);
}

} // namespace

void showShapedText(cairo_t* cr, const ShapedText& text, bool path)
{
    double x0 = 0, y0 = 0;
    const bool hadPoint = cairo_has_current_point(cr);
    if (hadPoint) cairo_get_current_point(cr, &x0, &y0);
    if (text.drawnByPango) {
        // Pango's boxes for characters no font has come as outlines, filled
        // where the text is shown.
        std::vector<cairo_path_data_t> outline = textShaper().outline(text.key, text.asked);
        for (std::size_t i = 0; i < outline.size();) {
            const auto length = static_cast<std::size_t>(outline[i].header.length);
            for (std::size_t k = 1; k < length; ++k)
                outline[i + k].point.x += x0, outline[i + k].point.y += y0;
            i += std::max<std::size_t>(length, 1);
        }
        cairo_path_t added{CAIRO_STATUS_SUCCESS, outline.data(), static_cast<int>(outline.size())};
        if (!path) cairo_new_path(cr);
        cairo_append_path(cr, &added);
        if (!path) cairo_fill(cr);
        if (hadPoint) cairo_move_to(cr, x0, y0);
        return;
    }
    const bool withText = !path && cairo_surface_has_show_text_glyphs(cairo_get_target(cr));
    std::vector<cairo_glyph_t> glyphs;
    std::vector<cairo_text_cluster_t> clusters;
    for (const ShapedRun& run : text.runs) {
        cairo_save(cr);
        useShapedFont(cr, text.fonts[static_cast<std::size_t>(run.font)]);
        const double baseX = x0 + fromTextUnits(run.x), baseY = y0 + fromTextUnits(run.baseline);
        glyphs.clear();
        int pen = 0;
        for (const ShapedGlyph& g : run.glyphs) {
            if (g.id != emptyGlyph && (g.id & unknownGlyphFlag) == 0) {
                const double cx = baseX + fromTextUnits(pen + g.xOffset);
                const double cy = g.yOffset == 0 ? baseY : baseY + fromTextUnits(g.yOffset);
                glyphs.push_back({g.id, cx, cy});
            }
            pen += g.width;
        }
        const int count = static_cast<int>(glyphs.size());
        if (path) {
            cairo_glyph_path(cr, glyphs.data(), count);
        } else if (withText) {
            clusters.clear();
            for (const ShapedCluster& c : run.clusters) clusters.push_back({c.bytes, c.glyphs});
            cairo_show_text_glyphs(cr, text.text.data() + run.offset, run.length, glyphs.data(),
                                   count, clusters.data(), static_cast<int>(clusters.size()),
                                   run.backward ? CAIRO_TEXT_CLUSTER_FLAG_BACKWARD
                                                : cairo_text_cluster_flags_t{});
        } else {
            cairo_show_glyphs(cr, glyphs.data(), count);
        }
        cairo_restore(cr);
    }
    if (hadPoint)
        cairo_move_to(cr, x0, y0);
    else
        cairo_new_sub_path(cr);
}

cairo_path_t* shapedTextPath(const ShapedText& text)
{
    cairo_surface_t* surface = cairo_recording_surface_create(CAIRO_CONTENT_COLOR_ALPHA, nullptr);
    cairo_t* cr = cairo_create(surface);
    cairo_surface_destroy(surface);
    const ShapingKey& k = text.key;
    const cairo_matrix_t m{k.xx, k.yx, k.xy, k.yy, 0, 0};
    cairo_set_matrix(cr, &m);
    cairo_move_to(cr, 0, 0);
    showShapedText(cr, text, true);
    cairo_path_t* path = cairo_copy_path(cr);
    cairo_destroy(cr);
    return path;
}

TextMetrics metricsOf(const ShapedText& text)
{
    return {fromTextUnits(text.logical.width), fromTextUnits(text.logical.height)};
}

UnitBox logicalBox(const ShapedText& text, double x, double y)
{
    const TextBox& r = text.logical;
    const double left = x + fromTextUnits(r.x), top = y + fromTextUnits(r.y);
    return {left, top, left + fromTextUnits(r.width), top + fromTextUnits(r.height)};
}

} // namespace tallux
