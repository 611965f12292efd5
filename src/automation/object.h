#pragma once

#include <atomic>
#include <new>

#include "tallux/com.h"

namespace tallux::com {

// The reference counting of an object that offers one interface (and the
// interfaces it derives from): it starts with one reference and deletes
// itself when the last is released.
template <class Interface>
class Object : public Interface {
public:
    std::uint32_t AddRef() override { return ++refs_; }
    std::uint32_t Release() override
    {
        const std::uint32_t left = --refs_;
        if (left == 0) delete this;
        return left;
    }

protected:
    Object() = default;
    ~Object() override = default;

    // Hands out this object for an interface it offers.
    HRESULT offer(void** object)
    {
        AddRef();
        *object = static_cast<Interface*>(this);
        return status::ok;
    }

private:
    std::atomic<std::uint32_t> refs_{1};
};

// The failure an exception that escaped a member stands for.
template <class Call>
HRESULT guarded(Call&& call) noexcept
{
    try {
        return call();
    } catch (const std::bad_alloc&) {
        return status::outOfMemory;
    } catch (...) {
        return status::fail;
    }
}

} // namespace tallux::com
