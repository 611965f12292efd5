#include <cstdio>
#include <vector>

#include "tallux/typelib.h"

// The library as IDL that widl compiles into the type library the Windows
// server embeds. _Tallux is written as a dual interface, so the text gives
// both its dispatch members and the vtable that early-bound callers use.
namespace tallux::typelib {

namespace {

using namespace com;

std::string uuid(const GUID& g)
{
    const std::string s = toString(g);
    return s.substr(1, s.size() - 2);
}

std::string hexId(DISPID id)
{
    char buf[16];
    std::snprintf(buf, sizeof buf, "0x%08x", static_cast<unsigned>(id));
    return buf;
}

std::string typeName(VarType vt, std::string_view userType)
{
    if (!userType.empty()) return std::string(userType);
    switch (vt) {
    case VT_EMPTY: return "void";
    case VT_I2: return "short";
    case VT_I4: return "long";
    case VT_R4: return "float";
    case VT_R8: return "double";
    case VT_BSTR: return "BSTR";
    case VT_DISPATCH: return "IDispatch*";
    case VT_BOOL: return "VARIANT_BOOL";
    default: return "VARIANT";
    }
}

std::string attributes(const TypeDesc& t)
{
    std::string s;
    if (t.flags & typeflag::Hidden) s += ", hidden";
    if (t.flags & typeflag::Control) s += ", control";
    if (t.kind == TypeKind::CoClass && !(t.flags & typeflag::CanCreate)) s += ", noncreatable";
    if (t.flags & typeflag::Dual) s += ", dual";
    // widl refuses nonextensible on a pure dispinterface: there it is a
    // comment, which the Windows build sets in the compiled library itself.
    if (t.flags & typeflag::NonExtensible)
        s += t.kind == TypeKind::Dispatch && !(t.flags & typeflag::Dual) ? " /* nonextensible */"
                                                                         : ", nonextensible";
    if (t.flags & typeflag::OleAutomation) s += ", oleautomation";
    return s;
}

std::string parameter(const ParamDesc& p)
{
    std::string dir = "[";
    if (p.flags & paramflag::In) dir += "in";
    if (p.flags & paramflag::Out) dir += dir.size() > 1 ? ", out" : "out";
    return dir + "] " + typeName(p.vt, p.userType) + (p.byRef ? "* " : " ") + std::string(p.name);
}

// One member of the dual interface: every member returns HRESULT, and a
// value it returns is its last, [out, retval] parameter.
std::string function(const FuncDesc& f)
{
    std::string s = "        [id(" + hexId(f.memid) + ")";
    if (f.invkind == InvokeKind::PropertyPut) s += ", propput";
    if (f.invkind == InvokeKind::PropertyGet) s += ", propget";
    if (f.flags & funcflagHidden) s += ", hidden";
    if (!f.helpString.empty()) s += ", helpstring(\"" + std::string(f.helpString) + "\")";
    std::vector<std::string> params;
    for (const ParamDesc& p : f.params) params.push_back(parameter(p));
    if (f.result != VT_EMPTY)
        params.push_back("[out, retval] " + typeName(f.result, f.resultType) +
                         (f.invkind == InvokeKind::PropertyGet ? "* value" : "* result"));
    s += "]\n        HRESULT " + std::string(f.name) + "(";
    for (std::size_t i = 0; i < params.size(); ++i)
        s += (i ? ",\n            " : "\n            ") + params[i];
    return s + ");\n";
}

std::string type(const TypeDesc& t)
{
    std::string s = "    [uuid(" + uuid(t.guid) + ")" + attributes(t) + "]\n";
    switch (t.kind) {
    case TypeKind::Dispatch:
        if (t.flags & typeflag::Dual) {
            s += "    interface " + std::string(t.name) + " : IDispatch {\n";
            for (const FuncDesc& f : t.funcs) s += function(f);
            return s + "    };\n";
        }
        return s + "    dispinterface " + std::string(t.name) +
               " {\n        properties:\n        methods:\n    };\n";
    case TypeKind::CoClass:
        s += "    coclass " + std::string(t.name) + " {\n";
        for (const ImplType& i : t.interfaces) {
            const TypeDesc* it = findType(i.name);
            const bool dual = it != nullptr && (it->flags & typeflag::Dual);
            s += std::string(i.source ? "        [default, source] " : "        [default] ") +
                 (dual ? "interface " : "dispinterface ") + std::string(i.name) + ";\n";
        }
        return s + "    };\n";
    case TypeKind::Enum:
        s = "    typedef " + s.substr(4, s.size() - 5) + "\n    enum " + std::string(t.name) +
            " {\n";
        for (std::size_t i = 0; i < t.values.size(); ++i)
            s += "        " + std::string(t.values[i].name) + " = " +
                 std::to_string(t.values[i].value) + (i + 1 < t.values.size() ? ",\n" : "\n");
        return s + "    } " + std::string(t.name) + ";\n";
    default: return s;
    }
}

} // namespace

std::string idlText()
{
    const Library& lib = talluxLibrary();
    std::string s = "import \"oaidl.idl\";\n\n[\n    uuid(" + uuid(lib.guid) + "),\n    version(" +
                    std::to_string(lib.major) + "." + std::to_string(lib.minor) + "),\n    lcid(" +
                    std::to_string(lib.lcid) + "),\n    helpstring(\"" +
                    std::string(lib.helpString) + "\")\n]\nlibrary " + std::string(lib.name) +
                    "\n{\n    importlib(\"stdole2.tlb\");\n";
    // IDL names a type only after declaring it: the enumerations come first.
    for (const TypeDesc& t : lib.types)
        if (t.kind == TypeKind::Enum) s += "\n" + type(t);
    for (const TypeDesc& t : lib.types)
        if (t.kind != TypeKind::Enum) s += "\n" + type(t);
    return s + "};\n";
}

} // namespace tallux::typelib
