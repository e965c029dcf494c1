#include "buffer/DataInf.h"

#include "TestSupport.h"
#include "settings/Options.h"

#include <gtest/gtest.h>

namespace muralto {
namespace {

using test::Fixture;
using test::ReadFile;

class DataInfTest : public test::ProgramTest {};

TEST_F(DataInfTest, RecordWithEmptyNamesIsFiftyBytes) {
    TDataInf data(nullptr, InitialDataInfRec());
    TMemoryStream out;
    data.WriteToStream(out);
    EXPECT_EQ(out.Bytes(), ReadFile(Fixture("buffer/record-empty-names.bin")));
}

TEST_F(DataInfTest, NamesSurviveARoundTrip) {
    TDataInf data(nullptr, InitialDataInfRec());
    data.AnnoDominiPattern = "日付";
    data.TextuerFile = "/tex/t.bmp";
    data.Data.Brightness = -100;
    data.SetFlag(difTexRandom, true);
    data.SetFlag(9, true); // no such bit: ignored
    TMemoryStream stream;
    data.WriteToStream(stream);
    stream.Seek(0);
    TDataInf back;
    back.ReadFromStream(stream);
    EXPECT_EQ(back.AnnoDominiPattern, "日付");
    EXPECT_EQ(back.TextuerFile, "/tex/t.bmp");
    EXPECT_EQ(back.CalenderPattern, "");
    EXPECT_EQ(back.Data.Brightness, -100);
    EXPECT_EQ(back.Data.Flags, 1 << difTexRandom);
    EXPECT_EQ(stream.Remaining(), 0u);
}

TEST_F(DataInfTest, DefaultDataModeTakesTheSettingsDefaults) {
    TDataInfRec defaults{};
    defaults.ShowStyle = 3;
    defaults.Brightness = 20;
    Setting().DefaultData = defaults;
    Setting().DefaultTextuerFile = "/tex/default.bmp";
    Setting().DefaultEffectPattern = "Sepia";

    TDataInf normal(nullptr, InitialDataInfRec());
    EXPECT_EQ(normal.Data.EffectType, 4);
    EXPECT_EQ(normal.Data.Reserved, 1);
    EXPECT_EQ(normal.EffectPattern, "");

    SetDefaultDataMode(true);
    TDataInf fromDefaults(nullptr, InitialDataInfRec());
    EXPECT_EQ(fromDefaults.Data.ShowStyle, 3);
    EXPECT_EQ(fromDefaults.Data.Brightness, 20);
    EXPECT_EQ(fromDefaults.Data.EffectType, 0);
    EXPECT_EQ(fromDefaults.TextuerFile, "/tex/default.bmp");
    EXPECT_EQ(fromDefaults.EffectPattern, "Sepia");
    EXPECT_EQ(fromDefaults.CalenderPattern, "Default Pattern");
}

TEST_F(DataInfTest, NameLengthBeyondTheStreamIsAReadError) {
    TDataInf data(nullptr, InitialDataInfRec());
    TMemoryStream stream;
    data.WriteToStream(stream);
    std::string bytes = stream.Bytes();
    const int32_t lie = 0x7FFFFFFF;
    bytes.replace(8, 4, reinterpret_cast<const char*>(&lie), 4);
    TMemoryStream damaged(bytes);
    TDataInf back;
    EXPECT_THROW(back.ReadFromStream(damaged), EReadError);
}

} // namespace
} // namespace muralto
