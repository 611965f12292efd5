#include "draw/drawing.h"

namespace tallux {

Integer errorResult(const RuntimeError& error)
{
    const std::int32_t n = error.number();
    if (n < Integer::min || n > Integer::max)
        throw RuntimeError(err::Overflow,
                           std::string(standardMessage(err::Overflow)) + ": " + error.what());
    return n;
}

void Drawing::setUp()
{
    if (a.pObject == nullptr) throw RuntimeError(err::ObjectNotSet);
    target().FontName(a.pFont);
    target().ForeColor(a.pForeColor);
    target().FontBold(a.pBold);
    target().FontSize(intDivBy<2>(a.pWidth));
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
