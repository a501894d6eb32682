// Text handling: conversions between UTF-8 and CP932, folding names.
#include <gtest/gtest.h>

#include "platform/CaseFold.h"
#include "platform/Encoding.h"

using namespace platform;

TEST(Encoding, Utf8ToCp932KeepsWhatItCannotDecode) {
    EXPECT_EQ(Utf8ToCp932("日本語 abc"), "\x93\xfa\x96\x7b\x8c\xea abc");
    EXPECT_EQ(Utf8ToCp932("①～"), "\x87\x40\x81\x60");           // NEC and IBM extensions
    EXPECT_EQ(Utf8ToCp932("a😀b"), "a?b");                        // no CP932 form
    EXPECT_EQ(Utf8ToCp932("x\xff\x93\xfay"), "x\xff\x93\xfay");  // a legacy name's bytes
    EXPECT_EQ(Utf8ToCp932("表\xff示"), "\x95\x5c\xff\x8e\xa6");
    EXPECT_EQ(EncodeText("表", TTextEncoding::Utf8), "表");
    EXPECT_EQ(EncodeText("表", TTextEncoding::Cp932), "\x95\x5c");
}

// Lines are converted run by run and recent runs are remembered: more
// distinct runs than are remembered, each met twice, must convert alike.
TEST(Encoding, Utf8ToCp932ConvertsRepeatedRunsAlike) {
    const std::pair<std::string, std::string> chars[] = {
        {"日", "\x93\xfa"}, {"本", "\x96\x7b"}, {"語", "\x8c\xea"}};
    for (int round = 0; round < 2; ++round)
        for (const auto& a : chars)
            for (const auto& b : chars)
                for (const auto& c : chars)
                    EXPECT_EQ(Utf8ToCp932(a.first + b.first + ", " + c.first + "."),
                              a.second + b.second + ", " + c.second + ".");
}

TEST(Encoding, Cp932ToUtf8) {
    EXPECT_EQ(Cp932ToUtf8("\x93\xfa\x96\x7b\x8c\xea"), "日本語");
    EXPECT_EQ(Cp932ToUtf8("\x95\x5c\x8e\xa6"), "表示");
    EXPECT_EQ(Cp932ToUtf8("ok\xa0"), "ok\xef\xbf\xbd");
    // Control bytes stay themselves both ways, beside Japanese or not.
    EXPECT_EQ(Cp932ToUtf8("\x1a\x1c\x7f\x8a\x72"), "\x1a\x1c\x7f較");
    EXPECT_EQ(Utf8ToCp932("\x1a\x1c\x7f較"), "\x1a\x1c\x7f\x8a\x72");
}

TEST(Encoding, IsValidUtf8) {
    EXPECT_TRUE(IsValidUtf8("日本語 😀"));
    EXPECT_TRUE(IsValidUtf8(""));
    EXPECT_FALSE(IsValidUtf8("\xc0\xaf"));          // overlong "/"
    EXPECT_FALSE(IsValidUtf8("\xed\xa0\x80"));      // surrogate
    EXPECT_FALSE(IsValidUtf8("\xf4\x90\x80\x80"));  // past U+10FFFF
    EXPECT_FALSE(IsValidUtf8("\xe6\x97"));          // cut short
}

// Letter case and normalisation form are folded away, nothing else.
TEST(Encoding, FoldCaseKeepsAllButCaseAndForm) {
    const struct {
        std::string Text, Folded;
    } cases[] = {
        {"Docs/ABC.txt", "docs/abc.txt"},
        {"STRA\u1e9eE Stra\u00dfe STRASSE", "stra\u00dfe stra\u00dfe strasse"},
        {"CAFE\u0301", "caf\u00e9"},             // decomposed, composed again
        {"J\u030c", "\u01f0"},                   // composes only once folded
        {"\u0130", "i\u0307"},                   // no one-character fold: decomposed
        {"\u1fbc", "\u1fb3"},                    // the mark below keeps its case
        {"\u212b", "\u00e5"},                    // a singleton that NFC replaces
        {"\u01d5\u0323", "\u1ee5\u0308\u0304"},  // marks reordered, composed again
        {"\u304b\u3099", "\u304c"},              // kana with a combining voicing mark
        {"\u3042\u30a2\uff76\uff21\u200b\u00ad", "\u3042\u30a2\uff76\uff41\u200b\u00ad"},
        {"\U00010400", "\U00010428"},  // beyond the first plane
        {"X\xff"
         "E\xcc\x81\xff\xcc\x81",
         "x\xff\u00e9\xff\xcc\x81"},  // a bad byte stops composing
        {"\xc3", "\xc3"},
        {"", ""},
    };
    TCaseFolder folder;
    for (const auto& c : cases) {
        EXPECT_EQ(FoldCase(c.Text), c.Folded) << c.Text;
        // Folded in two parts with a folder the same way, also after other names.
        EXPECT_EQ(folder.Fold("Dir/", c.Text), "dir/" + c.Folded) << c.Text;
    }
}
