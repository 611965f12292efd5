#include <gtest/gtest.h>

#include "batch_name.h"

namespace tallux::cli {
namespace {

TEST(BatchName, FieldsExpandAndNamesAreCheckedOnlyWhenTheyCouldRepeat)
{
    struct Case {
        std::string pattern;
        std::string expanded; // for line 12, method ean13, code "A/B c"
        bool unique;
        std::optional<TargetKind> format;
    };
    const Case cases[] = {
        /*0*/ {"out/{n}-{method}-{code}.png", "out/12-ean13-A_B_c.png", true, TargetKind::Png},
        /*1*/ {"{n}.SVG", "12.SVG", true, TargetKind::Svg},
        /*2*/ {"{code}.pdf", "A_B_c.pdf", false, TargetKind::Pdf},
        /*3*/ {"{code}-{n}.ps", "A_B_c-12.ps", false, TargetKind::Ps}, // a code may end in -12
        /*4*/ {"{n}{code}.trace", "12A_B_c.trace", false, TargetKind::Trace}, // 1 + "2A.."
        /*5*/ {"x{n}", "x12", true, std::nullopt},
        /*6*/ {"{n}0.png", "120.png", false, TargetKind::Png}, // line 12 or line 120
        /*7*/ {"a{{b}}{n}.png", "a{b}12.png", true, TargetKind::Png},
        /*8*/ {"all.png", "all.png", false, TargetKind::Png},
        /*9*/ {"out.d/{n}", "out.d/12", true, std::nullopt}, // a dot of a folder is no extension
        /*10*/ {"{n}.{method}", "12.ean13", true, std::nullopt},
        /*11*/ {"{n}.jpg", "12.jpg", true, std::nullopt},
    };
    for (std::size_t i = 0; i < std::size(cases); ++i) {
        const NameTemplate name(cases[i].pattern);
        EXPECT_EQ(name.expand(12, "ean13", "A/B c"), cases[i].expanded) << "case " << i;
        EXPECT_EQ(name.uniqueByLine(), cases[i].unique) << "case " << i;
        EXPECT_EQ(name.format(), cases[i].format) << "case " << i;
    }
}

TEST(BatchName, ABadTemplateIsAUsageError)
{
    const std::pair<std::string, std::string> cases[] = {
        /*0*/ {"", "empty"},
        /*1*/ {"{line}.png", "unknown field {line}"},
        /*2*/ {"{n.png", "unclosed '{'"},
        /*3*/ {"a}.png", "lone '}'"},
        /*4*/ {"{}.png", "unknown field {}"},
    };
    for (std::size_t i = 0; i < std::size(cases); ++i) {
        try {
            NameTemplate{cases[i].first};
            ADD_FAILURE() << "case " << i << " was accepted";
        } catch (const UsageError& e) {
            EXPECT_NE(std::string(e.what()).find(cases[i].second), std::string::npos)
                << "case " << i << ": " << e.what();
        }
    }
}

TEST(BatchName, CodesBecomeSafeFileNames)
{
    const std::pair<std::string, std::string> cases[] = {
        /*0*/ {"400638133393", "400638133393"},
        /*1*/ {"../etc/passwd", "_._etc_passwd"},
        /*2*/ {".hidden", "_hidden"},
        /*3*/ {"", "_"},
        /*4*/ {"A B*C?", "A_B_C_"},
        /*5*/ {"Code-39_x+y.z", "Code-39_x+y.z"},
        /*6*/ {"\xC3\x88t\xC3\xA9", "_t_"}, // one '_' for each UTF-8 character
        /*7*/ {std::string(100, '7'), std::string(64, '7')},
        /*8*/ {std::string("a\0b", 3), "a_b"},
        /*9*/ {"\\\"'$`|;&\n", "_________"},
        /*10*/ {"\x80\x80", "__"}, // stray continuation bytes each count
    };
    for (std::size_t i = 0; i < std::size(cases); ++i)
        EXPECT_EQ(fileNameSafe(cases[i].first), cases[i].second) << "case " << i;
}

} // namespace
} // namespace tallux::cli
