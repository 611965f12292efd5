#include "runtime/ratio.h"

#include "runtime/text.h"

namespace tallux {

Ratio Ratio::read(std::u16string_view pRatio)
{
    const int p = InStr(pRatio, u':');
    const String before = Left(pRatio, p - 1); // no colon asks for -1 characters: 5
    const Integer wide = CInt(Val(before) * 7);
    const Integer narrow = CInt(Val(Mid(pRatio, p + 1)));
    return {wide, narrow};
}

Ratio Ratio::read(std::u16string_view pRatio, Integer pWidth, tBarcodeType method)
{
    Ratio ratio = read(pRatio);
    ratio.products = methodInfo(method).ratio.value_or(ProductCheck::onceBeforeTrap);
    ratio.checkProducts(ProductCheck::onceBeforeTrap, pWidth);
    return ratio;
}

} // namespace tallux
