#include <gtest/gtest.h>

#include "automation_support.h"
#include "tallux/recording_target.h"

namespace tallux::test {
namespace {

TEST(Variant, CoercionsToTheDeclaredTypes)
{
    struct Row {
        Variant from;
        VarType to;
        HRESULT hr;
        std::string result; // describe() of the converted value when hr is S_OK
    };
    const Row rows[] = {
        /*0*/ {Integer(7), VT_I2, S_OK, "Integer 7"},
        /*1*/ {Long(32767), VT_I2, S_OK, "Integer 32767"},
        /*2*/ {Long(32768), VT_I2, DISP_E_OVERFLOW, ""},
        /*3*/ {Long(-32769), VT_I2, DISP_E_OVERFLOW, ""},
        /*4*/ {Double(2.5), VT_I2, S_OK, "Integer 2"}, // halves to even
        /*5*/ {Single(3.5f), VT_I2, S_OK, "Integer 4"},
        /*6*/ {Double(32767.5), VT_I2, DISP_E_OVERFLOW, ""},
        /*7*/ {u"12", VT_I2, S_OK, "Integer 12"},
        /*8*/ {u" -12.5 ", VT_I2, S_OK, "Integer -12"},
        /*9*/ {u"abc", VT_I2, DISP_E_TYPEMISMATCH, ""},
        /*10*/ {u"12abc", VT_I2, DISP_E_TYPEMISMATCH, ""},
        /*11*/ {u"", VT_I2, DISP_E_TYPEMISMATCH, ""},
        /*12*/ {u"1e9", VT_I2, DISP_E_OVERFLOW, ""},
        /*13*/ {Variant(), VT_I2, S_OK, "Integer 0"},
        /*14*/ {Boolean(true), VT_I2, S_OK, "Integer -1"},
        /*15*/ {Long(70000), VT_I4, S_OK, "Long 70000"},
        /*16*/ {Double(2147483648.0), VT_I4, DISP_E_OVERFLOW, ""},
        /*17*/ {u"inf", VT_I4, DISP_E_TYPEMISMATCH, ""},
        /*18*/ {Integer(3), VT_R4, S_OK, "Single 3"},
        /*19*/ {Double(1e39), VT_R4, DISP_E_OVERFLOW, ""},
        /*20*/ {u"1.5", VT_R4, S_OK, "Single 1.5"},
        /*21*/ {u"1e400", VT_R8, DISP_E_OVERFLOW, ""},
        /*22*/ {Integer(5), VT_BSTR, S_OK, "String \"5\""},
        /*23*/ {Single(0.1f), VT_BSTR, S_OK, "String \"0.1\""},
        /*24*/ {Boolean(false), VT_BSTR, S_OK, "String \"False\""},
        /*25*/ {Variant(), VT_BSTR, S_OK, "String \"\""},
        /*26*/ {u"true", VT_BOOL, S_OK, "Boolean True"},
        /*27*/ {u" False ", VT_BOOL, S_OK, "Boolean False"},
        /*28*/ {u"2", VT_BOOL, S_OK, "Boolean True"},
        /*29*/ {u"yes", VT_BOOL, DISP_E_TYPEMISMATCH, ""},
        /*30*/ {Integer(0), VT_BOOL, S_OK, "Boolean False"},
        /*31*/ {Variant(static_cast<IDispatch*>(nullptr)), VT_DISPATCH, S_OK, "Nothing"},
        /*32*/ {Variant(), VT_DISPATCH, DISP_E_TYPEMISMATCH, ""},
        /*33*/ {u"x", VT_DISPATCH, DISP_E_TYPEMISMATCH, ""},
        /*34*/ {Variant(static_cast<IDispatch*>(nullptr)), VT_I2, DISP_E_TYPEMISMATCH, ""},
        /*35*/ {Integer(1), VT_VARIANT, DISP_E_BADVARTYPE, ""},
    };
    for (std::size_t i = 0; i < std::size(rows); ++i) {
        Variant out = u"untouched";
        EXPECT_EQ(statusText(changeType(out, rows[i].from, rows[i].to)), statusText(rows[i].hr))
            << "row " << i;
        EXPECT_EQ(describe(out), rows[i].hr == S_OK ? rows[i].result : "String \"untouched\"")
            << "row " << i;
    }
}

TEST(Variant, ByReferenceReadsAndWritesTheCallersVariable)
{
    Variant caller = u"CODE39";
    Variant ref = Variant::byRef(caller);
    EXPECT_TRUE(ref.isByRef());
    EXPECT_EQ(ref.vt(), VT_BYREF | VT_VARIANT);
    Variant out;
    ASSERT_EQ(changeType(out, ref, VT_BSTR), S_OK);
    EXPECT_EQ(describe(out), "String \"CODE39\"");
    ref.deref() = Variant(u"CODE39W");
    EXPECT_EQ(describe(caller), "String \"CODE39W\"");
    // A reference to a reference refers to the variable itself.
    Variant again = Variant::byRef(ref);
    again.deref() = Integer(4);
    EXPECT_EQ(describe(caller), "Integer 4");
    EXPECT_EQ(describe(again), "ByRef Integer 4");
}

TEST(Variant, ObjectsAreCountedReferences)
{
    RecordingTarget target;
    ComPtr<IDispatch> object = makeTargetObject(target);
    {
        Variant a(object.get());
        Variant b = a;
        EXPECT_EQ(a, b);
        EXPECT_EQ(object->AddRef(), 4u); // object, a, b and this one
        object->Release();
    }
    EXPECT_EQ(object->AddRef(), 2u);
    object->Release();
}

TEST(Variant, StatusCodesAndTheNumbersClientsSee)
{
    struct Row {
        HRESULT hr;
        std::uint32_t value;
        std::int32_t number;
    };
    const Row rows[] = {
        /*0*/ {S_OK, 0, 0},
        /*1*/ {S_FALSE, 1, 0},
        /*2*/ {DISP_E_UNKNOWNNAME, 0x80020006, 438},
        /*3*/ {DISP_E_MEMBERNOTFOUND, 0x80020003, 438},
        /*4*/ {DISP_E_TYPEMISMATCH, 0x80020005, 13},
        /*5*/ {DISP_E_OVERFLOW, 0x8002000A, 6},
        /*6*/ {DISP_E_BADPARAMCOUNT, 0x8002000E, 450},
        /*7*/ {CLASS_E_CLASSNOTAVAILABLE, 0x80040111, static_cast<std::int32_t>(0x80040111)},
        /*8*/ {E_NOINTERFACE, 0x80004002, 430},
    };
    for (std::size_t i = 0; i < std::size(rows); ++i) {
        EXPECT_EQ(static_cast<std::uint32_t>(rows[i].hr), rows[i].value) << "row " << i;
        EXPECT_EQ(errorNumber(rows[i].hr), rows[i].number) << "row " << i;
    }
    // An object's own error travels as 0x800A0000 | number in the exception.
    ExcepInfo excep;
    fillExcepInfo(&excep, 6, "Overflow", u"Tallux");
    EXPECT_EQ(static_cast<std::uint32_t>(excep.scode), 0x800A0006u);
    EXPECT_EQ(errorNumber(DISP_E_EXCEPTION, &excep), 6);
    // A 32-bit status from a target stays that status.
    fillExcepInfo(&excep, E_FAIL, "failed", u"Target");
    EXPECT_EQ(errorNumber(DISP_E_EXCEPTION, &excep), E_FAIL);
}

} // namespace
} // namespace tallux::test
