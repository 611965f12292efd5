#include <gtest/gtest.h>

#include "method_words.h"
#include "support.h"

namespace tallux::test {
namespace {

// A host site that keeps the extent it is given and counts notifications.
class FakeSite : public ControlSite {
public:
    Extent size{1000, 700};
    std::vector<std::string> changed;
    Extent extent() const override { return size; }
    void setExtent(Extent e) override { size = e; }
    void propertyChanged(std::string_view name) override { changed.emplace_back(name); }
};

TEST(Control, SupBarTypeStoresAnySixteenBitValue)
{
    Tallux control;
    FakeSite site;
    control.setSite(&site);
    EXPECT_EQ(control.SupBarType(), Codabar);

    for (std::int32_t v : {14, 99, -1, 14, -32768, 32767}) {
        control.SupBarType(v);
        EXPECT_EQ(control.SupBarType(), v);
    }
    EXPECT_EQ(site.changed.size(), 6u); // one a put, changed value or not

    try {
        control.SupBarType(70000);
        FAIL() << "70000 was stored";
    } catch (const RuntimeError& e) {
        EXPECT_EQ(e.number(), err::Overflow);
    }
    EXPECT_EQ(control.SupBarType(), 32767);
    EXPECT_EQ(site.changed, std::vector<std::string>(6, "SupBarType"));
}

TEST(Control, SupBarTypeDoesNotChangeTheDrawing)
{
    std::vector<std::string> logs[2];
    for (int i = 0; i < 2; ++i) {
        Tallux control;
        control.SupBarType(i == 0 ? Code_39 : UPC_E);
        RecordingTarget t;
        DrawParams p = params(t, u"CODE39");
        control.BarCODE39(p.pObject, p.pX, p.pY, p.pCode, p.pWidth, p.pHeight, p.pText, p.pBold,
                          p.pFont, p.pForeColor, p.pLineColor, p.pRatio, p.pChk);
        logs[i] = t.log();
    }
    EXPECT_EQ(logs[0], logs[1]);
}

TEST(Control, ResizeForcesFourHundredTwipsAndSizesTheIcon)
{
    for (Extent asked : {Extent{1000, 700}, Extent{1, 1}, Extent{400, 400}}) {
        Tallux control;
        FakeSite site;
        site.size = asked;
        control.setSite(&site);
        control.UserControl_Resize();
        EXPECT_EQ(site.size, (Extent{400, 400}));
        EXPECT_EQ(control.imgIcon.Width, 400);
        EXPECT_EQ(control.imgIcon.Height, 400);
    }
}

TEST(Control, ShowAboutBoxNeedsAPresenter)
{
    Tallux control;
    setAboutBoxPresenter(nullptr);
    try {
        control.ShowAboutBox();
        FAIL() << "no error raised";
    } catch (const RuntimeError& e) {
        EXPECT_EQ(e.number(), aboutBoxUnavailable);
    }
    int shown = 0;
    setAboutBoxPresenter([](void* count) { ++*static_cast<int*>(count); }, &shown);
    control.ShowAboutBox();
    control.ShowAboutBox();
    EXPECT_EQ(shown, 2);
    setAboutBoxPresenter(nullptr);
}

TEST(Control, MethodTableNamesEveryMethodOnce)
{
    for (const MethodInfo& m : drawingMethods) {
        ASSERT_TRUE(findMethod(m.name));
        EXPECT_EQ(findMethod(m.name)->type, m.type);
        EXPECT_EQ(cli::findMethodOrAlias(m.alias)->type, m.type);
    }
    EXPECT_EQ(findMethod("barean13")->name, "BarEAN13");
    EXPECT_EQ(cli::findMethodOrAlias("EAN13")->name, "BarEAN13");
    EXPECT_FALSE(cli::findMethodOrAlias("BarQR"));

    DrawParams p;
    EXPECT_THROW(Tallux().draw(static_cast<tBarcodeType>(15), p), RuntimeError);
}

} // namespace
} // namespace tallux::test
