#pragma once

#include <string_view>

#include "tallux/export.h"
#include "tallux/methods.h"

TALLUX_PUBLIC_BEGIN

namespace tallux {

// Extents of the control, in the host's size units for controls (twips).
struct Extent {
    Long width = 0;
    Long height = 0;
    friend bool operator==(const Extent&, const Extent&) = default;
};

// The host's site for one control: its extent and the property-changed
// notification. Failures are raised as RuntimeError and reach the caller.
class ControlSite {
public:
    virtual ~ControlSite() = default;
    virtual Extent extent() const = 0;
    virtual void setExtent(Extent extent) = 0;
    virtual void propertyChanged(std::string_view name) = 0;
};

// Shows the about box modally and returns when the user has closed it. The
// about-box module installs one; without it ShowAboutBox raises an error.
// ShowAboutBox calls present(context); the context stays the caller's and
// must outlive the installation. A null present removes it.
using AboutBoxPresenter = void (*)(void* context);
void setAboutBoxPresenter(AboutBoxPresenter present, void* context = nullptr) noexcept;

// Raised by ShowAboutBox when no about box can be shown in this process.
inline constexpr std::int32_t aboutBoxUnavailable = 429;

// The control. Invisible at run time; at design time it shows its icon and
// keeps itself 400 by 400 twips. Apart from SupBarType it keeps no state
// between calls: each drawing method works only on its own parameters.
class Tallux {
public:
    static constexpr Extent designSize{400, 400};

    // The control's only property. Any value that fits 16 bits is stored; it
    // is not consulted by any drawing method.
    tBarcodeType SupBarType() const noexcept
    {
        return static_cast<tBarcodeType>(supBarType_.value());
    }
    void SupBarType(std::int32_t value);

    void ShowAboutBox();

    // The host's site; may be null (a control created in code).
    void setSite(ControlSite* site) noexcept { site_ = site; }
    // The resize handler, run by the host whenever the control's extent changes.
    void UserControl_Resize();

    // The icon image on the control's surface.
    struct Image {
        Long Width = 0;
        Long Height = 0;
    };
    Image imgIcon;

    // The fifteen drawing methods, each with the thirteen parameters of
    // TALLUX_DRAW_PARAMETERS: the target, then the caller's variables by reference.
#define TALLUX_DECLARE(Name)                                                                       \
    Integer Name(TALLUX_DRAW_PARAMETERS(TALLUX_DRAW_PARAMETER, TALLUX_COMMA));
    TALLUX_DRAWING_METHODS(TALLUX_DECLARE)
#undef TALLUX_DECLARE

    // Any drawing method by its enumeration value, on a set of variables.
    Integer draw(tBarcodeType type, DrawParams& params);

private:
    Integer supBarType_ = 0;
    ControlSite* site_ = nullptr;
};

} // namespace tallux

TALLUX_PUBLIC_END
