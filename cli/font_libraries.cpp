// The command has cairo linked in, and cairo's font code calls FreeType and
// fontconfig. A run whose text all comes from the store of shaped text never
// reaches that code, so the two libraries, with expat, libpng and brotli
// behind them, are loaded at the first call into either rather than when the
// command starts, of which their loading was a fifth. Each function below
// stands in for the library's own of its name and hands the call on.
#include <cstdio>
#include <cstdlib>
#include <mutex>

#include <dlfcn.h>

#include <ft2build.h>
#include FT_FREETYPE_H
#include FT_BITMAP_H
#include FT_CID_H
#include FT_FONT_FORMATS_H
#include FT_LCD_FILTER_H
#include FT_MULTIPLE_MASTERS_H
#include FT_OUTLINE_H
#include FT_SYNTHESIS_H
#include FT_TRUETYPE_TABLES_H

// After FreeType's, which its FreeType part needs.
#include <fontconfig/fontconfig.h>

#include <fontconfig/fcfreetype.h>

namespace {

class Library {
public:
    constexpr explicit Library(const char* soname)
        : soname_(soname)
    {
    }

    // The library's function of this name. A library that the package
    // requires but cannot be loaded ends the command, with the status of a
    // library that cannot be loaded: the call comes from inside cairo or
    // fontconfig, which an exception cannot cross.
    template <class F>
    F find(const char* name)
    {
        std::call_once(once_, [this] { handle_ = ::dlopen(soname_, RTLD_NOW | RTLD_LOCAL); });
        void* function = handle_ == nullptr ? nullptr : ::dlsym(handle_, name);
        if (function == nullptr) {
            const char* why = ::dlerror();
            std::fprintf(stderr, "tallux: cannot load %s from %s: %s\n", name, soname_,
                         why == nullptr ? "not found" : why);
            std::_Exit(69);
        }
        return reinterpret_cast<F>(function);
    }

private:
    const char* soname_;
    std::once_flag once_;
    void* handle_ = nullptr;
};

constinit Library freetype("libfreetype.so.6");
constinit Library fontconfig("libfontconfig.so.1");

} // namespace

