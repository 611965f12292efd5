#pragma once

#include <hb-subset.h>
#include <hb.h>

namespace tallux {

// The HarfBuzz functions that embed a PDF's fonts.
#define TALLUX_HARFBUZZ_FUNCTIONS(X)                                                               \
    X(hb_blob_create_from_file)                                                                    \
    X(hb_blob_destroy)                                                                             \
    X(hb_blob_get_data)                                                                            \
    X(hb_blob_get_length)                                                                          \
    X(hb_face_create)                                                                              \
    X(hb_face_destroy)                                                                             \
    X(hb_face_get_index)                                                                           \
    X(hb_face_get_upem)                                                                            \
    X(hb_face_reference)                                                                           \
    X(hb_face_reference_blob)                                                                      \
    X(hb_face_reference_table)                                                                     \
    X(hb_font_create)                                                                              \
    X(hb_font_destroy)                                                                             \
    X(hb_font_get_glyph_h_advance)                                                                 \
    X(hb_set_add)                                                                                  \
    X(hb_subset_input_create_or_fail)                                                              \
    X(hb_subset_input_destroy)                                                                     \
    X(hb_subset_input_glyph_set)                                                                   \
    X(hb_subset_input_set)                                                                         \
    X(hb_subset_input_set_flags)                                                                   \
    X(hb_subset_or_fail)

// HarfBuzz and its subsetter, loaded on the first font a PDF embeds: only
// sheets embed fonts, and a command that draws anything else starts
// without them.
struct HarfBuzz {
#define TALLUX_HARFBUZZ_MEMBER(name) decltype(&::name) name = nullptr;
    TALLUX_HARFBUZZ_FUNCTIONS(TALLUX_HARFBUZZ_MEMBER)
#undef TALLUX_HARFBUZZ_MEMBER
};

// nullptr where the library cannot be loaded.
const HarfBuzz* harfBuzz();

} // namespace tallux
