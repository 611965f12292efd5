#include <cstdio>

#include "tallux/typelib.h"

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

std::string attributes(std::uint16_t flags)
{
    std::string s;
    if (flags & typeflag::Hidden) s += ", hidden";
    if (flags & typeflag::Control) s += ", control";
    if (flags & typeflag::Dual) s += ", dual";
    if (flags & typeflag::NonExtensible) s += ", nonextensible";
    if (flags & typeflag::OleAutomation) s += ", oleautomation";
    return s;
}

std::string parameter(const ParamDesc& p)
{
    std::string dir = "[";
    if (p.flags & paramflag::In) dir += "in";
    if (p.flags & paramflag::Out) dir += dir.size() > 1 ? ", out" : "out";
    return dir + "] " + typeName(p.vt, p.userType) + (p.byRef ? "* " : " ") + std::string(p.name);
}

std::string function(const FuncDesc& f)
{
    std::string s = "        [id(" + hexId(f.memid) + ")";
    if (f.invkind == InvokeKind::PropertyPut) s += ", propput";
    if (f.invkind == InvokeKind::PropertyGet) s += ", propget";
    if (f.flags & funcflagHidden) s += ", hidden";
    if (!f.helpString.empty()) s += ", helpstring(\"" + std::string(f.helpString) + "\")";
    s += "]\n        " + typeName(f.result, f.resultType) + " " + std::string(f.name) + "(";
    for (std::size_t i = 0; i < f.params.size(); ++i)
        s += (i ? ",\n            " : "\n            ") + parameter(f.params[i]);
    return s + ");\n";
}

std::string type(const TypeDesc& t)
{
    std::string s = "    [uuid(" + uuid(t.guid) + ")" + attributes(t.flags) + "]\n";
    switch (t.kind) {
    case TypeKind::Dispatch:
        s += "    dispinterface " + std::string(t.name) +
             " {\n        properties:\n        methods:\n";
        for (const FuncDesc& f : t.funcs) s += function(f);
        return s + "    };\n";
    case TypeKind::CoClass:
        s += "    coclass " + std::string(t.name) + " {\n";
        for (const ImplType& i : t.interfaces)
            s += std::string(i.source ? "        [default, source] dispinterface "
                                      : "        [default] dispinterface ") +
                 std::string(i.name) + ";\n";
        return s + "    };\n";
    case TypeKind::Enum:
        s = "    typedef " + s.substr(4, s.size() - 5) + "\n    enum {\n";
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
    std::string s = "[\n    uuid(" + uuid(lib.guid) + "),\n    version(" +
                    std::to_string(lib.major) + "." + std::to_string(lib.minor) + "),\n    lcid(" +
                    std::to_string(lib.lcid) + "),\n    helpstring(\"" +
                    std::string(lib.helpString) + "\")\n]\nlibrary " + std::string(lib.name) +
                    "\n{\n";
    for (std::size_t i = 0; i < lib.types.size(); ++i) s += (i ? "\n" : "") + type(lib.types[i]);
    return s + "};\n";
}

} // namespace tallux::typelib
