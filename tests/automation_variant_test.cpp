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
        /*0*/ {Integer(7), VT_I2, status::ok, "Integer 7"},
        /*1*/ {Long(32767), VT_I2, status::ok, "Integer 32767"},
        /*2*/ {Long(32768), VT_I2, status::overflow, ""},
        /*3*/ {Long(-32769), VT_I2, status::overflow, ""},
        /*4*/ {Double(2.5), VT_I2, status::ok, "Integer 2"}, // halves to even
        /*5*/ {Single(3.5f), VT_I2, status::ok, "Integer 4"},
        /*6*/ {Double(32767.5), VT_I2, status::overflow, ""},
        /*7*/ {u"12", VT_I2, status::ok, "Integer 12"},
        /*8*/ {u" -12.5 ", VT_I2, status::ok, "Integer -12"},
        /*9*/ {u"abc", VT_I2, status::typeMismatch, ""},
        /*10*/ {u"12abc", VT_I2, status::typeMismatch, ""},
        /*11*/ {u"", VT_I2, status::typeMismatch, ""},
        /*12*/ {u"1e9", VT_I2, status::overflow, ""},
        /*13*/ {Variant(), VT_I2, status::ok, "Integer 0"},
        /*14*/ {Boolean(true), VT_I2, status::ok, "Integer -1"},
        /*15*/ {Long(70000), VT_I4, status::ok, "Long 70000"},
        /*16*/ {Double(2147483648.0), VT_I4, status::overflow, ""},
        /*17*/ {u"inf", VT_I4, status::typeMismatch, ""},
        /*18*/ {Integer(3), VT_R4, status::ok, "Single 3"},
        /*19*/ {Double(1e39), VT_R4, status::overflow, ""},
        /*20*/ {u"1.5", VT_R4, status::ok, "Single 1.5"},
        /*21*/ {u"1e400", VT_R8, status::overflow, ""},
        /*22*/ {Integer(5), VT_BSTR, status::ok, "String \"5\""},
        /*23*/ {Single(0.1f), VT_BSTR, status::ok, "String \"0.1\""},
        /*24*/ {Boolean(false), VT_BSTR, status::ok, "String \"False\""},
        /*25*/ {Variant(), VT_BSTR, status::ok, "String \"\""},
        /*26*/ {u"true", VT_BOOL, status::ok, "Boolean True"},
        /*27*/ {u" False ", VT_BOOL, status::ok, "Boolean False"},
        /*28*/ {u"2", VT_BOOL, status::ok, "Boolean True"},
        /*29*/ {u"yes", VT_BOOL, status::typeMismatch, ""},
        /*30*/ {Integer(0), VT_BOOL, status::ok, "Boolean False"},
        /*31*/ {Variant(static_cast<IDispatch*>(nullptr)), VT_DISPATCH, status::ok, "Nothing"},
        /*32*/ {Variant(), VT_DISPATCH, status::typeMismatch, ""},
        /*33*/ {u"x", VT_DISPATCH, status::typeMismatch, ""},
        /*34*/ {Variant(static_cast<IDispatch*>(nullptr)), VT_I2, status::typeMismatch, ""},
        /*35*/ {Integer(1), VT_VARIANT, status::badVarType, ""},
    };
    for (std::size_t i = 0; i < std::size(rows); ++i) {
        Variant out = u"untouched";
        EXPECT_EQ(statusText(changeType(out, rows[i].from, rows[i].to)), statusText(rows[i].hr))
            << "row " << i;
        EXPECT_EQ(describe(out), rows[i].hr == status::ok ? rows[i].result : "String \"untouched\"")
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
    ASSERT_EQ(changeType(out, ref, VT_BSTR), status::ok);
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
        /*0*/ {status::ok, 0, 0},
        /*1*/ {status::okFalse, 1, 0},
        /*2*/ {status::unknownName, 0x80020006, 438},
        /*3*/ {status::memberNotFound, 0x80020003, 438},
        /*4*/ {status::typeMismatch, 0x80020005, 13},
        /*5*/ {status::overflow, 0x8002000A, 6},
        /*6*/ {status::badParamCount, 0x8002000E, 450},
        /*7*/ {status::classNotAvailable, 0x80040111, static_cast<std::int32_t>(0x80040111)},
        /*8*/ {status::noInterface, 0x80004002, 430},
        /*9*/ {status::divideByZero, 0x80020012, 11},
        /*10*/ {status::invalidArg, 0x80070057, 5},
    };
    for (std::size_t i = 0; i < std::size(rows); ++i) {
        EXPECT_EQ(static_cast<std::uint32_t>(rows[i].hr), rows[i].value) << "row " << i;
        EXPECT_EQ(errorNumber(rows[i].hr), rows[i].number) << "row " << i;
    }
    // An object's own error travels as 0x800A0000 | number in the exception.
    ExcepInfo excep;
    fillExcepInfo(&excep, 6, "Overflow", u"Tallux");
    EXPECT_EQ(static_cast<std::uint32_t>(excep.scode), 0x800A0006u);
    EXPECT_EQ(errorNumber(status::exception, &excep), 6);
    // A 32-bit status from a target stays that status.
    fillExcepInfo(&excep, status::fail, "failed", u"Target");
    EXPECT_EQ(errorNumber(status::exception, &excep), status::fail);
    // A script's division by zero, as a status in the exception.
    fillExcepInfo(&excep, status::divideByZero, "Division by zero", u"Target");
    EXPECT_EQ(errorNumber(status::exception, &excep), 11);
}

} // namespace
} // namespace tallux::test
