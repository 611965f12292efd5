#include <gtest/gtest.h>

#include "automation_support.h"
#include "support.h"

namespace tallux::test {
namespace {

constexpr auto get = dispatchPropertyGet;
constexpr auto put = dispatchPropertyPut;
constexpr auto method = dispatchMethod;

TEST(Dispatch, SupBarTypeThroughPropertyGetAndPut)
{
    const ComPtr<IDispatch> control = makeTalluxObject();
    EXPECT_EQ(describe(invoke(*control, u"SupBarType", get).result), "Long 0"); // a new instance

    struct Row {
        Variant value;
        std::int32_t number; // what the put reports
        std::string after;   // what a get reads then
    };
    const Row rows[] = {
        /*0*/ {Long(14), 0, "Long 14"},
        /*1*/ {Long(99), 0, "Long 99"},
        /*2*/ {Long(-1), 0, "Long -1"},
        /*3*/ {Long(70000), 6, "Long -1"}, // overflow keeps the previous value
        /*4*/ {Integer(3), 0, "Long 3"},
        /*5*/ {u"12", 0, "Long 12"},
        /*6*/ {u"twelve", 13, "Long 12"},
        /*7*/ {Long(-32768), 0, "Long -32768"},
        /*8*/ {Double(32767.5), 6, "Long -32768"},
    };
    for (std::size_t i = 0; i < std::size(rows); ++i) {
        EXPECT_EQ(invoke(*control, u"supbartype", put, {rows[i].value}).number(), rows[i].number)
            << "row " << i;
        EXPECT_EQ(describe(invoke(*control, u"SupBarType", get).result), rows[i].after)
            << "row " << i;
    }
}

TEST(Dispatch, FailuresOfTheCallItself)
{
    const ComPtr<IDispatch> control = makeTalluxObject();
    RecordingTarget t;
    const ComPtr<IDispatch> target = makeTargetObject(t);
    const auto draw = [&](std::vector<Variant> args) {
        return invoke(*control, u"BarCODE39", method, args);
    };
    const auto args = [&](std::size_t at, Variant v) {
        std::vector<Variant> a = DrawVariables(target.get(), u"A").vars;
        a[at] = std::move(v);
        return a;
    };

    struct Row {
        Outcome outcome;
        HRESULT hr;
        std::uint32_t argErr;
        std::int32_t number;
    };
    const Row rows[] = {
        /*0*/ {invoke(*control, u"BarCode40", method), status::unknownName, 0, 438},
        /*1*/ {draw({}), status::badParamCount, 0, 450},
        /*2*/ {draw(std::vector<Variant>(14)), status::badParamCount, 0, 450},
        /*3*/ {invoke(*control, u"SupBarType", put), status::badParamCount, 0, 450},
        /*4*/ {draw(args(4, u"wide")), status::typeMismatch, 4, 13},
        /*5*/ {draw(args(5, Long(40000))), status::overflow, 5, 6},
        /*6*/ {draw(args(0, u"Form1")), status::typeMismatch, 0, 13},
        /*7*/ {draw(args(1, Double(1e40))), status::overflow, 1, 6},
        /*8*/
        {invoke(*control, u"BarCODE39", put, args(0, Variant(target.get()))),
         status::memberNotFound, 0, 438},
        /*9*/ {invoke(*control, u"SupBarType", method), status::memberNotFound, 0, 438},
        // here
    };
    for (std::size_t i = 0; i < std::size(rows); ++i) {
        EXPECT_EQ(statusText(rows[i].outcome.hr), statusText(rows[i].hr)) << "row " << i;
        EXPECT_EQ(rows[i].outcome.argErr, rows[i].argErr) << "row " << i;
        EXPECT_EQ(rows[i].outcome.number(), rows[i].number) << "row " << i;
    }
    EXPECT_TRUE(t.calls.empty()); // nothing was drawn by a failed call
    DISPID id = 0;
    DispParams none;
    EXPECT_EQ(control->Invoke(0x60030014, method, none, nullptr, nullptr, nullptr),
              status::memberNotFound);
    EXPECT_EQ(control->GetIDsOfNames(u"BarEAN13", &id), status::ok);
    EXPECT_EQ(id, 0x6003000f);
}

// The same Code 39 call made early-bound on a recording target and
// late-bound through dispatch on a recording target behind a dispatch object.
TEST(Dispatch, DrawingByNameMatchesTheEarlyBoundCallAndWritesBack)
{
    RecordingTarget direct;
    DrawParams p = params(direct, u"CODE39");
    p.pChk = true;
    p.pText = 1;
    ASSERT_EQ(Tallux().draw(Code_39, p).value(), 0);

    RecordingTarget late;
    const ComPtr<IDispatch> target = makeTargetObject(late);
    DrawVariables v(target.get(), u"CODE39");
    v.vars[6] = Integer(1);
    v.vars[12] = Boolean(true);
    v.vars[4] = Long(2); // a Long variable that the method leaves as it is
    std::vector<Variant> refs = v.byRef();
    const Outcome o = invoke(*makeTalluxObject(), u"barcode39", method, refs);
    ASSERT_EQ(o.hr, status::ok);
    EXPECT_EQ(describe(o.result), "Integer 0");
    EXPECT_EQ(late.log(), direct.log());
    EXPECT_EQ(describe(v.vars[3]), "String \"CODE39W\""); // the check character came back
    EXPECT_EQ(describe(v.vars[4]), "Long 2");
    EXPECT_EQ(describe(v.vars[0]), "Object");

    // Passed by value, the caller's variable keeps what it held.
    DrawVariables byValue(target.get(), u"CODE39");
    byValue.vars[12] = Boolean(true);
    std::vector<Variant> copies = byValue.vars;
    ASSERT_EQ(invoke(*makeTalluxObject(), u"BarCODE39", method, copies).hr, status::ok);
    EXPECT_EQ(describe(byValue.vars[3]), "String \"CODE39\"");
}

TEST(Dispatch, LateBoundTargetFailuresBecomeResults)
{
    struct Row {
        std::bitset<memberNames.size()> offered; // members the target object knows by name
        Member failing;                          // with failOn: this member's nth call fails
        int nth;
        std::int32_t with;
        HRESULT hr;              // of the drawing call
        std::int32_t number;     // its result, or the error it raised
        std::size_t calls;       // calls the target received
        std::string last;        // the last of them
        std::string raised = {}; // the description of the error raised
    };
    std::bitset<memberNames.size()> all;
    all.set();
    std::bitset<memberNames.size()> noPrint = all;
    noPrint.reset(static_cast<std::size_t>(Member::Print));
    std::bitset<memberNames.size()> noFontName = all;
    noFontName.reset(static_cast<std::size_t>(Member::FontName));
    const Row rows[] = {
        /*0*/ {noFontName, Member::Line, 0, 0, status::ok, 438, 0, ""},
        /*1*/
        {noPrint, Member::Line, 0, 0, status::ok, 438, 4 + 29 + 3, "CurrentY(115)"}, // Print
                                                                                     // unknown
                                                                                     /*2*/
        {all, Member::Line, 10, 482, status::ok, 482, 4 + 10, "Line(38,97,10,99,110,16777215)!"},
        // A 32-bit status does not fit the result: overflow is raised instead,
        // saying which member failed and with what.
        /*3*/
        {all, Member::Line, 10, status::fail, status::exception, 6, 4 + 10,
         "Line(38,97,10,99,110,16777215)!",
         "Overflow: the target's Line raised -2147467259 (Application-defined or object-defined "
         "error)"},
        /*4*/ {all, Member::TextWidth, 1, 5, status::ok, 5, 4 + 29 + 1, "TextWidth(A)!"},
    };
    for (std::size_t i = 0; i < std::size(rows); ++i) {
        RecordingTarget t;
        if (rows[i].nth) t.failOn(rows[i].failing, rows[i].nth, rows[i].with);
        const ComPtr<IDispatch> target = makeTargetObject(t, rows[i].offered);
        DrawVariables v(target.get(), u"A");
        v.vars[6] = Integer(1);
        const Outcome o = invoke(*makeTalluxObject(), u"BarCODE39", method, v.byRef());
        EXPECT_EQ(statusText(o.hr), statusText(rows[i].hr)) << "row " << i;
        EXPECT_EQ(o.hr == status::ok ? o.result.get<Integer>()->value() : o.number(),
                  rows[i].number)
            << "row " << i;
        EXPECT_EQ(t.calls.size(), rows[i].calls) << "row " << i;
        if (!t.calls.empty()) {
            EXPECT_EQ(t.calls.back().str(), rows[i].last) << "row " << i;
        }
        EXPECT_EQ(toUtf8(o.excep.description), rows[i].raised) << "row " << i;
    }
}

TEST(Dispatch, ShowAboutBoxShowsThePresentersDialog)
{
    int shown = 0;
    setAboutBoxPresenter([](void* count) { ++*static_cast<int*>(count); }, &shown);
    const Outcome o = invoke(*makeTalluxObject(), u"showaboutbox", method);
    setAboutBoxPresenter({});
    EXPECT_EQ(o.hr, status::ok);
    EXPECT_EQ(o.result.vt(), VT_EMPTY);
    EXPECT_EQ(shown, 1);
}

TEST(Dispatch, NothingAsTargetGives91)
{
    DrawVariables v(nullptr, u"A");
    const Outcome o = invoke(*makeTalluxObject(), u"BarCODE39", method, v.byRef());
    ASSERT_EQ(o.hr, status::ok);
    EXPECT_EQ(describe(o.result), "Integer 91");
}

TEST(Dispatch, TargetObjectCoercesAndReportsItsMembers)
{
    RecordingTarget t;
    const ComPtr<IDispatch> target = makeTargetObject(t);
    struct Row {
        std::u16string_view name;
        std::uint16_t flags;
        std::vector<Variant> args;
        HRESULT hr;
        std::string call; // what the target recorded last, or the result
    };
    const Row rows[] = {
        /*0*/ {u"fontsize", put, {Double(7.5)}, status::ok, "FontSize(8)"},
        /*1*/ {u"CurrentX", put, {Double(2.5)}, status::ok, "CurrentX(Double 2.5)"},
        /*2*/ {u"CurrentX", put, {u"3"}, status::ok, "CurrentX(Double 3)"},
        /*3*/
        {u"Line",
         method,
         {Integer(38), Long(1), u"2", Integer(3), Single(4), Long(5)},
         status::ok,
         "Line(38,1,2,3,4,5)"},
        /*4*/ {u"Line", method, {Integer(38)}, status::badParamCount, "Line(38,1,2,3,4,5)"},
        /*5*/ {u"FontSize", method, {Integer(1)}, status::memberNotFound, "Line(38,1,2,3,4,5)"},
        /*6*/ {u"FontSize", put, {u"big"}, status::typeMismatch, "Line(38,1,2,3,4,5)"},
        /*7*/ {u"TextWidth", method | get, {u"AB"}, status::ok, "Single 14"},
        /*8*/ {u"Circle", method, {}, status::unknownName, "TextWidth(AB)=14"},
    };
    for (std::size_t i = 0; i < std::size(rows); ++i) {
        const Outcome o = invoke(*target, rows[i].name, rows[i].flags, rows[i].args);
        EXPECT_EQ(statusText(o.hr), statusText(rows[i].hr)) << "row " << i;
        const std::string seen =
            o.result.vt() != VT_EMPTY ? describe(o.result) : t.calls.back().str();
        EXPECT_EQ(seen, rows[i].call) << "row " << i;
    }
}

} // namespace
} // namespace tallux::test
