#pragma once

#include <string_view>

#include "automation/windows/part.h"

namespace tallux::win {

// The control's outgoing interfaces: the empty event interface __Tallux and
// the property-changed notification IPropertyNotifySink, each with its own
// connection point where a host advises its sinks.
class ConnectionPoints final : public Part<IConnectionPointContainer> {
public:
    explicit ConnectionPoints(IUnknown& object) noexcept;
    ~ConnectionPoints();

    bool offer(REFIID iid, void** out) noexcept;

    // Tells every advised IPropertyNotifySink that the property changed.
    void propertyChanged(std::u16string_view name) noexcept;
    // Advises a property-changed sink directly (quick activation).
    HRESULT advisePropertySink(IUnknown* sink, DWORD* cookie) noexcept;

    HRESULT STDMETHODCALLTYPE EnumConnectionPoints(IEnumConnectionPoints** out) override;
    HRESULT STDMETHODCALLTYPE FindConnectionPoint(REFIID iid, IConnectionPoint** out) override;

private:
    class Point;
    static constexpr std::size_t events = 0, propertyNotify = 1;
    Point* points_[2];
};

} // namespace tallux::win
