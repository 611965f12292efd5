#include <gtest/gtest.h>

#include "ean_upc_support.h"

// How the family normalises pCode, computes its check digits and fails.
namespace tallux::test {
namespace {

TEST(EanUpc, NormalisedCodeAndCheckDigits)
{
    struct Case {
        DrawFunction method;
        std::u16string code, after;
        std::string printed; // every Print, joined
    };
    const Case cases[] = {
        /*0 wrong check digit dropped and recomputed */
        {draw::BarEAN13, u"4006381333930", u"400638133393", "4006381333931"},
        /*1 padded: sum 10, check 0 */ {draw::BarEAN13, u"123", u"123000000000", "1230000000000"},
        /*2 a letter counts 0 and prints as it is */
        {draw::BarEAN13, u"12345A789012", u"12345A789012", "12345A7890126"},
        /*3 trimmed before the length test */
        {draw::BarUPCA, u"  03600029145  ", u"03600029145", "036000291452"},
        /*4*/ {draw::BarEAN8, u"96385074", u"9638507", "96385074"},
        /*5*/ {draw::BarEAN8, u" 1", u"1000000", "10000007"},
        /*6 expands to 001200000345 */ {draw::BarUPCE, u"12345", u"123450", "01234505"},
        /*7 001230000045 */ {draw::BarUPCE, u"123453", u"123453", "01234531"},
        /*8 001234000005 */ {draw::BarUPCE, u"123454", u"123454", "01234543"},
        /*9 number system and check cut off */ {draw::BarUPCE, u"01234565", u"012345", "00123457"},
        /*10*/ {draw::BarUPCE, u"", u"000000", "00000000"},
        /*11*/ {draw::BarUPCAPlus, u"036000291452", u"03600029145", "036000291452"},
        /*12*/
        {draw::BarISBN, u"0306406152", u"978030640615", "ISBN 0-306406-15-29780306406157"},
        /*13*/ {draw::BarISBN, u"000000000", u"978000000000", "ISBN 0-000000-00-09780000000002"},
        /*14 weighted sum 12 = 11 + 1 */
        {draw::BarISBN, u"000000006", u"978000000006", "ISBN 0-000000-06-X9780000000064"},
        /*15 hyphens stay and count 0 */
        {draw::BarISBN, u"0-306-40615-2", u"9780-306-406", "ISBN 0--306-4-06-09780-306-4065"},
    };
    for (std::size_t i = 0; i < std::size(cases); ++i) {
        RecordingTarget t;
        DrawParams p = params(t, cases[i].code);
        p.pText = 1;
        EXPECT_EQ(cases[i].method(p.args()).value(), 0) << "case " << i;
        EXPECT_EQ(p.pCode, cases[i].after) << "case " << i;
        EXPECT_EQ(printed(t), cases[i].printed) << "case " << i;
    }
}

TEST(EanUpc, SameBarsForEquivalentData)
{
    struct Case {
        DrawFunction method;
        std::u16string code;
        DrawFunction sameAs;
        std::u16string sameCode;
    };
    const Case cases[] = {
        /*0*/ {draw::BarEAN13, u"12345A789012", draw::BarEAN13, u"123450789012"},
        /*1*/ {draw::BarISBN, u"0-306-40615-2", draw::BarISBN, u"003060406"},
        /*2 without text ISBN is the EAN-13 of 978 and its data */
        {draw::BarISBN, u"030640615", draw::BarEAN13, u"978030640615"},
        /*3*/ {draw::BarUPCA, u"03600029145", draw::BarUPCA, u"03600029145 9"},
    };
    for (std::size_t i = 0; i < std::size(cases); ++i) {
        RecordingTarget t, u;
        DrawParams p = params(t, cases[i].code), q = params(u, cases[i].sameCode);
        EXPECT_EQ(cases[i].method(p.args()).value(), 0) << "case " << i;
        EXPECT_EQ(cases[i].sameAs(q.args()).value(), 0) << "case " << i;
        EXPECT_EQ(t.log(), u.log()) << "case " << i;
    }
}

TEST(EanUpc, FailuresKeepWhatWasDrawnAndTheWrittenBackCode)
{
    struct Case {
        DrawFunction method;
        std::u16string code;
        void (*change)(DrawParams&, RecordingTarget&);
        int result;
        std::size_t lines;
        std::string printed, lastCall;
        std::u16string after;
    };
    const Case cases[] = {
        /*0 not a digit: type mismatch before any Print or Line */
        {draw::BarUPCE, u"12345A", [](DrawParams&, RecordingTarget&) {}, 13, 0, "", "FontSize(1)",
         u"12345A"},
        /*1*/
        {draw::BarUPCE, u"A23456", [](DrawParams&, RecordingTarget&) {}, 13, 0, "", "FontSize(1)",
         u"A23456"},
        /*2 pHeight + pHeight \ 6 = 32768 when the first digit is due */
        {draw::BarUPCA, u"03600029145", [](DrawParams& p, RecordingTarget&) { p.pHeight = 28087; },
         6, 3, "0", "Line(38,31,10,32,32778,0)", u"03600029145"},
        /*3*/
        {draw::BarUPCA, u"03600029145", [](DrawParams& p, RecordingTarget&) { p.pHeight = 28086; },
         0, 95, "036000291452", "Print(2)", u"03600029145"},
        /*4 x + pWidth passes 32767 at the 84th module, before its Line */
        {draw::BarEAN13, u"4006381333931",
         [](DrawParams& p, RecordingTarget&) { p.pX = 32600, p.pText = 0; }, 6, 83, "",
         "Line(38,32764,10,32765,110,16777215)", u"400638133393"},
        /*5*/
        {draw::BarEAN13, u"4006381333931",
         [](DrawParams& p, RecordingTarget& t) { p.pText = 0, t.failOn(Member::Line, 5, 1234); },
         1234, 5, "", "Line(38,18,10,19,110,16777215)!", u"400638133393"},
        /*6 the nine characters until the 978 form is written */
        {draw::BarISBN, u"0306406152",
         [](DrawParams&, RecordingTarget& t) { t.failOn(Member::TextHeight, 1, 4321); }, 4321, 0,
         "ISBN 0-306406-15-2", "TextHeight(I)!", u"030640615"},
        /*7*/
        {draw::BarISBN, u"0306406152",
         [](DrawParams&, RecordingTarget& t) { t.failOn(Member::Line, 1, 77); }, 77, 1,
         "ISBN 0-306406-15-29", "Line(38,17,26,18,142,0)!", u"978030640615"},
        /*8 no target */
        {draw::BarEAN8, u"1", [](DrawParams& p, RecordingTarget&) { p.pObject = nullptr; }, 91, 0,
         "", "", u"1000000"},
    };
    for (std::size_t i = 0; i < std::size(cases); ++i) {
        const Case& c = cases[i];
        RecordingTarget t;
        DrawParams p = params(t, c.code);
        p.pX = 10;
        p.pText = 1;
        c.change(p, t);
        EXPECT_EQ(c.method(p.args()).value(), c.result) << "case " << i;
        EXPECT_EQ(lines(t).size(), c.lines) << "case " << i;
        EXPECT_EQ(printed(t), c.printed) << "case " << i;
        EXPECT_EQ(t.calls.empty() ? "" : t.calls.back().str(), c.lastCall) << "case " << i;
        EXPECT_EQ(p.pCode, c.after) << "case " << i;
    }
}

TEST(EanUpc, PXBeyondSixteenBitsIsRaisedAfterTheCodeIsWrittenBack)
{
    const DrawFunction methods[] = {draw::BarEAN13, draw::BarEAN8,     draw::BarUPCA,
                                    draw::BarUPCE,  draw::BarUPCAPlus, draw::BarISBN};
    for (std::size_t i = 0; i < std::size(methods); ++i) {
        RecordingTarget t;
        DrawParams p = params(t, u" 12 ");
        p.pX = 32767.5f; // rounds to 32768
        try {
            methods[i](p.args());
            ADD_FAILURE() << "case " << i << " returned instead of raising";
        } catch (const RuntimeError& e) {
            EXPECT_EQ(e.number(), err::Overflow) << "case " << i;
        }
        EXPECT_TRUE(t.calls.empty()) << "case " << i;
        EXPECT_EQ(p.pCode.substr(0, 2), u"12") << "case " << i;
    }
}

} // namespace
} // namespace tallux::test
