#include "tallux/tallux.h"

#include <utility>

namespace tallux {

namespace {
AboutBoxPresenter& aboutBoxPresenter()
{
    static AboutBoxPresenter presenter;
    return presenter;
}
} // namespace

void setAboutBoxPresenter(AboutBoxPresenter presenter)
{
    aboutBoxPresenter() = std::move(presenter);
}

void Tallux::SupBarType(std::int32_t value)
{
    supBarType_ = Integer(value); // Overflow (6) keeps the old value
    if (site_ != nullptr) site_->propertyChanged("SupBarType");
}

void Tallux::ShowAboutBox()
{
    const AboutBoxPresenter& show = aboutBoxPresenter();
    if (!show)
        throw RuntimeError(aboutBoxUnavailable,
                           "The about box cannot be shown: this build has no dialog toolkit");
    show();
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

Integer Tallux::BarUPCAPlus(Target* pObject, Single& pX, Single& pY, String& pCode, Integer& pWidth,
                            Integer& pHeight, Integer& pText, Boolean& pBold, String& pFont,
                            Long& pForeColor, Long& pLineColor, String& pRatio, Boolean& pChk)
{
    return draw::BarUPCAPlus({pObject, pX, pY, pCode, pWidth, pHeight, pText, pBold, pFont,
                              pForeColor, pLineColor, pRatio, pChk});
}

Integer Tallux::BarCODABAR(Target* pObject, Single& pX, Single& pY, String& pCode, Integer& pWidth,
                           Integer& pHeight, Integer& pText, Boolean& pBold, String& pFont,
                           Long& pForeColor, Long& pLineColor, String& pRatio, Boolean& pChk)
{
    return draw::BarCODABAR({pObject, pX, pY, pCode, pWidth, pHeight, pText, pBold, pFont,
                             pForeColor, pLineColor, pRatio, pChk});
}

Integer Tallux::BarCODE11(Target* pObject, Single& pX, Single& pY, String& pCode, Integer& pWidth,
                          Integer& pHeight, Integer& pText, Boolean& pBold, String& pFont,
                          Long& pForeColor, Long& pLineColor, String& pRatio, Boolean& pChk)
{
    return draw::BarCODE11({pObject, pX, pY, pCode, pWidth, pHeight, pText, pBold, pFont,
                            pForeColor, pLineColor, pRatio, pChk});
}

Integer Tallux::BarCODE25(Target* pObject, Single& pX, Single& pY, String& pCode, Integer& pWidth,
                          Integer& pHeight, Integer& pText, Boolean& pBold, String& pFont,
                          Long& pForeColor, Long& pLineColor, String& pRatio, Boolean& pChk)
{
    return draw::BarCODE25({pObject, pX, pY, pCode, pWidth, pHeight, pText, pBold, pFont,
                            pForeColor, pLineColor, pRatio, pChk});
}

Integer Tallux::BarCODE39(Target* pObject, Single& pX, Single& pY, String& pCode, Integer& pWidth,
                          Integer& pHeight, Integer& pText, Boolean& pBold, String& pFont,
                          Long& pForeColor, Long& pLineColor, String& pRatio, Boolean& pChk)
{
    return draw::BarCODE39({pObject, pX, pY, pCode, pWidth, pHeight, pText, pBold, pFont,
                            pForeColor, pLineColor, pRatio, pChk});
}

Integer Tallux::BarCODE39F(Target* pObject, Single& pX, Single& pY, String& pCode, Integer& pWidth,
                           Integer& pHeight, Integer& pText, Boolean& pBold, String& pFont,
                           Long& pForeColor, Long& pLineColor, String& pRatio, Boolean& pChk)
{
    return draw::BarCODE39F({pObject, pX, pY, pCode, pWidth, pHeight, pText, pBold, pFont,
                             pForeColor, pLineColor, pRatio, pChk});
}

Integer Tallux::BarISBN(Target* pObject, Single& pX, Single& pY, String& pCode, Integer& pWidth,
                        Integer& pHeight, Integer& pText, Boolean& pBold, String& pFont,
                        Long& pForeColor, Long& pLineColor, String& pRatio, Boolean& pChk)
{
    return draw::BarISBN({pObject, pX, pY, pCode, pWidth, pHeight, pText, pBold, pFont, pForeColor,
                          pLineColor, pRatio, pChk});
}

Integer Tallux::BarMSI(Target* pObject, Single& pX, Single& pY, String& pCode, Integer& pWidth,
                       Integer& pHeight, Integer& pText, Boolean& pBold, String& pFont,
                       Long& pForeColor, Long& pLineColor, String& pRatio, Boolean& pChk)
{
    return draw::BarMSI({pObject, pX, pY, pCode, pWidth, pHeight, pText, pBold, pFont, pForeColor,
                         pLineColor, pRatio, pChk});
}

Integer Tallux::BarPOSTNET(Target* pObject, Single& pX, Single& pY, String& pCode, Integer& pWidth,
                           Integer& pHeight, Integer& pText, Boolean& pBold, String& pFont,
                           Long& pForeColor, Long& pLineColor, String& pRatio, Boolean& pChk)
{
    return draw::BarPOSTNET({pObject, pX, pY, pCode, pWidth, pHeight, pText, pBold, pFont,
                             pForeColor, pLineColor, pRatio, pChk});
}

Integer Tallux::BarCODE93(Target* pObject, Single& pX, Single& pY, String& pCode, Integer& pWidth,
                          Integer& pHeight, Integer& pText, Boolean& pBold, String& pFont,
                          Long& pForeColor, Long& pLineColor, String& pRatio, Boolean& pChk)
{
    return draw::BarCODE93({pObject, pX, pY, pCode, pWidth, pHeight, pText, pBold, pFont,
                            pForeColor, pLineColor, pRatio, pChk});
}

Integer Tallux::BarEAN13(Target* pObject, Single& pX, Single& pY, String& pCode, Integer& pWidth,
                         Integer& pHeight, Integer& pText, Boolean& pBold, String& pFont,
                         Long& pForeColor, Long& pLineColor, String& pRatio, Boolean& pChk)
{
    return draw::BarEAN13({pObject, pX, pY, pCode, pWidth, pHeight, pText, pBold, pFont, pForeColor,
                           pLineColor, pRatio, pChk});
}

Integer Tallux::BarCODE128(Target* pObject, Single& pX, Single& pY, String& pCode, Integer& pWidth,
                           Integer& pHeight, Integer& pText, Boolean& pBold, String& pFont,
                           Long& pForeColor, Long& pLineColor, String& pRatio, Boolean& pChk)
{
    return draw::BarCODE128({pObject, pX, pY, pCode, pWidth, pHeight, pText, pBold, pFont,
                             pForeColor, pLineColor, pRatio, pChk});
}

Integer Tallux::BarEAN8(Target* pObject, Single& pX, Single& pY, String& pCode, Integer& pWidth,
                        Integer& pHeight, Integer& pText, Boolean& pBold, String& pFont,
                        Long& pForeColor, Long& pLineColor, String& pRatio, Boolean& pChk)
{
    return draw::BarEAN8({pObject, pX, pY, pCode, pWidth, pHeight, pText, pBold, pFont, pForeColor,
                          pLineColor, pRatio, pChk});
}

Integer Tallux::BarUPCA(Target* pObject, Single& pX, Single& pY, String& pCode, Integer& pWidth,
                        Integer& pHeight, Integer& pText, Boolean& pBold, String& pFont,
                        Long& pForeColor, Long& pLineColor, String& pRatio, Boolean& pChk)
{
    return draw::BarUPCA({pObject, pX, pY, pCode, pWidth, pHeight, pText, pBold, pFont, pForeColor,
                          pLineColor, pRatio, pChk});
}

Integer Tallux::BarUPCE(Target* pObject, Single& pX, Single& pY, String& pCode, Integer& pWidth,
                        Integer& pHeight, Integer& pText, Boolean& pBold, String& pFont,
                        Long& pForeColor, Long& pLineColor, String& pRatio, Boolean& pChk)
{
    return draw::BarUPCE({pObject, pX, pY, pCode, pWidth, pHeight, pText, pBold, pFont, pForeColor,
                          pLineColor, pRatio, pChk});
}
} // namespace tallux
