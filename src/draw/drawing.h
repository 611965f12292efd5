#pragma once

#include <new>
#include <string_view>

#include "draw/modules.h"
#include "runtime/numbers.h"
#include "runtime/ratio.h"
#include "tallux/draw_args.h"
#include "tallux/methods.h"

namespace tallux {

// The error exit: the number of a trapped error as the method's result.
// A number that does not fit 16 bits cannot be stored and raises Overflow.
Integer errorResult(const RuntimeError& error);

// Runs the drawing part of a method with the error trap armed: every
// run-time error from here on ends it and becomes its result, memory that
// runs out (7) included; nothing drawn before is undone.
template <class Draw>
Integer trapped(Draw&& draw)
{
    try {
        draw();
        return 0;
    } catch (const RuntimeError& error) {
        return errorResult(error);
    } catch (const std::bad_alloc&) {
        return err::OutOfMemory;
    }
}

// Whether a method prints its human-readable text for this pText, as its row
// of the method table says.
constexpr bool printsText(tBarcodeType method, Integer pText)
{
    const MethodInfo& row = drawingMethods[static_cast<std::size_t>(method)];
    return row.printsFor == PrintsFor::anyNonZero ? pText != 0 : pText == 1;
}

// The working state of one drawing call: the caller's parameters, the target
// and the running x. Every bar and space is one filled box through Line, and
// every text piece one Print; nothing is cached between calls.
class Drawing {
public:
    explicit Drawing(const DrawArgs& args) noexcept
        : a(args)
    {
    }

    const DrawArgs& a;
    Integer x; // the running x: left edge of the next element

    // FontName, ForeColor, FontBold, FontSize (pWidth \ 2), in this order,
    // whether or not text follows. Without a target: 91.
    void setUp();

    // The bottom of a full bar, pY + pHeight, and the top of the text row
    // below the bars, pY + pHeight + pHeight \ 20.
    Single bottom() const { return checkedSingle(static_cast<Single>(a.pHeight.value()) + a.pY); }
    Single textRow() const
    {
        const auto gap = static_cast<Single>(intDivBy<20>(a.pHeight).value());
        return checkedSingle(checkedSingle(static_cast<Single>(a.pHeight.value()) + a.pY) + gap);
    }

    // One element of the given width from the running x, which then moves
    // right past it: a bar in pLineColor or a white space.
    void paint(bool bar, Integer width, Single bottom) { paint(bar, width, a.pY, bottom); }
    void paint(bool bar, Integer width, Single top, Single bottom)
    {
        x = paintFrom(x, bar, width, top, bottom);
    }

    // Module pattern: one module of pWidth each, bars and white spaces,
    // painted in one straight run, with no loop branch to mispredict from
    // one pattern to the next.
    template <int N>
    void paintModules(Modules<N> modules, Single bottom)
    {
        paintModules(modules, a.pY, bottom);
    }
    template <int N>
    void paintModules(Modules<N> modules, const Single& top, Single bottom);

    // One wide or narrow element from the running x, with the ratio's products
    // formed before or after it when the method forms them there.
    void paintElement(bool bar, bool wide, const Ratio& ratio, Single bottom)
    {
        ratio.checkProducts(ProductCheck::beforeEachElement, a.pWidth);
        x = paintFrom(x, bar, ratio.width(a.pWidth, wide), a.pY, bottom);
        ratio.checkProducts(ProductCheck::afterEachElementOfThatWidth, a.pWidth, wide);
    }

    // Wide/narrow pattern: one element per character, "1" wide and "0"
    // narrow, bars and spaces alternating from a bar.
    void paintElements(std::string_view pattern, const Ratio& ratio, Single bottom)
    {
        Integer left = x; // in a register from element to element
        bool bar = true;
        for (char c : pattern) {
            const bool wide = c != '0';
            ratio.checkProducts(ProductCheck::beforeEachElement, a.pWidth);
            x = left = paintFrom(left, bar, ratio.width(a.pWidth, wide), a.pY, bottom);
            ratio.checkProducts(ProductCheck::afterEachElementOfThatWidth, a.pWidth, wide);
            bar = !bar;
        }
    }

    // CurrentX, CurrentY, then Print.
    void printAt(Number left, Single top, const String& text);
    Number textWidth(const String& text) { return target().TextWidth(text); }
    Number textHeight(const String& text) { return target().TextHeight(text); }

    // Left edge of a text line of the given width centred under the bars,
    // (running x - width + 10 + pX) / 2, typed as the arithmetic gives it.
    Number centredX(Number width) const;
    // The text line of the non-EAN symbologies: at the literal 10 when the
    // text is wider than the running x, centred otherwise.
    Number textLineX(Number width) const
    {
        return width.value() > x.value() ? Number(Integer(10)) : centredX(width);
    }
    // The same line where the width is measured twice: on `compared` to see
    // whether the text fits, and again on `centred` inside the centring.
    Number textLineXMeasuringTwice(const String& compared, const String& centred)
    {
        const Number width = textWidth(compared);
        return width.value() > x.value() ? Number(Integer(10)) : centredX(textWidth(centred));
    }

    Target& target() const { return *a.pObject; }

private:
    // The element from left, returning the left edge of the next one.
    Integer paintFrom(Integer left, bool bar, Integer width, Single top, Single bottom)
    {
        const Integer next = left + width; // checked before the box is drawn
        // Both colours at hand, so the choice is a select and not a branch
        // that the pattern of bars and spaces keeps mispredicting.
        const Long lineColor = a.pLineColor;
        target().Line(filledBox, left, top, next - 1, bottom, bar ? lineColor : white);
        return next;
    }
};

template <int N>
inline void Drawing::paintModules(Modules<N> modules, const Single& top, Single bottom)
{
    // Held for the whole pattern: the target and where the caller's
    // pWidth and pLineColor live; their values, and the top, are read for
    // every module, as the caller's variables are. The running x is
    // stored once the pattern is drawn: an error ends the drawing, and
    // nothing reads x after one.
    Target& t = target();
    constexpr Integer flags = filledBox; // an immediate, not a load
    const Integer& width = a.pWidth;
    const Long& lineColor = a.pLineColor;
    Integer left = x;
#pragma GCC unroll 32
    for (int i = 0; i < N; ++i) {
        const Integer next = left + width; // checked before the box is drawn
        const Long barColor = lineColor;   // so the choice is a select, not a branch
        t.Line(flags, left, top, next - 1, bottom, modules.bar(i) ? barColor : white);
        left = next;
    }
    x = left;
}

} // namespace tallux
