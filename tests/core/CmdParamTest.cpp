#include "core/CmdParam.h"

#include <gtest/gtest.h>

namespace muralto {
namespace {

TEST(CmdParam, OptionsAreWholeArgumentsOfAnyCase) {
    const TParamOption options({"/e", "+SUB", "/DAX", "/SPI", "2", "/COF"});
    const struct {
        const char* option;
        bool present;
    } cases[] = {{"/E", true},   {"/e", true},  {"+sub", true}, {"/DA", false},
                 {"/DAX", true}, {"/S", false}, {"/SP", false}, {"/COF", true}};
    for (const auto& c : cases)
        EXPECT_EQ(options.HasOption(c.option), c.present) << c.option;
    EXPECT_TRUE(options.HasOption("/SUB", "+SUB"));
}

TEST(CmdParam, ValuesAreTheNextArgument) {
    const TParamOption options({"/SPI", "2", "/COF", "/x/s.txt", "/N", "abc", "/LAST"});
    int spi = 0;
    EXPECT_TRUE(options.GetParamInteger("/spi", spi, 1));
    EXPECT_EQ(spi, 2);
    std::string script;
    EXPECT_TRUE(options.GetParamString("/COF", script, ""));
    EXPECT_EQ(script, "/x/s.txt");
    int bad = 0;
    EXPECT_FALSE(options.GetParamInteger("/N", bad, 7)); // not a number: the default stays
    EXPECT_EQ(bad, 7);
    std::string none = "x";
    EXPECT_FALSE(options.GetParamString("/LAST", none, "default")); // no value follows
    EXPECT_EQ(none, "default");
    EXPECT_FALSE(options.GetParamString("/ABSENT", none, "d"));
}

TEST(CmdParam, FirstOccurrenceCountsAndAddedOptionsCountToo) {
    TParamOption options({"/SPI", "3", "/SPI", "1"});
    int spi = 0;
    options.GetParamInteger("/SPI", spi, 0);
    EXPECT_EQ(spi, 3);
    EXPECT_FALSE(options.HasOption("/DEF"));
    options.AddParam("/DEF");
    EXPECT_TRUE(options.HasOption("/def"));
}

} // namespace
} // namespace muralto
