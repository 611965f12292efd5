#include "draw/drawing.h"
#include "runtime/text.h"
#include "symbologies/numeric_postal/codabar_table.h"
#include "tallux/symbologies.h"

namespace tallux::draw {

// Codabar: seven elements a character, a narrow space between characters, the
// data framed by start and stop characters "A" to "D" ("A" where missing).
Integer BarCODABAR(const DrawArgs& a)
{
    const Ratio ratio = Ratio::read(a.pRatio, a.pWidth, Codabar);
    a.pCode = trimBlanks(a.pCode);

    Drawing d(a);
    d.x = CInt(a.pX);
    return trapped([&] {
        d.setUp();

        // The caller's variable receives the completed code; an empty code has
        // no first character to test (5).
        if (!codabar::isStartStop(Asc(a.pCode))) a.pCode = u"A" + a.pCode;
        if (!codabar::isStartStop(ansiCode(a.pCode.back()))) a.pCode += u'A';

        const Single bottom = d.bottom();
        const std::size_t n = a.pCode.size();
        for (std::size_t i = 0; i < n; ++i) {
            d.paintElements(codabar::pattern(a.pCode[i]), ratio, bottom);
            if (i + 1 < n) d.paintElement(false, false, ratio, bottom);
        }

        if (printsText(Codabar, a.pText)) {
            // The start and stop characters are not printed; the whole code
            // decides whether the line fits under the bars.
            const String text = Mid(a.pCode, 2, static_cast<int>(n) - 2);
            const Number left = d.textLineXMeasuringTwice(a.pCode, text);
            d.printAt(left, d.textRow(), text);
        }
    });
}

} // namespace tallux::draw
