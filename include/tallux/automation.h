#pragma once

#include <bitset>

#include "tallux/export.h"
#include "tallux/tallux.h"
#include "tallux/target.h"
#include "tallux/typelib.h"
#include "tallux/variant.h"

TALLUX_PUBLIC_BEGIN

namespace tallux {

// A drawing target reached late-bound: every member is looked up by name on
// the dispatch object and invoked. A member the object does not know is
// error 438; a failed call raises the number that the object reports.
class LateBoundTarget : public Target {
public:
    explicit LateBoundTarget(com::IDispatch& object) noexcept
        : object_(&object)
    {
    }

    void FontName(const String& value) override;
    void ForeColor(Long value) override;
    void FontBold(Boolean value) override;
    void FontSize(Integer value) override;
    void CurrentX(Number value) override;
    void CurrentY(Single value) override;
    void Line(Integer flags, Integer x1, Single y1, Integer x2, Single y2, Long color) override;
    void Print(const String& s) override;
    Number TextWidth(const String& s) override;
    Number TextHeight(const String& s) override;

private:
    com::Variant invoke(Member member, std::uint16_t flags, std::span<com::Variant> args);
    com::Variant invoke(Member member, std::uint16_t flags, com::Variant arg)
    {
        return invoke(member, flags, {&arg, 1});
    }

    com::IDispatch* object_;
};

// A drawing target offered as a dispatch object, as a host offers its forms:
// the members in `offered` answer by name, the others are unknown names.
// The target must outlive the object.
com::ComPtr<com::IDispatch> makeTargetObject(Target& target,
                                             std::bitset<memberNames.size()> offered = ~0ULL);

// A new instance of the control, answering _Tallux through its dispatch
// interface (what the class factory creates).
com::ComPtr<com::IDispatch> makeTalluxObject();
// The same over a control that the caller owns and sites (a platform layer
// that is also the control's container); the control must outlive the object.
com::ComPtr<com::IDispatch> makeTalluxObject(Tallux& control);

} // namespace tallux

#ifndef _WIN32
// The four entry points of the in-process server, with C linkage. Windows
// declares its own, with the system's types.
extern "C" {
TALLUX_API tallux::com::HRESULT DllGetClassObject(const tallux::com::GUID* clsid,
                                                  const tallux::com::GUID* iid, void** object);
TALLUX_API tallux::com::HRESULT DllCanUnloadNow();
TALLUX_API tallux::com::HRESULT DllRegisterServer();
TALLUX_API tallux::com::HRESULT DllUnregisterServer();
}
#endif

TALLUX_PUBLIC_END
