#include "platform/Text.h"

#include <gtest/gtest.h>

namespace muralto {
namespace {

TEST(Text, StoredBytesReadAsUtf8OrCp932) {
    EXPECT_EQ(FromStored("/pics/a.bmp"), "/pics/a.bmp");
    EXPECT_EQ(FromStored("日本.bmp"), "日本.bmp");             // already UTF-8
    EXPECT_EQ(FromStored("\x93\xfa\x96\x7b.bmp"), "日本.bmp"); // Shift-JIS
    EXPECT_EQ(FromStored("\x82\xa0"), "あ");
    // A byte that is neither stays visible instead of cutting the name short.
    EXPECT_EQ(FromStored("a\xff"
                         "b"),
              "a\xEF\xBF\xBD"
              "b");
}

TEST(Text, Utf8Validation) {
    EXPECT_TRUE(IsValidUtf8(""));
    EXPECT_TRUE(IsValidUtf8("\xF0\x9F\x98\x80"));
    EXPECT_FALSE(IsValidUtf8("\xC0\xAF"));     // overlong
    EXPECT_FALSE(IsValidUtf8("\xED\xA0\x80")); // surrogate
    EXPECT_FALSE(IsValidUtf8("\xE3\x81"));     // cut short
}

TEST(Text, NameOrderFoldsAsciiCaseButKeepsNamesDistinct) {
    EXPECT_TRUE(NameLess("/a/apple.bmp", "/a/Banana.bmp"));
    EXPECT_TRUE(NameLess("/a/B.bmp", "/a/b.bmp"));
    EXPECT_FALSE(NameLess("/a/b.bmp", "/a/B.bmp"));
    EXPECT_FALSE(NameLess("/a/b.bmp", "/a/b.bmp"));
    EXPECT_TRUE(SameTextAscii("/Da", "/dA"));
    EXPECT_FALSE(SameTextAscii("/Da", "/DaX"));
}

TEST(Text, NameListsSplitAtEveryLineEnd) {
    const struct {
        const char* text;
        std::vector<std::string> lines;
    } cases[] = {
        {"", {}},
        {"a\r\nb\r\n", {"a", "b"}},
        {"a\rb\nc", {"a", "b", "c"}},
        {"a\r\n\r\nb", {"a", "", "b"}},
    };
    for (const auto& c : cases)
        EXPECT_EQ(SplitLines(c.text), c.lines) << c.text;
    EXPECT_EQ(JoinLines({"a", "b"}), "a\r\nb\r\n");
    EXPECT_EQ(JoinLines({}), "");
}

} // namespace
} // namespace muralto
