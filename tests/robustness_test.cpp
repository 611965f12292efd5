// Regression cases found by the fuzz targets: each row is one input that once
// broke an invariant, with what it must give.
#include <gtest/gtest.h>

#include <cmath>
#include <limits>

#include "automation_support.h"
#include "support.h"

namespace tallux::test {
namespace {

// A by-reference argument that the method does not change keeps the caller's
// type and value, a NaN included (a NaN equals nothing, not even itself).
TEST(Robustness, UnchangedByRefArgumentsKeepTheirType)
{
    constexpr double nan = std::numeric_limits<double>::quiet_NaN();
    struct Row {
        std::u16string_view method;
        std::size_t at; // which of the thirteen
        Variant value;
        std::string after; // the caller's variable afterwards
    };
    const Row rows[] = {
        /*0*/ {u"BarUPCA", 8, Double(nan), "Double nan"}, // pFont: a text "nan"
        /*1*/ {u"BarCODE39", 1, Double(nan), "Double nan"},
        /*2*/ {u"BarCODE39", 2, Double(nan), "Double nan"},
        /*3*/ {u"BarCODE39", 2, Single(std::nanf("")), "Single nan"},
        /*4*/ {u"BarPOSTNET", 2, Double(nan), "Double nan"},
        /*5*/ {u"BarCODE39", 4, Long(3), "Long 3"},
    };
    for (std::size_t i = 0; i < std::size(rows); ++i) {
        RecordingTarget t;
        const ComPtr<IDispatch> target = makeTargetObject(t);
        DrawVariables v(target.get(), u"12345");
        v.vars[rows[i].at] = rows[i].value;
        const Outcome o = invoke(*makeTalluxObject(), rows[i].method, dispatchMethod, v.byRef());
        EXPECT_TRUE(o.hr == status::ok || o.hr == status::exception) << "row " << i;
        EXPECT_EQ(describe(v.vars[rows[i].at]), rows[i].after) << "row " << i;
    }
}

} // namespace
} // namespace tallux::test
