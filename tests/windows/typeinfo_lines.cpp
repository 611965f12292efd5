// Prints the type library TALLUXLIB as the lines that the Windows client
// prints from the library it reads out of tallux.dll, so the two compare
// line by line. Types are C names; each by-reference level adds a "*".
#include <cstdio>
#include <string>

#include "tallux/typelib.h"

namespace {

using namespace tallux;
using namespace tallux::typelib;

// The flags that the library states; a compiler adds implied ones
// (dispatchable, creatable) that are not part of the comparison.
constexpr unsigned statedTypeFlags = 0x1F0;

std::string typeName(com::VarType vt, std::string_view userType, bool byRef)
{
    std::string name(userType);
    if (name.empty()) switch (vt) {
        case com::VT_EMPTY: name = "void"; break;
        case com::VT_I2: name = "short"; break;
        case com::VT_I4: name = "long"; break;
        case com::VT_R4: name = "float"; break;
        case com::VT_BSTR: name = "BSTR"; break;
        case com::VT_DISPATCH: name = "IDispatch*"; break;
        case com::VT_BOOL: name = "VARIANT_BOOL"; break;
        default: name = "vt" + std::to_string(vt); break;
        }
    return byRef ? name + "*" : name;
}

} // namespace

int main()
{
    const Library& lib = talluxLibrary();
    std::printf("library %s %s %u.%u %u\n", std::string(lib.name).c_str(),
                com::toString(lib.guid).c_str(), lib.major, lib.minor, lib.lcid);
    for (const TypeDesc& t : lib.types) {
        std::printf("type %s %d 0x%x %s\n", std::string(t.name).c_str(), static_cast<int>(t.kind),
                    t.flags & statedTypeFlags, com::toString(t.guid).c_str());
        for (const FuncDesc& f : t.funcs) {
            std::string line = "func " + std::string(t.name) + " " + std::string(f.name);
            char head[64];
            std::snprintf(head, sizeof head, " 0x%08x %d 0x%x ", static_cast<unsigned>(f.memid),
                          static_cast<int>(f.invkind), f.flags);
            line += head + typeName(f.result, f.resultType, false);
            for (const ParamDesc& p : f.params)
                line += " " + std::string(p.name) + ":" + typeName(p.vt, p.userType, p.byRef) +
                        ":" + std::to_string(p.flags);
            std::printf("%s\n", line.c_str());
        }
        for (const ImplType& i : t.interfaces)
            std::printf("impl %s %s %d\n", std::string(t.name).c_str(), std::string(i.name).c_str(),
                        i.source ? 3 : 1);
        for (const EnumMember& v : t.values)
            std::printf("value %s %s %d\n", std::string(t.name).c_str(),
                        std::string(v.name).c_str(), v.value);
    }
}
