#include <array>
#include <cmath>

#include "automation/object.h"
#include "automation/server.h"
#include "tallux/automation.h"
#include "tallux/tallux.h"

namespace tallux {

using namespace com;
using typelib::FuncDesc;

namespace {

// One instance of the control behind its dispatch interface. Arguments are
// coerced to the declared types of the member; by-reference arguments that
// the member changed are written back into the caller's variants.
class TalluxObject final : public Object<IDispatch> {
public:
    explicit TalluxObject(Tallux* control = nullptr)
        : control_(control != nullptr ? *control : own_)
    {
        server::objectCreated();
    }

    HRESULT QueryInterface(const GUID& iid, void** object) override
    {
        if (object == nullptr) return status::badPointer;
        *object = nullptr;
        if (iid == IID_IUnknown || iid == IID_IDispatch || iid == typelib::IID__Tallux)
            return offer(object);
        return status::noInterface;
    }

    HRESULT GetIDsOfNames(std::u16string_view name, DISPID* id) override
    {
        if (id == nullptr) return status::badPointer;
        const auto found = typelib::findId(name);
        *id = found.value_or(dispidUnknown);
        return found ? status::ok : status::unknownName;
    }

    HRESULT Invoke(DISPID id, std::uint16_t flags, DispParams& params, Variant* result,
                   ExcepInfo* excep, std::uint32_t* argErr) override
    {
        const FuncDesc* f = typelib::findFunction(id, flags);
        if (f == nullptr) return status::memberNotFound;
        if (params.args.size() != f->params.size()) return status::badParamCount;

        std::array<Variant, 13> typed;
        for (std::uint32_t i = 0; i < f->params.size(); ++i)
            if (const HRESULT hr = changeType(typed[i], params.args[i], f->params[i].vt);
                failed(hr)) {
                if (argErr != nullptr) *argErr = i;
                return hr;
            }

        return guarded([&] {
            try {
                Variant answer = call(*f, typed, params.args);
                if (result != nullptr) *result = std::move(answer);
                return status::ok;
            } catch (const RuntimeError& e) {
                fillExcepInfo(excep, e.number(), e.what(), u"TALLUXLIB.Tallux");
                return status::exception;
            }
        });
    }

private:
    ~TalluxObject() override { server::objectDestroyed(); }

    Variant call(const FuncDesc& f, std::span<Variant> typed, std::span<Variant> args)
    {
        if (f.method != nullptr) return draw(*f.method, typed, args);
        if (f.memid == dispidAboutBox) {
            control_.ShowAboutBox();
            return Variant();
        }
        if (f.invkind == typelib::InvokeKind::PropertyPut) {
            control_.SupBarType(*typed[0].get<Long>());
            return Variant();
        }
        return Variant(static_cast<Long>(control_.SupBarType()));
    }

    Variant draw(const MethodInfo& method, std::span<Variant> typed, std::span<Variant> args)
    {
        const ComPtr<IDispatch> object = *typed[0].get<ComPtr<IDispatch>>();
        std::optional<LateBoundTarget> target;
        if (object) target.emplace(*object.get());

        DrawParams p;
        std::size_t i = 0;
#define TALLUX_READ(name, type, value, vt) read(p.name, typed[i++]);
        TALLUX_DRAW_PARAMETERS(TALLUX_READ, TALLUX_NO_SEPARATOR)
#undef TALLUX_READ
        p.pObject = target ? &*target : nullptr;

        // What the method changed reaches the caller also when it raised, as
        // it does for a caller that binds early.
        Integer drawn;
        try {
            drawn = control_.draw(method.type, p);
        } catch (const RuntimeError&) {
            writeBack(p, typed, args);
            throw;
        }
        writeBack(p, typed, args);
        return Variant(drawn);
    }

    // Stores each by-reference argument that the method changed, in its
    // declared type; the caller's other variants keep their own type. A NaN
    // that comes back as it went in is unchanged, though it equals nothing.
    static void writeBack(const DrawParams& p, std::span<const Variant> typed,
                          std::span<Variant> args)
    {
        std::size_t n = 0;
        const Variant after[] = {
#define TALLUX_AFTER(name, type, value, vt) written(p.name, typed[n++])
            TALLUX_DRAW_PARAMETERS(TALLUX_AFTER, TALLUX_COMMA)
#undef TALLUX_AFTER
        };
        const auto unchanged = [](const Variant& a, const Variant& b) {
            const Single* x = a.get<Single>();
            const Single* y = b.get<Single>();
            return a == b || (x && y && std::isnan(*x) && std::isnan(*y));
        };
        for (std::size_t i = 1; i < std::size(after); ++i)
            if (args[i].isByRef() && !unchanged(after[i], typed[i])) args[i].deref() = after[i];
    }

    // A parameter in its declared type, and its value after the call; the
    // target is made from the dispatch object and never written back.
    template <class T>
    static void read(T& value, const Variant& typed)
    {
        value = *typed.get<T>();
    }
    static void read(Target*&, const Variant&) {}
    template <class T>
    static Variant written(const T& value, const Variant&)
    {
        return value;
    }
    static Variant written(Target*, const Variant& typed)
    {
        return typed;
    }

    Tallux own_;
    Tallux& control_;
};

} // namespace

ComPtr<IDispatch> makeTalluxObject()
{
    return ComPtr<IDispatch>::adopt(new TalluxObject);
}

ComPtr<IDispatch> makeTalluxObject(Tallux& control)
{
    return ComPtr<IDispatch>::adopt(new TalluxObject(&control));
}

} // namespace tallux
