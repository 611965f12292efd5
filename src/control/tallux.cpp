#include "tallux/tallux.h"

namespace tallux {

namespace {
struct Presenter {
    AboutBoxPresenter present = nullptr;
    void* context = nullptr;
};
constinit Presenter presenter;
} // namespace

void setAboutBoxPresenter(AboutBoxPresenter present, void* context) noexcept
{
    presenter = {present, context};
}

void Tallux::SupBarType(std::int32_t value)
{
    supBarType_ = Integer(value); // Overflow (6) keeps the old value
    if (site_ != nullptr) site_->propertyChanged("SupBarType");
}

void Tallux::ShowAboutBox()
{
    const Presenter show = presenter;
    if (show.present == nullptr)
        throw RuntimeError(aboutBoxUnavailable,
                           "The about box cannot be shown: this build has no dialog toolkit");
    show.present(show.context);
}

void Tallux::UserControl_Resize()
{
    if (site_ == nullptr) throw RuntimeError(err::ObjectNotSet);
    site_->setExtent(designSize);
    const Extent size = site_->extent();
    imgIcon.Width = size.width;
    imgIcon.Height = size.height;
}

Integer Tallux::draw(tBarcodeType type, DrawParams& params)
{
    if (type < 0 || static_cast<std::size_t>(type) >= drawingMethods.size())
        throw RuntimeError(err::InvalidCall);
    return drawingMethods[static_cast<std::size_t>(type)].draw(params.args());
}

#define TALLUX_DEFINE(Name)                                                                        \
    Integer Tallux::Name(TALLUX_DRAW_PARAMETERS(TALLUX_DRAW_PARAMETER, TALLUX_COMMA))              \
    {                                                                                              \
        return draw::Name({TALLUX_DRAW_PARAMETERS(TALLUX_DRAW_ARGUMENT, TALLUX_COMMA)});           \
    }
TALLUX_DRAWING_METHODS(TALLUX_DEFINE)
#undef TALLUX_DEFINE

} // namespace tallux
