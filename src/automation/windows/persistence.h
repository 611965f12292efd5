#pragma once

#include "automation/windows/part.h"

namespace tallux::win {

// The control's persistence for every kind of container storage: a stream,
// a property bag, a compound-document storage. The control saves no
// properties, so saving writes nothing and loading reads nothing: an instance
// loaded from a saved form starts with SupBarType 0 like a new one.
class Persistence final : public Part<IPersistStreamInit, IPersistPropertyBag, IPersistStorage> {
public:
    using Part::Part;

    bool offer(REFIID iid, void** out) noexcept
    {
        if (IsEqualIID(iid, IID_IPersist) || IsEqualIID(iid, IID_IPersistStreamInit))
            *out = static_cast<IPersistStreamInit*>(this);
        else if (IsEqualIID(iid, IID_IPersistPropertyBag))
            *out = static_cast<IPersistPropertyBag*>(this);
        else if (IsEqualIID(iid, IID_IPersistStorage))
            *out = static_cast<IPersistStorage*>(this);
        else
            return false;
        return true;
    }

    // IPersist
    HRESULT STDMETHODCALLTYPE GetClassID(CLSID* id) override
    {
        if (id == nullptr) return com::status::badPointer;
        *id = guid(typelib::CLSID_Tallux);
        return com::status::ok;
    }
    // Never dirty: there is nothing to save.
    HRESULT STDMETHODCALLTYPE IsDirty() override { return com::status::okFalse; }

    // IPersistStreamInit and IPersistPropertyBag
    HRESULT STDMETHODCALLTYPE InitNew() override { return com::status::ok; }
    HRESULT STDMETHODCALLTYPE Load(IStream* stream) override { return present(stream); }
    HRESULT STDMETHODCALLTYPE Save(IStream* stream, BOOL) override { return present(stream); }
    HRESULT STDMETHODCALLTYPE GetSizeMax(ULARGE_INTEGER* size) override
    {
        if (size == nullptr) return com::status::badPointer;
        size->QuadPart = 0;
        return com::status::ok;
    }
    HRESULT STDMETHODCALLTYPE Load(IPropertyBag* bag, IErrorLog*) override { return present(bag); }
    HRESULT STDMETHODCALLTYPE Save(IPropertyBag* bag, BOOL, BOOL) override { return present(bag); }

    // IPersistStorage
    HRESULT STDMETHODCALLTYPE InitNew(IStorage* storage) override { return present(storage); }
    HRESULT STDMETHODCALLTYPE Load(IStorage* storage) override { return present(storage); }
    HRESULT STDMETHODCALLTYPE Save(IStorage* storage, BOOL) override { return present(storage); }
    HRESULT STDMETHODCALLTYPE SaveCompleted(IStorage*) override { return com::status::ok; }
    HRESULT STDMETHODCALLTYPE HandsOffStorage() override { return com::status::ok; }

private:
    static HRESULT present(const void* where) noexcept
    {
        return where != nullptr ? com::status::ok : com::status::badPointer;
    }
};

} // namespace tallux::win
