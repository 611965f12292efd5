#pragma once

#include "tallux/export.h"
#include "tallux/target.h"

TALLUX_PUBLIC_BEGIN

namespace tallux {

// The common signature of the fifteen drawing methods: the caller's thirteen
// variables, every one by reference, so that a method can write pCode back.
struct DrawArgs {
    Target* pObject;
    Single& pX;
    Single& pY;
    String& pCode;
    Integer& pWidth;
    Integer& pHeight;
    Integer& pText;
    Boolean& pBold;
    String& pFont;
    Long& pForeColor;
    Long& pLineColor;
    String& pRatio;
    Boolean& pChk;
};

// A set of caller variables with everyday values, for callers that keep the
// thirteen parameters together.
struct DrawParams {
    Target* pObject = nullptr;
    Single pX = 0;
    Single pY = 0;
    String pCode;
    Integer pWidth = 2;
    Integer pHeight = 60;
    Integer pText = 1;
    Boolean pBold = false;
    String pFont = u"Arial";
    Long pForeColor = 0;
    Long pLineColor = 0;
    String pRatio = u"3:1";
    Boolean pChk = false;

    DrawArgs args()
    {
        return {pObject, pX,    pY,         pCode,      pWidth, pHeight, pText,
                pBold,   pFont, pForeColor, pLineColor, pRatio, pChk};
    }
};

} // namespace tallux

TALLUX_PUBLIC_END
