#include "draw/drawing.h"

#include <cmath>

namespace tallux {

Integer errorResult(const RuntimeError& error)
{
    const std::int32_t n = error.number();
    if (n < Integer::min || n > Integer::max)
        throw RuntimeError(err::Overflow,
                           std::string(standardMessage(err::Overflow)) + ": " + error.what());
    return n;
}

Single checkedSingle(double value)
{
    const auto f = static_cast<Single>(value);
    if (std::isinf(f)) throw RuntimeError(err::Overflow);
    return f;
}

void Drawing::setUp()
{
    if (a.pObject == nullptr) throw RuntimeError(err::ObjectNotSet);
    target().FontName(a.pFont);
    target().ForeColor(a.pForeColor);
    target().FontBold(a.pBold);
    target().FontSize(intDiv(a.pWidth, 2));
}

Single Drawing::bottom() const
{
    return checkedSingle(static_cast<Single>(a.pHeight.value()) + a.pY);
}

Single Drawing::textRow() const
{
    const auto h = static_cast<Single>(a.pHeight.value());
    const auto gap = static_cast<Single>(intDiv(a.pHeight, 20).value());
    return checkedSingle(checkedSingle(h + a.pY) + gap);
}

void Drawing::printAt(Number left, Single top, const String& text)
{
    target().CurrentX(left);
    target().CurrentY(top);
    target().Print(text);
}

Number Drawing::centredX(Number width) const
{
    return (Number(x) - width + Number(Integer(10)) + Number(a.pX)) / Number(Integer(2));
}

} // namespace tallux
