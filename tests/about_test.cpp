#include <gtest/gtest.h>

#include <vector>

#include "tallux/about.h"
#include "tallux/version.h"

namespace tallux::test {
namespace {

using about::Bounds;
using about::frmAbout;

TEST(AboutBox, DesignTimeControlsAreWhereTheFormPutsThem)
{
    const frmAbout f;
    struct Row {
        const char* name;
        Bounds actual;
        Bounds expected;
    };
    const Row rows[] = {
        /* 0 */ {"lblTitle", f.lblTitle.bounds, {1020, 150, 4680, 240}},
        /* 1 */ {"lblVersion", f.lblVersion.bounds, {3750, 450, 2865, 240}},
        /* 2 */ {"cmdLang(0)", f.cmdLang[0].bounds, {5064, 1632, 1620, 372}},
        /* 3 */ {"cmdLang(1)", f.cmdLang[1].bounds, {5064, 2016, 1620, 372}},
        /* 4 */ {"picDesk", f.picDesk.bounds, {216, 2616, 6396, 888}},
        /* 5 */ {"picLogos(0)", f.picLogos[0].bounds, {24, 0, 6348, 840}},
        /* 6 */ {"picLogos(1)", f.picLogos[1].bounds, {0, 0, 6348, 840}},
        /* 7 */ {"Picture1", f.Picture1.bounds, {24, 3576, 6765, 915}},
        /* 8 */ {"cmdOK", f.cmdOK.bounds, {5100, 480, 1530, 345}},
        /* 9 */ {"Image1", f.Image1.bounds, {120, 120, 480, 480}},
    };
    for (const Row& r : rows) EXPECT_EQ(r.actual, r.expected) << r.name;

    EXPECT_EQ(f.Caption, u"About");
    EXPECT_EQ(f.cmdOK.Caption, u"&Understand");
    EXPECT_EQ(f.lblVersion.Caption, u"Version");
    EXPECT_EQ(f.lblVersion.ForeColor, 0x0000C0);
    EXPECT_EQ(f.cmdLang[0].Caption, u"English");
    EXPECT_EQ(f.cmdLang[1].Caption, u"Chinese");
    EXPECT_TRUE(f.picLogos[0].Visible);
    EXPECT_FALSE(f.picLogos[1].Visible);
    EXPECT_EQ(f.picDesk.BackColor, white);
    EXPECT_EQ((about::Font{u"Arial", 10.2f, true, true}), f.lblVersion.font);
    EXPECT_EQ((about::Font{u"System", 9.6f, true, false}), f.cmdOK.font);
    EXPECT_EQ((about::LineShape{72, 696, 6660, 696, white}), f.Line1[3]);
    EXPECT_EQ((about::LineShape{108, 720, 6648, 720, 0x808080}), f.Line1[2]);
    EXPECT_EQ((about::LineShape{96, 2544, 6759, 2544, 0x808080}), f.Line1[1]);
    EXPECT_EQ((about::LineShape{96, 2544, 6714, 2544, white}), f.Line1[0]);
    EXPECT_TRUE(f.loaded());
}

TEST(AboutBox, LanguageButtonsSwitchCaptionsAndLogo)
{
    const frmAbout english;
    frmAbout chinese;
    chinese.Caption = u"\u95DC\u65BC...";
    chinese.cmdOK.Caption = u"\u4E86\u89E3(&O)";
    chinese.picLogos[0].Visible = false;
    chinese.picLogos[1].Visible = true;

    struct Row {
        std::vector<int> pressed;
        const frmAbout& expected;
    };
    const Row rows[] = {
        /* 0 */ {{}, english},
        /* 1 */ {{1}, chinese},
        /* 2 */ {{1, 1}, chinese},
        /* 3 */ {{1, 0}, english},
        /* 4 */ {{0}, english},
        /* 5 */ {{0, 0}, english},
        /* 6 */ {{1, 0, 1}, chinese},
        /* 7 */ {{2}, english},
        /* 8 */ {{1, -1}, chinese},
        /* 9 */ {{1, 32767, -32768, 2}, chinese},
    };
    for (std::size_t i = 0; i < std::size(rows); ++i) {
        frmAbout f;
        for (int index : rows[i].pressed) f.cmdLang_Click(index);
        EXPECT_EQ(f, rows[i].expected) << "row " << i;
        EXPECT_EQ(f.cmdLang[0].Caption, u"English") << "row " << i;
        EXPECT_EQ(f.cmdLang[1].Caption, u"Chinese") << "row " << i;
    }
}

TEST(AboutBox, VersionLineReadsTheComponentsNumbers)
{
    struct Row {
        about::ComponentVersion version;
        std::u16string expected;
    };
    const Row rows[] = {
        /* 0 */ {{2, 5, 31}, u"Version 2.5  (Build 31)"},
        /* 1 */ {{1, 0, 0}, u"Version 1.0  (Build 0)"},
        /* 2 */ {{10, 12, 9999}, u"Version 10.12  (Build 9999)"},
    };
    for (const Row& r : rows) {
        frmAbout f(r.version);
        EXPECT_EQ(f.lblVersion.Caption, u"Version");
        f.Form_Activate();
        EXPECT_EQ(f.lblVersion.Caption, r.expected);
        f.Form_Activate(); // every activation writes the same line
        EXPECT_EQ(f.lblVersion.Caption, r.expected);
    }
    EXPECT_EQ(about::componentVersion(),
              (about::ComponentVersion{version::major, version::minor, version::revision}));
}

TEST(AboutBox, LoadCentresTheDialogOnTheScreen)
{
    struct Row {
        Single screenWidth, screenHeight;
        Long width, height;
        Single left, top;
    };
    const Row rows[] = {
        /* 0 */ {19200, 14400, 6828, 4572, 6186, 4914},
        /* 1 */ {15360, 11520, 6948, 4962, 4206, 3279},
        /* 2 */ {1000, 1001, 6828, 4572, -2914, -1785.5f}, // a screen smaller than the dialog
    };
    for (const Row& r : rows) {
        frmAbout f;
        f.Width = r.width;
        f.Height = r.height;
        f.Form_Load(r.screenWidth, r.screenHeight);
        EXPECT_EQ(f.Left, r.left);
        EXPECT_EQ(f.Top, r.top);
    }
}

TEST(AboutBox, OkUnloads)
{
    frmAbout f;
    f.cmdLang_Click(1);
    f.cmdOK_Click();
    EXPECT_FALSE(f.loaded());
}

} // namespace
} // namespace tallux::test
