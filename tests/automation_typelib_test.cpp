#include <gtest/gtest.h>

#include "tallux/typelib.h"

namespace tallux::test {
namespace {

using namespace typelib;
using namespace com;

TEST(TypeLibrary, LibraryAttributes)
{
    const Library& lib = talluxLibrary();
    EXPECT_EQ(lib.name, "TALLUXLIB");
    EXPECT_EQ(lib.major, 1);
    EXPECT_EQ(lib.minor, 0);
    EXPECT_EQ(lib.lcid, 1033u);
    EXPECT_EQ(lib.guid, LIBID_TALLUXLIB);
}

TEST(TypeLibrary, FourTypeDescriptionsInOrder)
{
    struct Row {
        std::string_view name;
        TypeKind kind;
        std::uint16_t flags;
        std::size_t funcs, values;
    };
    const Row rows[] = {
        /*0*/ {"_Tallux", TypeKind::Dispatch, 0x1D0, 18,
               0}, // dual, hidden, nonextensible, oleautomation
        /*1*/ {"Tallux", TypeKind::CoClass, 0x20, 0, 0},    // control, and nothing else
        /*2*/ {"__Tallux", TypeKind::Dispatch, 0x90, 0, 0}, // hidden, nonextensible
        /*3*/ {"tBarcodeType", TypeKind::Enum, 0, 0, 15},
    };
    const Library& lib = talluxLibrary();
    ASSERT_EQ(lib.types.size(), std::size(rows));
    for (std::size_t i = 0; i < std::size(rows); ++i) {
        const TypeDesc& t = lib.types[i];
        EXPECT_EQ(t.name, rows[i].name) << "type " << i;
        EXPECT_EQ(t.kind, rows[i].kind) << "type " << i;
        EXPECT_EQ(t.flags, rows[i].flags) << "type " << i;
        EXPECT_EQ(t.funcs.size(), rows[i].funcs) << "type " << i;
        EXPECT_EQ(t.values.size(), rows[i].values) << "type " << i;
    }
    // The co-class: default interface _Tallux, default source __Tallux.
    const TypeDesc& coclass = lib.types[1];
    ASSERT_EQ(coclass.interfaces.size(), 2u);
    EXPECT_EQ(coclass.interfaces[0].name, "_Tallux");
    EXPECT_FALSE(coclass.interfaces[0].source);
    EXPECT_EQ(coclass.interfaces[1].name, "__Tallux");
    EXPECT_TRUE(coclass.interfaces[1].source);
}

TEST(TypeLibrary, MembersOfTalluxInFunctionTableOrder)
{
    struct Row {
        std::string_view name;
        InvokeKind kind;
        DISPID id;
        std::uint16_t flags;
        std::size_t params;
        VarType result;
    };
    constexpr auto F = InvokeKind::Func;
    const Row rows[] = {
        /*0*/ {"SupBarType", InvokeKind::PropertyPut, 0x68030000, 0, 1, VT_EMPTY},
        /*1*/ {"SupBarType", InvokeKind::PropertyGet, 0x68030000, 0, 0, VT_I4},
        /*2*/ {"ShowAboutBox", F, -552, funcflagHidden, 0, VT_EMPTY},
        /*3*/ {"BarUPCAPlus", F, 0x60030005, 0, 13, VT_I2},
        /*4*/ {"BarCODABAR", F, 0x60030006, 0, 13, VT_I2},
        /*5*/ {"BarCODE11", F, 0x60030007, 0, 13, VT_I2},
        /*6*/ {"BarCODE25", F, 0x60030008, 0, 13, VT_I2},
        /*7*/ {"BarCODE39", F, 0x60030009, 0, 13, VT_I2},
        /*8*/ {"BarCODE39F", F, 0x6003000a, 0, 13, VT_I2},
        /*9*/ {"BarISBN", F, 0x6003000b, 0, 13, VT_I2},
        /*10*/ {"BarMSI", F, 0x6003000c, 0, 13, VT_I2},
        /*11*/ {"BarPOSTNET", F, 0x6003000d, 0, 13, VT_I2},
        /*12*/ {"BarCODE93", F, 0x6003000e, 0, 13, VT_I2},
        /*13*/ {"BarEAN13", F, 0x6003000f, 0, 13, VT_I2},
        /*14*/ {"BarCODE128", F, 0x60030010, 0, 13, VT_I2},
        /*15*/ {"BarEAN8", F, 0x60030011, 0, 13, VT_I2},
        /*16*/ {"BarUPCA", F, 0x60030012, 0, 13, VT_I2},
        /*17*/ {"BarUPCE", F, 0x60030013, 0, 13, VT_I2},
    };
    const auto funcs = findType("_Tallux")->funcs;
    ASSERT_EQ(funcs.size(), std::size(rows));
    for (std::size_t i = 0; i < std::size(rows); ++i) {
        const FuncDesc& f = funcs[i];
        EXPECT_EQ(f.name, rows[i].name) << "member " << i;
        EXPECT_EQ(f.invkind, rows[i].kind) << "member " << i;
        EXPECT_EQ(f.memid, rows[i].id) << "member " << i;
        EXPECT_EQ(f.flags, rows[i].flags) << "member " << i;
        EXPECT_EQ(f.params.size(), rows[i].params) << "member " << i;
        EXPECT_EQ(f.result, rows[i].result) << "member " << i;
        // Each drawing member is the drawing method of the same name.
        EXPECT_EQ(f.method != nullptr, i >= 3) << "member " << i;
        if (f.method) {
            EXPECT_EQ(f.method->name, f.name) << "member " << i;
        }
    }
    EXPECT_EQ(funcs[0].helpString, "BarCode Type Support ");
    EXPECT_EQ(funcs[1].helpString, "BarCode Type Support ");
    EXPECT_EQ(funcs[0].params[0].userType, "tBarcodeType");
    EXPECT_EQ(funcs[1].resultType, "tBarcodeType");
}

TEST(TypeLibrary, CommonDrawingSignatureIsAllByReference)
{
    struct Row {
        std::string_view name;
        VarType vt;
    };
    const Row rows[] = {
        /*0*/ {"pObject", VT_DISPATCH},
        /*1*/ {"pX", VT_R4},
        /*2*/ {"pY", VT_R4},
        /*3*/ {"pCode", VT_BSTR},
        /*4*/ {"pWidth", VT_I2},
        /*5*/ {"pHeight", VT_I2},
        /*6*/ {"pText", VT_I2},
        /*7*/ {"pBold", VT_BOOL},
        /*8*/ {"pFont", VT_BSTR},
        /*9*/ {"pForeColor", VT_I4},
        /*10*/ {"pLineColor", VT_I4},
        /*11*/ {"pRatio", VT_BSTR},
        /*12*/ {"pChk", VT_BOOL},
    };
    for (const FuncDesc& f : findType("_Tallux")->funcs) {
        if (f.method == nullptr) continue;
        ASSERT_EQ(f.params.size(), std::size(rows)) << f.name;
        for (std::size_t i = 0; i < std::size(rows); ++i) {
            const ParamDesc& p = f.params[i];
            EXPECT_EQ(p.name, rows[i].name) << f.name << " parameter " << i;
            EXPECT_EQ(p.vt, rows[i].vt) << f.name << " parameter " << i;
            EXPECT_TRUE(p.byRef) << f.name << " parameter " << i;
            EXPECT_EQ(p.flags, paramflag::In | paramflag::Out) << f.name << " parameter " << i;
        }
    }
}

TEST(TypeLibrary, EnumerationFollowsTheMethodTable)
{
    const auto values = findType("tBarcodeType")->values;
    const std::string_view names[] = {"Codabar",  "Code_11", "Code_128", "Code_25",    "Code_39",
                                      "Code_39F", "Code_93", "EAN_13",   "EAN_8",      "ISBN",
                                      "Code_MSI", "PostNet", "UPC_A",    "UPC_A_Plus", "UPC_E"};
    ASSERT_EQ(values.size(), std::size(names));
    for (std::size_t i = 0; i < values.size(); ++i) {
        EXPECT_EQ(values[i].name, names[i]) << "value " << i;
        EXPECT_EQ(values[i].value, static_cast<std::int32_t>(i)) << "value " << i;
    }
}

TEST(TypeLibrary, IdentifiersAreDistinctAndRoundTripAsText)
{
    const GUID ids[] = {LIBID_TALLUXLIB, CLSID_Tallux, IID__Tallux, DIID___Tallux,
                        GUID_tBarcodeType};
    for (std::size_t i = 0; i < std::size(ids); ++i) {
        EXPECT_EQ(parseGuid(toString(ids[i])), ids[i]) << "id " << i;
        for (std::size_t j = i + 1; j < std::size(ids); ++j) EXPECT_NE(ids[i], ids[j]);
    }
    EXPECT_EQ(toString(IID_IDispatch), "{00020400-0000-0000-C000-000000000046}");
    EXPECT_EQ(parseGuid("{2f2c9c0f-8338-4847-bd2c-3705eed0c07e}"), CLSID_Tallux);
    for (const char* bad :
         {"", "2F2C9C0F-8338-4847-BD2C-3705EED0C07E", "{2F2C9C0F-8338-4847-BD2C-3705EED0C07}",
          "{2F2C9C0F+8338-4847-BD2C-3705EED0C07E}", "{2F2C9C0G-8338-4847-BD2C-3705EED0C07E}"})
        EXPECT_FALSE(parseGuid(bad)) << bad;
}

TEST(TypeLibrary, NamesAndIdsResolve)
{
    struct Row {
        std::u16string_view name;
        std::optional<DISPID> id;
    };
    const Row rows[] = {
        /*0*/ {u"SupBarType", 0x68030000}, /*1*/ {u"supbartype", 0x68030000},
        /*2*/ {u"SHOWABOUTBOX", -552},     /*3*/ {u"barean13", 0x6003000f},
        /*4*/ {u"BarUPCE", 0x60030013},    /*5*/ {u"BarEAN", std::nullopt},
        /*6*/ {u"", std::nullopt},         /*7*/ {u"FontName", std::nullopt},
    };
    for (std::size_t i = 0; i < std::size(rows); ++i)
        EXPECT_EQ(findId(rows[i].name), rows[i].id) << "row " << i;

    struct Lookup {
        DISPID id;
        std::uint16_t flags;
        const char* member; // nullptr: no member answers
        InvokeKind kind;
    };
    const Lookup lookups[] = {
        /*0*/ {0x68030000, dispatchPropertyGet, "SupBarType", InvokeKind::PropertyGet},
        /*1*/ {0x68030000, dispatchPropertyPut, "SupBarType", InvokeKind::PropertyPut},
        /*2*/
        {0x68030000, dispatchMethod | dispatchPropertyGet, "SupBarType", InvokeKind::PropertyGet},
        /*3*/ {0x68030000, dispatchMethod, nullptr, {}},
        /*4*/ {0x60030009, dispatchMethod, "BarCODE39", InvokeKind::Func},
        /*5*/ {0x60030009, dispatchMethod | dispatchPropertyGet, "BarCODE39", InvokeKind::Func},
        /*6*/ {0x60030009, dispatchPropertyPut, nullptr, {}},
        /*7*/ {0x60030014, dispatchMethod, nullptr, {}},
        /*8*/ {-552, dispatchMethod, "ShowAboutBox", InvokeKind::Func},
    };
    for (std::size_t i = 0; i < std::size(lookups); ++i) {
        const FuncDesc* f = findFunction(lookups[i].id, lookups[i].flags);
        ASSERT_EQ(f != nullptr, lookups[i].member != nullptr) << "lookup " << i;
        if (f) {
            EXPECT_EQ(f->name, lookups[i].member) << "lookup " << i;
            EXPECT_EQ(f->invkind, lookups[i].kind) << "lookup " << i;
        }
    }
}

TEST(TypeLibrary, IdlTextShowsTheLibrary)
{
    const std::string idl = idlText();
    const std::string expected[] = {
        /*0*/ "library TALLUXLIB\n",
        /*1*/ "version(1.0)",
        /*2*/ "lcid(1033)",
        /*3*/
        "[uuid(5DF5F3B4-47FC-43A6-AA83-20A3F93F3314), hidden, dual, nonextensible, "
        "oleautomation]\n    interface _Tallux : IDispatch {\n",
        /*4*/
        "[uuid(2F2C9C0F-8338-4847-BD2C-3705EED0C07E), control, noncreatable]\n    coclass "
        "Tallux {\n        [default] interface _Tallux;\n        [default, source] "
        "dispinterface __Tallux;\n",
        /*5*/
        "[uuid(25D2ACE3-DF61-4394-B4F8-240EDBDA4AA9), hidden /* nonextensible */]\n    "
        "dispinterface __Tallux {\n",
        /*6*/
        "[id(0x68030000), propput, helpstring(\"BarCode Type Support \")]\n        HRESULT "
        "SupBarType(\n            [in] tBarcodeType value);\n",
        /*7*/
        "[id(0x68030000), propget, helpstring(\"BarCode Type Support \")]\n        HRESULT "
        "SupBarType(\n            [out, retval] tBarcodeType* value);\n",
        /*8*/
        "[id(0xfffffdd8), hidden, helpstring(\"Shows the about box\")]\n        HRESULT "
        "ShowAboutBox();\n",
        /*9*/
        "[id(0x60030013)]\n        HRESULT BarUPCE(\n            [in, out] IDispatch** "
        "pObject,\n            [in, out] float* pX,\n",
        /*10*/
        "            [in, out] VARIANT_BOOL* pChk,\n            [out, retval] short* "
        "result);\n",
        /*11*/ "        UPC_A_Plus = 13,\n        UPC_E = 14\n    } tBarcodeType;\n",
    };
    for (std::size_t i = 0; i < std::size(expected); ++i)
        EXPECT_NE(idl.find(expected[i]), std::string::npos) << "piece " << i << ":\n"
                                                            << expected[i];
    // The enumeration is declared before _Tallux uses it; the rest in library
    // order: _Tallux, Tallux, __Tallux.
    EXPECT_LT(idl.find("} tBarcodeType;"), idl.find("interface _Tallux : IDispatch {"));
    EXPECT_LT(idl.find("interface _Tallux : IDispatch {"), idl.find("coclass Tallux {"));
    EXPECT_LT(idl.find("coclass Tallux {"), idl.find("dispinterface __Tallux {"));
}

} // namespace
} // namespace tallux::test
