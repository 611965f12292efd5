#include <gtest/gtest.h>

#include "batch_input.h"
#include "batch_line.h"
#include "batch_support.h"

namespace tallux::cli::test {
namespace {

using Options = std::vector<std::pair<std::string, std::string>>;

TEST(BatchLine, EachFormReadsAsWritten)
{
    struct Case {
        std::string text;
        bool symbol; // false: blank or comment, nothing to draw
        BatchLine line;
        std::string error; // part of the message when the line cannot be read
    };
    const Case cases[] = {
        /*0*/ {"ean13,400638133393", true, {"ean13", "400638133393", {}}, ""},
        /*1*/
        {"ean13,400638133393,width=20,chk=1",
         true,
         {"ean13", "400638133393", Options{{"width", "20"}, {"chk", "1"}}},
         ""},
        /*2*/ {"code39 HELLO WORLD", true, {"code39", "HELLO WORLD", {}}, ""},
        /*3*/ {"code128,\"A,B\",width=20", true, {"code128", "A,B", Options{{"width", "20"}}}, ""},
        /*4*/ {"code128,\"say \"\"hi\"\"\"", true, {"code128", "say \"hi\"", {}}, ""},
        /*5*/ {"  # a comment, with a comma", false, {}, ""},
        /*6*/ {"", false, {}, ""},
        /*7*/ {" \t \r", false, {}, ""},
        /*8*/ {"ean13,123\r", true, {"ean13", "123", {}}, ""},
        /*9*/ {"ean13", true, {}, "a code must follow the method"},
        /*10*/ {"ean13  \t", true, {}, "a code must follow the method"},
        /*11*/ {"ean13,", true, {"ean13", "", {}}, ""},
        /*12*/ {"ean13,1,,width=3,", true, {"ean13", "1", Options{{"width", "3"}}}, ""},
        /*13*/ {"ean13,1,width", true, {}, "needs the form name=value"},
        /*14*/ {"ean13,1,code=2", true, {}, "'code' cannot be set by a line"},
        /*15*/ {"ean13,1,target=png", true, {}, "'target' cannot be set by a line"},
        /*16*/ {"code128,\"A", true, {}, "no closing quote"},
        /*17*/ {"code128,\"A\"B", true, {}, "must end at a comma"},
        /*18*/ {"\tcode39\t A B ", true, {"code39", "A B ", {}}, ""},
        /*19*/ {"ean13,1, width = 20 ", true, {"ean13", "1", Options{{"width", "20"}}}, ""},
        /*20*/ {"code39 A,B", true, {"code39", "A,B", {}}, ""},
        /*21*/ {"ean13,1,font=A=B", true, {"ean13", "1", Options{{"font", "A=B"}}}, ""},
        /*22*/ {"ean13, 400638133393", true, {"ean13", " 400638133393", {}}, ""},
        /*23*/ {"#ean13,1", false, {}, ""},
        // Every field quoted, and semicolons, as spreadsheets write them.
        /*24*/ {"\"ean8\",9638507", true, {"ean8", "9638507", {}}, ""},
        /*25*/ {"\"ean8\",\"9638507\"", true, {"ean8", "9638507", {}}, ""},
        /*26*/
        {"ean13;400638133393;width=20",
         true,
         {"ean13", "400638133393", Options{{"width", "20"}}},
         ""},
        /*27*/ {"\"code128\";\"Ba;b\"", true, {"code128", "Ba;b", {}}, ""},
        /*28*/ {"code128;Ba,b", true, {"code128", "Ba,b", {}}, ""},
        /*29*/ {"\"ean8 9638507", true, {}, "no closing quote"},
        /*30*/ {"\"ean8\" 9638507", true, {}, "must end at a comma or semicolon"},
    };
    for (std::size_t i = 0; i < std::size(cases); ++i) {
        const Case& c = cases[i];
        EXPECT_EQ(isSymbolLine(c.text), c.symbol) << "case " << i;
        try {
            const std::optional<BatchLine> line = parseBatchLine(c.text);
            EXPECT_TRUE(c.error.empty()) << "case " << i << " should fail";
            ASSERT_EQ(line.has_value(), c.symbol) << "case " << i;
            if (line) {
                EXPECT_EQ(*line, c.line) << "case " << i;
            }
        } catch (const LineError& e) {
            EXPECT_FALSE(c.error.empty()) << "case " << i << ": " << e.what();
            EXPECT_NE(std::string(e.what()).find(c.error), std::string::npos)
                << "case " << i << ": " << e.what();
        }
    }
}

TEST(BatchLine, TheLineOptionsWinOverTheCommandOnes)
{
    struct Case {
        std::string text;
        std::vector<std::string> defaults;
        tBarcodeType type;
        int width;
        bool chk;
        std::string error;
    };
    const Case cases[] = {
        /*0*/ {"ean13,400638133393", {}, EAN_13, 15, false, ""}, // the defaults of draw
        /*1*/ {"ean13,400638133393", {"--width=20"}, EAN_13, 20, false, ""},
        /*2*/ {"ean13,400638133393,width=30", {"--width=20"}, EAN_13, 30, false, ""},
        /*3*/ {"BarEAN13,1", {}, EAN_13, 15, false, ""},
        /*4*/ {"code93,AB", {}, Code_93, 15, true, ""}, // readers need its check characters
        /*5*/ {"code93,AB,chk=0", {}, Code_93, 15, false, ""},
        /*6*/ {"nosuch,1", {}, EAN_13, 0, false, "unknown method 'nosuch'"},
        /*7*/ {"ean13,1,width=wide", {}, EAN_13, 0, false, "needs an Integer"},
        /*8*/ {"ean13,1,--width=3", {}, EAN_13, 0, false, "without dashes"},
        /*9*/ {"ean13,1,colour=3", {}, EAN_13, 0, false, "unknown option '--colour'"},
    };
    for (std::size_t i = 0; i < std::size(cases); ++i) {
        const Case& c = cases[i];
        try {
            const DrawRequest r = lineRequest(*parseBatchLine(c.text), c.defaults);
            EXPECT_TRUE(c.error.empty()) << "case " << i << " should fail";
            EXPECT_EQ(r.method.type, c.type) << "case " << i;
            EXPECT_EQ(r.params.pWidth, Integer(c.width)) << "case " << i;
            EXPECT_EQ(bool(r.params.pChk), c.chk) << "case " << i;
        } catch (const LineError& e) {
            EXPECT_NE(std::string(e.what()).find(c.error), std::string::npos)
                << "case " << i << ": " << e.what();
            EXPECT_FALSE(c.error.empty()) << "case " << i;
        }
    }
}

TEST(BatchLine, TheReaderCutsOverlongLinesAndKeepsCounting)
{
    Scratch dir;
    const std::string path = dir / "lines";
    writeFile(path, "a\nb\r\n\n" + std::string(40, 'x') + "\nc");
    const int fd = ::open(path.c_str(), O_RDONLY);
    ASSERT_GE(fd, 0);
    LineReader reader(fd, 16);
    struct Line {
        std::string text;
        bool tooLong;
    };
    const Line expected[] = {{"a", false},
                             {"b\r", false},
                             {"", false},
                             {std::string(16, 'x'), true},
                             {"c", false}}; // the last line has no line end
    std::string text;
    for (std::size_t i = 0; i < std::size(expected); ++i) {
        ASSERT_TRUE(reader.next(text)) << "line " << i + 1;
        EXPECT_EQ(text, expected[i].text) << "line " << i + 1;
        EXPECT_EQ(reader.tooLong(), expected[i].tooLong) << "line " << i + 1;
        EXPECT_EQ(reader.lineNumber(), i + 1);
    }
    EXPECT_FALSE(reader.next(text));
    EXPECT_EQ(reader.bytesRead(), 2u + 3 + 1 + 41 + 1);
    EXPECT_EQ(reader.size(), std::optional<std::uint64_t>(48));
    ::close(fd);
}

} // namespace
} // namespace tallux::cli::test