#define TALLUX_FORWARD(library, result, name, params, args)                                        \
    extern "C" result name params                                                                  \
    {                                                                                              \
        static const auto real = library.find<decltype(&::name)>(#name);                           \
        return real args;                                                                          \
    }

TALLUX_FORWARD(freetype, FT_Error, FT_Bitmap_Convert,
               (FT_Library a, const FT_Bitmap* b, FT_Bitmap* c, FT_Int d), (a, b, c, d))
TALLUX_FORWARD(freetype, FT_Error, FT_Bitmap_Done, (FT_Library a, FT_Bitmap* b), (a, b))
TALLUX_FORWARD(freetype, void, FT_Bitmap_New, (FT_Bitmap * a), (a))
TALLUX_FORWARD(freetype, FT_Error, FT_Done_Face, (FT_Face a), (a))
TALLUX_FORWARD(freetype, FT_Error, FT_Done_FreeType, (FT_Library a), (a))
TALLUX_FORWARD(freetype, FT_Error, FT_Done_MM_Var, (FT_Library a, FT_MM_Var* b), (a, b))
TALLUX_FORWARD(freetype, FT_Error, FT_Get_CID_From_Glyph_Index, (FT_Face a, FT_UInt b, FT_UInt* c),
               (a, b, c))
TALLUX_FORWARD(freetype, FT_Error, FT_Get_CID_Is_Internally_CID_Keyed, (FT_Face a, FT_Bool* b),
               (a, b))
TALLUX_FORWARD(freetype, FT_ULong, FT_Get_First_Char, (FT_Face a, FT_UInt* b), (a, b))
TALLUX_FORWARD(freetype, FT_Error, FT_Get_Glyph_Name,
               (FT_Face a, FT_UInt b, FT_Pointer c, FT_UInt d), (a, b, c, d))
TALLUX_FORWARD(freetype, FT_Error, FT_Get_MM_Var, (FT_Face a, FT_MM_Var** b), (a, b))
TALLUX_FORWARD(freetype, FT_ULong, FT_Get_Next_Char, (FT_Face a, FT_ULong b, FT_UInt* c), (a, b, c))
TALLUX_FORWARD(freetype, const char*, FT_Get_Postscript_Name, (FT_Face a), (a))
TALLUX_FORWARD(freetype, void*, FT_Get_Sfnt_Table, (FT_Face a, FT_Sfnt_Tag b), (a, b))
TALLUX_FORWARD(freetype, FT_Error, FT_Get_Var_Blend_Coordinates,
               (FT_Face a, FT_UInt b, FT_Fixed* c), (a, b, c))
TALLUX_FORWARD(freetype, FT_Error, FT_Get_Var_Design_Coordinates,
               (FT_Face a, FT_UInt b, FT_Fixed* c), (a, b, c))
TALLUX_FORWARD(freetype, const char*, FT_Get_X11_Font_Format, (FT_Face a), (a))
TALLUX_FORWARD(freetype, void, FT_GlyphSlot_Embolden, (FT_GlyphSlot a), (a))
TALLUX_FORWARD(freetype, void, FT_GlyphSlot_Oblique, (FT_GlyphSlot a), (a))
TALLUX_FORWARD(freetype, FT_Error, FT_Init_FreeType, (FT_Library * a), (a))
TALLUX_FORWARD(freetype, FT_Error, FT_Library_SetLcdFilter, (FT_Library a, FT_LcdFilter b), (a, b))
TALLUX_FORWARD(freetype, FT_Error, FT_Load_Glyph, (FT_Face a, FT_UInt b, FT_Int32 c), (a, b, c))
TALLUX_FORWARD(freetype, FT_Error, FT_Load_Sfnt_Table,
               (FT_Face a, FT_ULong b, FT_Long c, FT_Byte* d, FT_ULong* e), (a, b, c, d, e))
TALLUX_FORWARD(freetype, FT_Error, FT_New_Face,
               (FT_Library a, const char* b, FT_Long c, FT_Face* d), (a, b, c, d))
TALLUX_FORWARD(freetype, FT_Error, FT_New_Memory_Face,
               (FT_Library a, const FT_Byte* b, FT_Long c, FT_Long d, FT_Face* e), (a, b, c, d, e))
TALLUX_FORWARD(freetype, FT_Error, FT_Outline_Decompose,
               (FT_Outline * a, const FT_Outline_Funcs* b, void* c), (a, b, c))
TALLUX_FORWARD(freetype, void, FT_Outline_Get_CBox, (const FT_Outline* a, FT_BBox* b), (a, b))
TALLUX_FORWARD(freetype, void, FT_Outline_Transform, (const FT_Outline* a, const FT_Matrix* b),
               (a, b))
TALLUX_FORWARD(freetype, void, FT_Outline_Translate, (const FT_Outline* a, FT_Pos b, FT_Pos c),
               (a, b, c))
TALLUX_FORWARD(freetype, FT_Error, FT_Render_Glyph, (FT_GlyphSlot a, FT_Render_Mode b), (a, b))
TALLUX_FORWARD(freetype, FT_Error, FT_Set_Char_Size,
               (FT_Face a, FT_F26Dot6 b, FT_F26Dot6 c, FT_UInt d, FT_UInt e), (a, b, c, d, e))
TALLUX_FORWARD(freetype, void, FT_Set_Transform, (FT_Face a, FT_Matrix* b, FT_Vector* c), (a, b, c))
TALLUX_FORWARD(freetype, FT_Error, FT_Set_Var_Design_Coordinates,
               (FT_Face a, FT_UInt b, FT_Fixed* c), (a, b, c))
TALLUX_FORWARD(freetype, void, FT_Vector_Transform, (FT_Vector * a, const FT_Matrix* b), (a, b))
TALLUX_FORWARD(fontconfig, FcConfig*, FcConfigGetCurrent, (), ())
TALLUX_FORWARD(fontconfig, FcBool, FcConfigSubstitute, (FcConfig * a, FcPattern* b, FcMatchKind c),
               (a, b, c))
TALLUX_FORWARD(fontconfig, void, FcDefaultSubstitute, (FcPattern * a), (a))
TALLUX_FORWARD(fontconfig, FcPattern*, FcFontMatch, (FcConfig * a, FcPattern* b, FcResult* c),
               (a, b, c))
TALLUX_FORWARD(fontconfig, FT_UInt, FcFreeTypeCharIndex, (FT_Face a, FcChar32 b), (a, b))
TALLUX_FORWARD(fontconfig, int, FcGetVersion, (), ())
TALLUX_FORWARD(fontconfig, FcBool, FcInitBringUptoDate, (), ())
TALLUX_FORWARD(fontconfig, FcPattern*, FcNameParse, (const FcChar8* a), (a))
TALLUX_FORWARD(fontconfig, FcBool, FcPatternAddBool, (FcPattern * a, const char* b, FcBool c),
               (a, b, c))
TALLUX_FORWARD(fontconfig, FcBool, FcPatternAddDouble, (FcPattern * a, const char* b, double c),
               (a, b, c))
TALLUX_FORWARD(fontconfig, FcBool, FcPatternAddInteger, (FcPattern * a, const char* b, int c),
               (a, b, c))
TALLUX_FORWARD(fontconfig, FcBool, FcPatternAddString,
               (FcPattern * a, const char* b, const FcChar8* c), (a, b, c))
TALLUX_FORWARD(fontconfig, FcPattern*, FcPatternCreate, (), ())
TALLUX_FORWARD(fontconfig, FcBool, FcPatternDel, (FcPattern * a, const char* b), (a, b))
TALLUX_FORWARD(fontconfig, void, FcPatternDestroy, (FcPattern * a), (a))
TALLUX_FORWARD(fontconfig, FcPattern*, FcPatternDuplicate, (const FcPattern* a), (a))
TALLUX_FORWARD(fontconfig, FcResult, FcPatternGet,
               (const FcPattern* a, const char* b, int c, FcValue* d), (a, b, c, d))
TALLUX_FORWARD(fontconfig, FcResult, FcPatternGetBool,
               (const FcPattern* a, const char* b, int c, FcBool* d), (a, b, c, d))
TALLUX_FORWARD(fontconfig, FcResult, FcPatternGetFTFace,
               (const FcPattern* a, const char* b, int c, FT_Face* d), (a, b, c, d))
TALLUX_FORWARD(fontconfig, FcResult, FcPatternGetInteger,
               (const FcPattern* a, const char* b, int c, int* d), (a, b, c, d))
TALLUX_FORWARD(fontconfig, FcResult, FcPatternGetString,
               (const FcPattern* a, const char* b, int c, FcChar8** d), (a, b, c, d))
