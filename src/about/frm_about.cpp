#include "tallux/about.h"

#include "runtime/text.h"
#include "tallux/version.h"

namespace tallux::about {

namespace {

constexpr Font arialBold{u"Arial", 7.8f, true, false};
constexpr Font arialBoldItalic{u"Arial", 10.2f, true, true};
constexpr Font systemBold{u"System", 9.6f, true, false};
constexpr Long red = 0x0000C0;
constexpr Long grey = 0x808080;

} // namespace

ComponentVersion componentVersion() noexcept
{
    return {version::major, version::minor, version::revision};
}

frmAbout::frmAbout(ComponentVersion version)
    : Caption(captionSets[english].dialog)
    , lblTitle{u"Tallux Barcode Control", {1020, 150, 4680, 240}, arialBold, 0}
    , lblVersion{u"Version", {3750, 450, 2865, 240}, arialBoldItalic, red}
    , Line1{{
          {96, 2544, 6714, 2544, white},
          {96, 2544, 6759, 2544, grey},
          {108, 720, 6648, 720, grey},
          {72, 696, 6660, 696, white},
      }}
    , cmdLang{{
          {u"English", {5064, 1632, 1620, 372}, arialBold},
          {u"Chinese", {5064, 2016, 1620, 372}, arialBold},
      }}
    , picDesk{{216, 2616, 6396, 888}, white, true}
    , picLogos{{
          {{24, 0, 6348, 840}, white, true},
          {{0, 0, 6348, 840}, white, false}, // the English captions come first
      }}
    , Picture1{{24, 3576, 6765, 915}, buttonFace, true}
    , cmdOK{String(captionSets[english].ok), {5100, 480, 1530, 345}, systemBold}
    , Image1{{120, 120, 480, 480}}
    , version_(version)
{
}

void frmAbout::Form_Load(Single screenWidth, Single screenHeight)
{
    Top = (screenHeight - static_cast<Single>(Height)) / 2;
    Left = (screenWidth - static_cast<Single>(Width)) / 2;
}

void frmAbout::Form_Activate()
{
    lblVersion.Caption = u"Version " + decimalText(version_.Major) + u"." +
                         decimalText(version_.Minor) + u"  (Build " +
                         decimalText(version_.Revision) + u")";
}

void frmAbout::cmdLang_Click(Integer Index)
{
    if (Index != 0 && Index != 1) return;
    const CaptionSet& set = captionSets[static_cast<std::size_t>(Index.value())];
    picLogos[1 - set.logo].Visible = false;
    picLogos[set.logo].Visible = true;
    cmdOK.Caption = set.ok;
    Caption = set.dialog;
}

void frmAbout::cmdOK_Click()
{
    Unload();
}

} // namespace tallux::about
