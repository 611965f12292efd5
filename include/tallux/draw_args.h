#pragma once

#include <type_traits>

#include "tallux/export.h"
#include "tallux/target.h"

// The thirteen parameters of every drawing method, in order, each as
// X(name, type, everyday value, automation type) and S() between two. The
// automation type names a VT_ constant of whichever automation layer expands
// the list.
// clang-format off
#define TALLUX_DRAW_PARAMETERS(X, S)              \
    X(pObject, Target*, nullptr, VT_DISPATCH) S() \
    X(pX, Single, 0, VT_R4) S()                   \
    X(pY, Single, 0, VT_R4) S()                   \
    X(pCode, String, {}, VT_BSTR) S()             \
    X(pWidth, Integer, 2, VT_I2) S()              \
    X(pHeight, Integer, 60, VT_I2) S()            \
    X(pText, Integer, 1, VT_I2) S()               \
    X(pBold, Boolean, false, VT_BOOL) S()         \
    X(pFont, String, u"Arial", VT_BSTR) S()       \
    X(pForeColor, Long, 0, VT_I4) S()             \
    X(pLineColor, Long, 0, VT_I4) S()             \
    X(pRatio, String, u"3:1", VT_BSTR) S()        \
    X(pChk, Boolean, false, VT_BOOL)
// clang-format on

// Separators for S, and the usual X: a parameter as a method declares it,
// and as an argument that passes it on.
#define TALLUX_COMMA() ,
#define TALLUX_NO_SEPARATOR()
#define TALLUX_DRAW_PARAMETER(name, type, value, vt) DrawArg<type> name
#define TALLUX_DRAW_ARGUMENT(name, type, value, vt) name

TALLUX_PUBLIC_BEGIN

namespace tallux {

// A drawing method takes the target as it is and each of the caller's
// variables by reference, so that it can write pCode back.
template <class T>
using DrawArg = std::conditional_t<std::is_pointer_v<T>, T, T&>;

// The common signature of the fifteen drawing methods.
struct DrawArgs {
#define TALLUX_MEMBER(name, type, value, vt) DrawArg<type> name;
    TALLUX_DRAW_PARAMETERS(TALLUX_MEMBER, TALLUX_NO_SEPARATOR)
#undef TALLUX_MEMBER
};

// A set of caller variables with everyday values, for callers that keep the
// thirteen parameters together.
struct DrawParams {
#define TALLUX_MEMBER(name, type, value, vt) type name = value;
    TALLUX_DRAW_PARAMETERS(TALLUX_MEMBER, TALLUX_NO_SEPARATOR)
#undef TALLUX_MEMBER

    DrawArgs args()
    {
        return {TALLUX_DRAW_PARAMETERS(TALLUX_DRAW_ARGUMENT, TALLUX_COMMA)};
    }
};

} // namespace tallux

TALLUX_PUBLIC_END
