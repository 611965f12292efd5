#include "draw/drawing.h"
#include "symbologies/alphanumeric/code39_table.h"
#include "tallux/symbologies.h"

namespace tallux::draw {

// Code 39: "*", the data (and the modulo-43 check character), "*", nine
// elements a character with a narrow white gap after each.
Integer BarCODE39(const DrawArgs& a)
{
    const Ratio ratio = Ratio::read(a.pRatio, a.pWidth, Code_39);

    Drawing d(a);
    return trapped([&] {
        d.setUp();
        d.x = CInt(a.pX);

        String drawn = u"*" + a.pCode;
        if (a.pChk) {
            const char16_t check = code39::checkCharacter(a.pCode);
            drawn += check;
            a.pCode += check;
        }
        drawn += u'*';

        const Single bottom = d.bottom();
        for (std::size_t i = 0; i < drawn.size(); ++i) {
            d.paintElements(code39::pattern(drawn[i]), ratio, bottom);
            // The gap is painted between characters; x moves past it after the last too.
            if (i + 1 < drawn.size())
                d.paintElement(false, false, ratio, bottom);
            else
                d.x += ratio.narrowWidth(a.pWidth);
        }

        if (printsText(Code_39, a.pText)) {
            const Number width = d.textWidth(a.pCode);
            d.printAt(d.textLineX(width), d.textRow(), a.pCode);
        }
    });
}

} // namespace tallux::draw
