#include "text/text_shaper.h"

#include <algorithm>
#include <cstdlib>
#include <memory>
#include <string>
#include <utility>
#include <vector>

#include <dlfcn.h>
#include <fontconfig/fontconfig.h>
#include <ft2build.h>
#include FT_FREETYPE_H
#include <cairo-pdf.h>
#include <cairo-ps.h>
#include <cairo-svg.h>
#include <hb.h>
#include <pango/pangocairo.h>
#include <pango/pangofc-font.h>
#include <pango/pangofc-fontmap.h>

namespace tallux {

namespace {

struct Unref {
    void operator()(void* object) const { g_object_unref(object); }
};

struct ContextRelease {
    void operator()(cairo_t* cr) const { cairo_destroy(cr); }
};

// A one-point surface of the kind the text is for, whose font options take
// part in the shaping. The module makes its own: the caller's cairo may be
// another copy of the library than Pango's, so no cairo object crosses.
cairo_surface_t* surfaceOfKind(cairo_surface_type_t kind)
{
    switch (kind) {
    case CAIRO_SURFACE_TYPE_PDF: return cairo_pdf_surface_create_for_stream(nullptr, nullptr, 1, 1);
    case CAIRO_SURFACE_TYPE_PS: return cairo_ps_surface_create_for_stream(nullptr, nullptr, 1, 1);
    case CAIRO_SURFACE_TYPE_SVG: return cairo_svg_surface_create_for_stream(nullptr, nullptr, 1, 1);
    case CAIRO_SURFACE_TYPE_RECORDING:
        return cairo_recording_surface_create(CAIRO_CONTENT_COLOR_ALPHA, nullptr);
    default: return cairo_image_surface_create(CAIRO_FORMAT_ARGB32, 1, 1);
    }
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

// One context, with its Pango context, per kind of surface and
// transformation, per thread; what contextFor returns holds until its next call.
struct Shaping {
    cairo_surface_type_t surface;
    double xx, yx, xy, yy;
    std::unique_ptr<cairo_t, ContextRelease> cr;
    std::unique_ptr<PangoContext, Unref> pango;
};

const Shaping& contextFor(const ShapingKey& key)
{
    thread_local std::vector<Shaping> contexts;
    for (const Shaping& e : contexts)
        if (e.surface == key.surface && e.xx == key.xx && e.yx == key.yx && e.xy == key.xy &&
            e.yy == key.yy)
            return e;
    if (contexts.size() >= 16) contexts.clear();
    cairo_surface_t* surface = surfaceOfKind(key.surface);
    std::unique_ptr<cairo_t, ContextRelease> cr(cairo_create(surface));
    cairo_surface_destroy(surface);
    const cairo_matrix_t m{key.xx, key.yx, key.xy, key.yy, 0, 0};
    cairo_set_matrix(cr.get(), &m);
    std::unique_ptr<PangoContext, Unref> context(newContext(cr.get()));
    contexts.push_back(
        {key.surface, key.xx, key.yx, key.xy, key.yy, std::move(cr), std::move(context)});
    return contexts.back();
}

TextBox boxOf(const PangoRectangle& r)
{
    return {r.x, r.y, r.width, r.height};
}

// The pattern as text, without the coverage sets that cairo never reads.
std::string patternText(FcPattern* pattern)
{
    FcPattern* p = FcPatternDuplicate(pattern);
    FcPatternDel(p, FC_CHARSET);
    FcPatternDel(p, FC_LANG);
    FcChar8* text = FcNameUnparse(p);
    std::string s = text ? reinterpret_cast<const char*>(text) : "";
    FcStrFree(text);
    FcPatternDestroy(p);
    return s;
}

ShapedFont describe(PangoFont* font)
{
    ShapedFont f;
    FcPattern* pattern =
        PANGO_IS_FC_FONT(font) ? pango_fc_font_get_pattern(PANGO_FC_FONT(font)) : nullptr;
    if (pattern != nullptr) {
        f.pattern = patternText(pattern);
        FcChar8* file = nullptr;
        if (FcPatternGetString(pattern, FC_FILE, 0, &file) == FcResultMatch)
            f.file = reinterpret_cast<const char*>(file);
        FcPatternGetInteger(pattern, FC_INDEX, 0, &f.index);
        FcBool bold = FcFalse;
        f.emboldened = FcPatternGetBool(pattern, FC_EMBOLDEN, 0, &bold) == FcResultMatch && bold;
        FcMatrix* m = nullptr;
        f.transformed = FcPatternGetMatrix(pattern, FC_MATRIX, 0, &m) == FcResultMatch &&
                        (m->xx != 1 || m->xy != 0 || m->yx != 0 || m->yy != 1);
    }
    if (hb_font_t* shaping = pango_font_get_hb_font(font); shaping != nullptr) {
        unsigned axes = 0;
        const int* coords = hb_font_get_var_coords_normalized(shaping, &axes);
        if (std::any_of(coords, coords + axes, [](int c) { return c != 0; })) f.transformed = true;
    }
    if (PangoFontDescription* d = pango_font_describe(font)) {
        const char* family = pango_font_description_get_family(d);
        f.family = family ? family : "";
        pango_font_description_free(d);
    }
    cairo_scaled_font_t* scaled = pango_cairo_font_get_scaled_font(PANGO_CAIRO_FONT(font));
    if (scaled != nullptr) {
        cairo_matrix_t m;
        cairo_scaled_font_get_font_matrix(scaled, &m);
        f.matrix = {m.xx, m.yx, m.xy, m.yy, m.x0, m.y0};
        cairo_font_options_t* o = cairo_font_options_create();
        cairo_scaled_font_get_font_options(scaled, o);
        f.antialias = cairo_font_options_get_antialias(o);
        f.subpixelOrder = cairo_font_options_get_subpixel_order(o);
        f.hintStyle = cairo_font_options_get_hint_style(o);
        f.hintMetrics = cairo_font_options_get_hint_metrics(o);
        const char* v = cairo_font_options_get_variations(o);
        f.variations = v ? v : "";
        cairo_font_options_destroy(o);
    }
    return f;
}

// A font described once per thread: the font map keeps its fonts, and each
// is held here while its description is.
const ShapedFont& described(PangoFont* font)
{
    thread_local std::vector<std::pair<std::unique_ptr<PangoFont, Unref>, ShapedFont>> fonts;
    for (const auto& [f, d] : fonts)
        if (f.get() == font) return d;
    if (fonts.size() >= 64) fonts.clear();
    g_object_ref(font);
    fonts.emplace_back(std::unique_ptr<PangoFont, Unref>(font), describe(font));
    return fonts.back().second;
}

int fontIndex(ShapedText& out, std::vector<PangoFont*>& seen, PangoFont* font)
{
    for (std::size_t i = 0; i < seen.size(); ++i)
        if (seen[i] == font) return static_cast<int>(i);
    seen.push_back(font);
    out.fonts.push_back(described(font));
    return static_cast<int>(seen.size()) - 1;
}

void addRun(ShapedText& out, std::vector<PangoFont*>& seen, const char* text, PangoGlyphItem* run,
            int x, int baseline)
{
    ShapedRun r;
    PangoFont* font = run->item->analysis.font; // none where fontconfig finds no font
    r.font = font != nullptr ? fontIndex(out, seen, font) : -1;
    r.x = x, r.baseline = baseline;
    r.offset = run->item->offset, r.length = run->item->length;
    r.backward = (run->item->analysis.level & 1) != 0;
    const PangoGlyphString& g = *run->glyphs;
    for (int i = 0; i < g.num_glyphs; ++i) {
        const PangoGlyphInfo& info = g.glyphs[i];
        if ((info.glyph & PANGO_GLYPH_UNKNOWN_FLAG) != 0) out.drawnByPango = true;
        r.glyphs.push_back({info.glyph, info.geometry.x_offset, info.geometry.y_offset,
                            info.geometry.width, g.log_clusters[i]});
    }
    // cairo's clusters as Pango hands them to a surface that keeps text.
    PangoGlyphItemIter iter;
    if (pango_glyph_item_iter_init_start(&iter, run, text)) {
        do {
            int glyphs =
                r.backward ? iter.start_glyph - iter.end_glyph : iter.end_glyph - iter.start_glyph;
            for (int i = std::min(iter.start_glyph, iter.end_glyph + 1);
                 i < std::max(iter.start_glyph + 1, iter.end_glyph); ++i)
                if (g.glyphs[i].glyph == PANGO_GLYPH_EMPTY ||
                    (g.glyphs[i].glyph & PANGO_GLYPH_UNKNOWN_FLAG) != 0)
                    --glyphs;
            r.clusters.push_back({iter.end_index - iter.start_index, glyphs});
        } while (pango_glyph_item_iter_next_cluster(&iter));
    }
    out.runs.push_back(std::move(r));
}

std::unique_ptr<PangoLayout, Unref> layoutOf(PangoContext* context, const ShapingKey& key,
                                             std::string_view utf8)
{
    // Pango asks fontconfig, which substitutes a similar face for a family
    // that is not installed.
    PangoFontDescription* font = pango_font_description_new();
    pango_font_description_set_family(font, key.family.c_str());
    pango_font_description_set_weight(font, key.bold ? PANGO_WEIGHT_BOLD : PANGO_WEIGHT_NORMAL);
    pango_font_description_set_absolute_size(font, key.size * PANGO_SCALE);
    std::unique_ptr<PangoLayout, Unref> layout(pango_layout_new(context));
    pango_layout_set_font_description(layout.get(), font);
    pango_font_description_free(font);
    pango_layout_set_text(layout.get(), utf8.data(), static_cast<int>(utf8.size()));
    return layout;
}

// The outlines of utf8 as Pango draws it, from the origin in the units of
// `key`: for text with characters no font has, which Pango shows as boxes
// of their hexadecimal codes.
std::vector<cairo_path_data_t> outlineWithPango(const ShapingKey& key, std::string_view utf8)
{
    const Shaping& shaping = contextFor(key);
    const auto layout = layoutOf(shaping.pango.get(), key, utf8);
    cairo_t* cr = shaping.cr.get();
    cairo_new_path(cr);
    cairo_move_to(cr, 0, 0);
    pango_cairo_layout_path(cr, layout.get());
    cairo_path_t* path = cairo_copy_path(cr);
    cairo_new_path(cr);
    std::vector<cairo_path_data_t> data;
    if (path->status == CAIRO_STATUS_SUCCESS) data.assign(path->data, path->data + path->num_data);
    cairo_path_destroy(path);
    return data;
}

// Shapes utf8 through Pango on a surface of the kind and in the
// transformation of `key`, in its font, into `out` (whose derived parts are
// left empty). The one place that asks Pango and fontconfig.
void shapeWithPango(const ShapingKey& key, std::string_view utf8, ShapedText& out)
{
    const auto layout = layoutOf(contextFor(key).pango.get(), key, utf8);
    // Text shaped with a configuration of a program's own stays with it.
    PangoFontMap* map = pango_context_get_font_map(pango_layout_get_context(layout.get()));
    out.ownFonts = PANGO_IS_FC_FONT_MAP(map) &&
                   pango_fc_font_map_get_config(PANGO_FC_FONT_MAP(map)) != nullptr &&
                   pango_fc_font_map_get_config(PANGO_FC_FONT_MAP(map)) != FcConfigGetCurrent();

    const PangoFontDescription* font = pango_layout_get_font_description(layout.get());
    const char* family = pango_font_description_get_family(font);
    out.text = pango_layout_get_text(layout.get());
    out.askedFamily = family ? family : "";
    out.askedSize = pango_units_to_double(pango_font_description_get_size(font));
    out.askedBold = pango_font_description_get_weight(font) >= PANGO_WEIGHT_BOLD;
    PangoRectangle ink{}, logical{};
    pango_layout_get_extents(layout.get(), &ink, &logical);
    out.ink = boxOf(ink), out.logical = boxOf(logical);
    out.baseline = pango_layout_get_baseline(layout.get());
    out.lines = pango_layout_get_line_count(layout.get());

    // Runs where Pango's renderer puts them: each line at its logical left
    // edge and baseline, its runs one after the other.
    std::vector<PangoFont*> seen;
    PangoLayoutIter* iter = pango_layout_get_iter(layout.get());
    do {
        PangoLayoutLine* line = pango_layout_iter_get_line_readonly(iter);
        PangoRectangle lineBox;
        pango_layout_iter_get_line_extents(iter, nullptr, &lineBox);
        const int baseline = pango_layout_iter_get_baseline(iter);
        int x = lineBox.x;
        for (GSList* l = line->runs; l != nullptr; l = l->next) {
            auto* run = static_cast<PangoGlyphItem*>(l->data);
            addRun(out, seen, out.text.c_str(), run, x, baseline);
            x += pango_glyph_string_get_width(run->glyphs);
        }
    } while (pango_layout_iter_next_line(iter));
    pango_layout_iter_free(iter);
}

// The files and folders whose change may change a shaping: fontconfig's
// configuration files and their folders, the font folders, its caches,
// where a user's configuration or fonts would appear, and the libraries
// that shape and draw.
std::vector<std::string> shapingInputs()
{
    std::vector<std::string> paths;
    const auto add = [&](std::string path) {
        if (!path.empty() && std::find(paths.begin(), paths.end(), path) == paths.end())
            paths.push_back(std::move(path));
    };
    // The folders of the files that the main configuration includes, where
    // a file added is read too (conf.d).
    const auto addAll = [&](FcStrList* list, bool withFolders) {
        if (list == nullptr) return;
        for (bool main = true; const FcChar8* s = FcStrListNext(list); main = false) {
            const std::string path = reinterpret_cast<const char*>(s);
            add(path);
            if (withFolders && !main) add(path.substr(0, path.rfind('/')));
        }
        FcStrListDone(list);
    };
    FcConfig* current = FcConfigReference(nullptr);
    addAll(FcConfigGetConfigFiles(current), true);
    addAll(FcConfigGetFontDirs(current), false);
    addAll(FcConfigGetCacheDirs(current), false);
    FcConfigDestroy(current);
    const char* home = std::getenv("HOME");
    const auto under = [home](const char* variable, const char* fallback) {
        const char* v = std::getenv(variable);
        if (v != nullptr && *v == '/') return std::string(v);
        return home ? std::string(home) + fallback : std::string();
    };
    const std::string config = under("XDG_CONFIG_HOME", "/.config");
    const std::string data = under("XDG_DATA_HOME", "/.local/share");
    for (const char* place : {"/fontconfig", "/fontconfig/fonts.conf", "/fontconfig/conf.d"})
        if (!config.empty()) add(config + place);
    if (!data.empty()) add(data + "/fonts");
    for (const char* place : {"/.fonts.conf", "/.fonts.conf.d", "/.fonts"})
        if (home != nullptr) add(std::string(home) + place);
    // The libraries that shape and draw, and this module: an upgrade of
    // one may change a shaping or a glyph mask.
    for (const void* symbol :
         {reinterpret_cast<const void*>(&pango_layout_new),
          reinterpret_cast<const void*>(&hb_shape),
          reinterpret_cast<const void*>(&FT_Init_FreeType),
          reinterpret_cast<const void*>(&cairo_create), reinterpret_cast<const void*>(&FcInit),
          reinterpret_cast<const void*>(&shapingInputs)}) {
        Dl_info info{};
        if (::dladdr(symbol, &info) == 0 || info.dli_fname == nullptr) continue;
        if (char* real = ::realpath(info.dli_fname, nullptr)) {
            add(real);
            std::free(real);
        }
    }
    return paths;
}

} // namespace

} // namespace tallux

extern "C" __attribute__((visibility("default"))) const tallux::TextShaper* tallux_text_shaper_2()
{
    static const tallux::TextShaper shaper{&tallux::shapeWithPango, &tallux::outlineWithPango,
                                           &tallux::shapingInputs};
    return &shaper;
}
