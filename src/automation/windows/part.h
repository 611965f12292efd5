#pragma once

#include <atomic>
#include <cstring>
#include <cwchar>
#include <new>
#include <vector>

#include "automation/windows/counted.h"
#include "automation/windows/win32.h"

// Building blocks of the control's COM object: interfaces implemented apart
// from the object but answering for its identity, and enumerators.
namespace tallux::win {

// A share of the object's interfaces: QueryInterface and the reference count
// are the object's own, so every interface reaches every other and one count
// keeps them all alive. Each part says which interfaces it offers.
template <class... Interfaces>
class Part : public Interfaces... {
public:
    explicit Part(IUnknown& object) noexcept
        : object_(object)
    {
    }
    Part(const Part&) = delete;
    Part& operator=(const Part&) = delete;

    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** out) override
    {
        return object_.QueryInterface(iid, out);
    }
    ULONG STDMETHODCALLTYPE AddRef() override { return object_.AddRef(); }
    ULONG STDMETHODCALLTYPE Release() override { return object_.Release(); }

protected:
    ~Part() = default;
    IUnknown& object_;
};

// What an enumerator hands out: a copy that the receiver owns.
inline HRESULT copyItem(const OLEVERB& from, OLEVERB& to) noexcept
{
    to = from;
    if (from.lpszVerbName == nullptr) return com::status::ok;
    const std::size_t bytes = (std::wcslen(from.lpszVerbName) + 1) * sizeof(wchar_t);
    to.lpszVerbName = static_cast<LPOLESTR>(::CoTaskMemAlloc(bytes));
    if (to.lpszVerbName == nullptr) return com::status::outOfMemory;
    std::memcpy(to.lpszVerbName, from.lpszVerbName, bytes);
    return com::status::ok;
}
template <class Interface>
HRESULT copyItem(Interface* from, Interface*& to) noexcept
{
    to = from;
    if (to != nullptr) to->AddRef();
    return com::status::ok;
}

// A standard enumerator (IEnumOLEVERB, IEnumConnectionPoints) over a fixed
// list; `keep` holds whatever the items point into alive.
template <class Enum, class Item>
class Enumerator final : public Enum {
public:
    Enumerator(std::vector<Item> items, IUnknown* keep)
        : items_(std::move(items))
        , keep_(keep)
    {
    }

    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** out) override
    {
        if (out == nullptr) return com::status::badPointer;
        *out = nullptr;
        if (isNull(iid)) return com::status::invalidArg;
        if (!IsEqualIID(iid, IID_IUnknown) && !IsEqualIID(iid, __uuidof(Enum)))
            return com::status::noInterface;
        *out = static_cast<Enum*>(this);
        AddRef();
        return com::status::ok;
    }
    TALLUX_COUNTED_REFERENCES(refs_)

    HRESULT STDMETHODCALLTYPE Next(ULONG count, Item* out, ULONG* fetched) override
    {
        if (out == nullptr || (count > 1 && fetched == nullptr)) return com::status::badPointer;
        ULONG n = 0;
        for (; n < count && next_ < items_.size(); ++n, ++next_)
            if (const HRESULT hr = copyItem(items_[next_], out[n]); hr < 0) return hr;
        if (fetched != nullptr) *fetched = n;
        return n == count ? com::status::ok : com::status::okFalse;
    }
    HRESULT STDMETHODCALLTYPE Skip(ULONG count) override
    {
        const std::size_t left = items_.size() - next_;
        next_ += count < left ? count : left;
        return count <= left ? com::status::ok : com::status::okFalse;
    }
    HRESULT STDMETHODCALLTYPE Reset() override
    {
        next_ = 0;
        return com::status::ok;
    }
    HRESULT STDMETHODCALLTYPE Clone(Enum** out) override
    {
        if (out == nullptr) return com::status::badPointer;
        auto* copy = new (std::nothrow) Enumerator(items_, keep_.get());
        *out = copy;
        if (copy == nullptr) return com::status::outOfMemory;
        copy->next_ = next_;
        return com::status::ok;
    }

private:
    ~Enumerator() = default;

    std::vector<Item> items_;
    com::ComPtr<IUnknown> keep_;
    std::size_t next_ = 0;
    std::atomic<ULONG> refs_{1};
};

} // namespace tallux::win
