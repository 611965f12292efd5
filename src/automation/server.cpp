#include "automation/server.h"

#include <atomic>

#include "automation/object.h"
#include "tallux/automation.h"

namespace tallux::server {

namespace {
std::atomic<long> liveObjects{0};
std::atomic<long> locks{0};
} // namespace

void objectCreated() noexcept
{
    ++liveObjects;
}
void objectDestroyed() noexcept
{
    --liveObjects;
}
void lock(bool lock) noexcept
{
    lock ? ++locks : --locks;
}
bool inUse() noexcept
{
    return liveObjects > 0 || locks > 0;
}

namespace {

using namespace com;

// A factory that a host holds keeps the library loaded like any other object.
class TalluxFactory final : public Object<IClassFactory> {
public:
    TalluxFactory() { objectCreated(); }

    HRESULT QueryInterface(const GUID& iid, void** object) override
    {
        if (object == nullptr) return status::badPointer;
        *object = nullptr;
        if (iid == IID_IUnknown || iid == IID_IClassFactory) return offer(object);
        return status::noInterface;
    }

    HRESULT CreateInstance(IUnknown* outer, const GUID& iid, void** object) override
    {
        if (object == nullptr) return status::badPointer;
        *object = nullptr;
        if (outer != nullptr) return status::noAggregation;
        return guarded([&] { return makeTalluxObject()->QueryInterface(iid, object); });
    }

    HRESULT LockServer(bool lock) override
    {
        server::lock(lock);
        return status::ok;
    }

private:
    ~TalluxFactory() override { objectDestroyed(); }
};

} // namespace

ComPtr<IClassFactory> makeClassFactory()
{
    return ComPtr<IClassFactory>::adopt(new TalluxFactory);
}

} // namespace tallux::server
