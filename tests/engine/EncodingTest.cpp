// Conversions between UTF-8 and CP932.
#include <gtest/gtest.h>

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

TEST(Encoding, Cp932ToUtf8) {
    EXPECT_EQ(Cp932ToUtf8("\x93\xfa\x96\x7b\x8c\xea"), "日本語");
    EXPECT_EQ(Cp932ToUtf8("\x95\x5c\x8e\xa6"), "表示");
    EXPECT_EQ(Cp932ToUtf8("ok\xa0"), "ok\xef\xbf\xbd");
}

TEST(Encoding, IsValidUtf8) {
    EXPECT_TRUE(IsValidUtf8("日本語 😀"));
    EXPECT_TRUE(IsValidUtf8(""));
    EXPECT_FALSE(IsValidUtf8("\xc0\xaf"));          // overlong "/"
    EXPECT_FALSE(IsValidUtf8("\xed\xa0\x80"));      // surrogate
    EXPECT_FALSE(IsValidUtf8("\xf4\x90\x80\x80"));  // past U+10FFFF
    EXPECT_FALSE(IsValidUtf8("\xe6\x97"));          // cut short
}
