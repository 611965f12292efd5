#include "targets/png/row_knowledge.h"

namespace tallux {

namespace {
const cairo_user_data_key_t rowKnowledgeKey{};
} // namespace

void attachRowKnowledge(cairo_surface_t* surface, RowKnowledge* rows)
{
    cairo_surface_set_user_data(surface, &rowKnowledgeKey, rows, nullptr);
}

RowKnowledge* rowKnowledgeOf(cairo_surface_t* surface)
{
    return static_cast<RowKnowledge*>(cairo_surface_get_user_data(surface, &rowKnowledgeKey));
}

} // namespace tallux
