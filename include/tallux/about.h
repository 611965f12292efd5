#pragma once

#include <array>
#include <cstddef>
#include <string_view>

#include "tallux/export.h"
#include "tallux/target.h"

// The component's about dialog as a model: its controls with their design-time
// properties and its event handlers. A dialog toolkit presents it (the Qt
// module does); the model itself draws nothing.
TALLUX_PUBLIC_BEGIN

namespace tallux::about {

// Position and size of a control inside its container, in twips.
struct Bounds {
    Long Left = 0;
    Long Top = 0;
    Long Width = 0;
    Long Height = 0;
    friend bool operator==(const Bounds&, const Bounds&) = default;
};

struct Font {
    std::u16string_view Name;
    Single Size = 0; // points
    bool Bold = false;
    bool Italic = false;
    friend bool operator==(const Font&, const Font&) = default;
};

struct Label {
    String Caption;
    Bounds bounds;
    Font font;
    Long ForeColor = 0; // low byte red
    friend bool operator==(const Label&, const Label&) = default;
};

struct CommandButton {
    String Caption; // "&" marks the access key
    Bounds bounds;
    Font font;
    friend bool operator==(const CommandButton&, const CommandButton&) = default;
};

// A straight line between two points, in twips.
struct LineShape {
    Long X1 = 0, Y1 = 0, X2 = 0, Y2 = 0;
    Long BorderColor = 0;
    friend bool operator==(const LineShape&, const LineShape&) = default;
};

struct PictureBox {
    Bounds bounds;
    Long BackColor = 0;
    bool Visible = true;
    friend bool operator==(const PictureBox&, const PictureBox&) = default;
};

struct Image {
    Bounds bounds;
    friend bool operator==(const Image&, const Image&) = default;
};

// The system colour of button faces, as the host's colour format writes it.
inline constexpr Long buttonFace = static_cast<Long>(0x8000000Fu);

// The version numbers that the version line shows.
struct ComponentVersion {
    int Major = 0;
    int Minor = 0;
    int Revision = 0;
    friend bool operator==(const ComponentVersion&, const ComponentVersion&) = default;
};
// This build's own version numbers.
ComponentVersion componentVersion() noexcept;

// One of the two caption sets that the language buttons switch between.
struct CaptionSet {
    std::u16string_view dialog;
    std::u16string_view ok;
    std::size_t logo; // the index of the visible picLogos
};
inline constexpr std::size_t english = 0;
inline constexpr std::size_t chinese = 1;
inline constexpr std::array<CaptionSet, 2> captionSets = {{
    {u"About", u"&Understand", english},
    {u"\u95DC\u65BC...", u"\u4E86\u89E3(&O)", chinese}, // 關於... and 了解(&O)
}};

// The logos are bitmaps of this many pixels.
inline constexpr int logoPixelWidth = 529;
inline constexpr int logoPixelHeight = 70;

class frmAbout {
public:
    // The dialog's client area, in twips.
    static constexpr Long ScaleWidth = 6828;
    static constexpr Long ScaleHeight = 4572;

    explicit frmAbout(ComponentVersion version = componentVersion());

    String Caption;
    // The dialog's outer position and size in twips, frame included; the host
    // sets Width and Height before loading when its frame adds to the client area.
    Single Left = 0;
    Single Top = 0;
    Long Width = ScaleWidth;
    Long Height = ScaleHeight;

    Label lblTitle;
    Label lblVersion;
    std::array<LineShape, 4> Line1;
    std::array<CommandButton, 2> cmdLang;
    PictureBox picDesk;                 // holds picLogos
    std::array<PictureBox, 2> picLogos; // inside picDesk
    PictureBox Picture1;                // the bottom strip, holds cmdOK
    CommandButton cmdOK;                // inside Picture1
    Image Image1;

    // Centres the dialog on a screen of the given size in twips.
    void Form_Load(Single screenWidth, Single screenHeight);
    // Writes the version line.
    void Form_Activate();
    // Switches captions and logo to the language of the button pressed.
    void cmdLang_Click(Integer Index);
    // Unloads the dialog, which ends its modal display.
    void cmdOK_Click();

    void Unload() noexcept { loaded_ = false; }
    bool loaded() const noexcept { return loaded_; }

    friend bool operator==(const frmAbout&, const frmAbout&) = default;

private:
    ComponentVersion version_;
    bool loaded_ = true;
};

} // namespace tallux::about

TALLUX_PUBLIC_END
