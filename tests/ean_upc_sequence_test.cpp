#include <gtest/gtest.h>

#include "ean_upc_support.h"

// Whole call sequences of the six methods for the standard examples, with text
// (pText 1 and -1) and without. The module strings are written out from the
// published number sets, not taken from the component's tables.
namespace tallux::test {
namespace {

struct Sequence {
    DrawFunction method;
    std::u16string code, after;
    float x;
    int offset; // how far the symbol hangs below a top line, with text
    std::vector<std::string> tokens;
};

// clang-format off
const Sequence sequences[] = {
    /*0 EAN-13, check 1, parity of 4: L G L L G G; 10.5 runs at 10, "4" prints at 10.5 */
    {draw::BarEAN13, u"400638133393", u"400638133393", 10.5f, 0,
     {"CurrentX(Single 10.5)", "CurrentY(115)", "Print(4)", "TextWidth(4)=7", "=17",
      "|101", "'0", "_0001101", "'0", "_0100111", "'6", "_0101111",
              "'3", "_0111101", "'8", "_0001001", "'1", "_0110011",
      "|01010", "'3", "_1000010", "'3", "_1000010", "'3", "_1000010",
                "'9", "_1110100", "'3", "_1000010", "'1", "_1100110", "|101"}},
    /*1 EAN-8, check 4, no digit outside the symbol */
    {draw::BarEAN8, u"9638507", u"9638507", 10, 0,
     {"|101", "'9", "_0001011", "'6", "_0101111", "'3", "_0111101", "'8", "_0110111",
      "|01010", "'5", "_1001110", "'0", "_1110010", "'7", "_1000100", "'4", "_1011100", "|101"}},
    /*2 UPC-A, check 2: first and last digit long and outside, 10 units gap */
    {draw::BarUPCA, u"03600029145", u"03600029145", 100, 0,
     {"CurrentX(Single 100)", "CurrentY(115)", "Print(0)", "TextWidth(0)=7", "=117",
      "|101", "|0001101", "'3", "_0111101", "'6", "_0101111",
              "'0", "_0001101", "'0", "_0001101", "'0", "_0001101",
      "|01010", "'2", "_1101100", "'9", "_1110100", "'1", "_1100110",
                "'4", "_1011100", "'5", "_1001110", "|1101100", "|101", "'2"}},
    /*3 UPC-A Plus: flat, "0" at the rounded pX without gap, check digit right-aligned */
    {draw::BarUPCAPlus, u"03600029145", u"03600029145", 100, 0,
     {"'0", "TextWidth(0)=7", "=107",
      "_101", "_0001101", "'3", "_0111101", "'6", "_0101111",
              "'0", "_0001101", "'0", "_0001101", "'0", "_0001101",
      "_01010", "'2", "_1101100", "'9", "_1110100", "'1", "_1100110",
                "'4", "_1011100", "'5", "_1001110", "_1101100", "_101",
      "TextWidth(0)=7", "CurrentX(Single 290)", "CurrentY(115)", "Print(2)"}},
    /*4 UPC-E 123456: check 5, parity "100110": G L L G G L */
    {draw::BarUPCE, u"123456", u"123456", 10, 0,
     {"CurrentX(Single 10)", "CurrentY(115)", "Print(0)", "TextWidth(0)=7", "=17",
      "|101", "'1", "_0110011", "'2", "_0010011", "'3", "_0111101",
              "'4", "_0011101", "'5", "_0111001", "'6", "_0101111", "|010101", "'5"}},
    /*5 ISBN: top line, then EAN-13 9780306406157 16 units lower; parity of 9: L G G L G L */
    {draw::BarISBN, u"030640615", u"978030640615", 10, 16,
     {"FontName(Arial)", "CurrentX(Integer 10)", "CurrentY(10)", "Print(ISBN 0-306406-15-2)",
      "TextHeight(I)=12", "FontName(Arial)", "'9", "TextWidth(9)=7", "=17",
      "|101", "'7", "_0111011", "'8", "_0001001", "'0", "_0100111",
              "'3", "_0111101", "'0", "_0100111", "'6", "_0101111",
      "|01010", "'4", "_1011100", "'0", "_1110010", "'6", "_1010000",
                "'1", "_1100110", "'5", "_1001110", "'7", "_1000100", "|101"}},
};
// clang-format on

TEST(EanUpc, CallSequencesOfTheExamples)
{
    for (std::size_t i = 0; i < std::size(sequences); ++i) {
        const Sequence& s = sequences[i];
        for (int text : {1, -1, 0}) {
            RecordingTarget t;
            DrawParams p = params(t, s.code);
            p.pX = s.x;
            p.pText = text;
            p.pRatio = u""; // ignored by the family, as is pChk
            p.pChk = true;
            EXPECT_EQ(s.method(p.args()).value(), 0) << "case " << i << " text " << text;
            const auto expected =
                eanCalls(s.tokens, CInt(s.x).value(), eanRows(text != 0 ? s.offset : 0), text != 0);
            EXPECT_EQ(t.log(), expected) << "case " << i << " text " << text;
            EXPECT_EQ(p.pCode, s.after) << "case " << i << " text " << text;
        }
    }
}

} // namespace
} // namespace tallux::test
