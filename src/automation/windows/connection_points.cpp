#include "automation/windows/connection_points.h"

#include <utility>

#include "automation/object.h"

namespace tallux::win {

// One connection point: the sinks advised for its interface, by cookie.
class ConnectionPoints::Point final : public Part<IConnectionPoint> {
public:
    Point(IUnknown& object, IConnectionPointContainer& container, const ::GUID& iid) noexcept
        : Part(object)
        , container_(container)
        , iid_(iid)
    {
    }
    ~Point()
    {
        for (auto& [cookie, sink] : sinks_) sink->Release();
    }

    // A connection point is an object of its own that keeps the control alive.
    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** out) override
    {
        if (out == nullptr) return com::status::badPointer;
        *out = nullptr;
        if (isNull(iid)) return com::status::invalidArg;
        if (!IsEqualIID(iid, IID_IUnknown) && !IsEqualIID(iid, IID_IConnectionPoint))
            return com::status::noInterface;
        *out = static_cast<IConnectionPoint*>(this);
        AddRef();
        return com::status::ok;
    }

    HRESULT STDMETHODCALLTYPE GetConnectionInterface(IID* iid) override
    {
        if (iid == nullptr) return com::status::badPointer;
        *iid = iid_;
        return com::status::ok;
    }
    HRESULT STDMETHODCALLTYPE GetConnectionPointContainer(IConnectionPointContainer** out) override
    {
        if (out == nullptr) return com::status::badPointer;
        *out = &container_;
        container_.AddRef();
        return com::status::ok;
    }
    HRESULT STDMETHODCALLTYPE Advise(IUnknown* sink, DWORD* cookie) override
    {
        if (sink == nullptr || cookie == nullptr) return com::status::badPointer;
        *cookie = 0;
        IUnknown* held = nullptr;
        if (query(sink, iid_, reinterpret_cast<void**>(&held)) < 0) return CONNECT_E_CANNOTCONNECT;
        return com::guarded([&] {
            try {
                sinks_.emplace_back(++lastCookie_, held);
            } catch (...) {
                held->Release();
                throw;
            }
            *cookie = lastCookie_;
            return com::status::ok;
        });
    }
    HRESULT STDMETHODCALLTYPE Unadvise(DWORD cookie) override
    {
        for (auto it = sinks_.begin(); it != sinks_.end(); ++it)
            if (it->first == cookie) {
                IUnknown* sink = it->second;
                sinks_.erase(it);
                sink->Release();
                return com::status::ok;
            }
        return CONNECT_E_NOCONNECTION;
    }
    HRESULT STDMETHODCALLTYPE EnumConnections(IEnumConnections** out) override
    {
        if (out != nullptr) *out = nullptr;
        return E_NOTIMPL;
    }

    // The sinks as they are now: a sink may unadvise while it is told.
    std::vector<com::ComPtr<IUnknown>> sinks() const
    {
        std::vector<com::ComPtr<IUnknown>> held;
        for (const auto& [cookie, sink] : sinks_) held.emplace_back(sink);
        return held;
    }

private:
    IConnectionPointContainer& container_;
    ::GUID iid_;
    std::vector<std::pair<DWORD, IUnknown*>> sinks_;
    DWORD lastCookie_ = 0;
};

ConnectionPoints::ConnectionPoints(IUnknown& object) noexcept
    : Part(object)
    , points_{new (std::nothrow) Point(object, *this, guid(typelib::DIID___Tallux)),
              new (std::nothrow) Point(object, *this, IID_IPropertyNotifySink)}
{
}

ConnectionPoints::~ConnectionPoints()
{
    for (Point* point : points_) delete point;
}

bool ConnectionPoints::offer(REFIID iid, void** out) noexcept
{
    if (!IsEqualIID(iid, IID_IConnectionPointContainer)) return false;
    *out = static_cast<IConnectionPointContainer*>(this);
    return true;
}

HRESULT ConnectionPoints::EnumConnectionPoints(IEnumConnectionPoints** out)
{
    if (out == nullptr) return com::status::badPointer;
    *out = nullptr;
    if (points_[events] == nullptr || points_[propertyNotify] == nullptr)
        return com::status::outOfMemory;
    return com::guarded([&] {
        *out = new Enumerator<IEnumConnectionPoints, IConnectionPoint*>(
            {points_[events], points_[propertyNotify]}, &object_);
        return com::status::ok;
    });
}

HRESULT ConnectionPoints::FindConnectionPoint(REFIID iid, IConnectionPoint** out)
{
    if (out == nullptr) return com::status::badPointer;
    *out = nullptr;
    if (isNull(iid)) return com::status::invalidArg;
    for (Point* point : points_) {
        IID its{};
        if (point != nullptr && point->GetConnectionInterface(&its) >= 0 && IsEqualIID(its, iid)) {
            *out = point;
            point->AddRef();
            return com::status::ok;
        }
    }
    return CONNECT_E_NOCONNECTION;
}

void ConnectionPoints::propertyChanged(std::u16string_view name) noexcept
{
    const std::optional<com::DISPID> id = typelib::findId(name);
    if (!id || points_[propertyNotify] == nullptr) return;
    try {
        for (const auto& sink : points_[propertyNotify]->sinks())
            static_cast<IPropertyNotifySink*>(sink.get())->OnChanged(*id);
    } catch (...) {
        // Out of memory for the list: the notification is lost, the value kept.
    }
}

HRESULT ConnectionPoints::advisePropertySink(IUnknown* sink, DWORD* cookie) noexcept
{
    if (points_[propertyNotify] == nullptr) return com::status::outOfMemory;
    return points_[propertyNotify]->Advise(sink, cookie);
}

} // namespace tallux::win
