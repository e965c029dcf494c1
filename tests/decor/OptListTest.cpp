#include "decor/OptList.h"

#include "TestSupport.h"
#include "buffer/DataFiles.h"
#include "buffer/StmList.h"
#include "settings/Options.h"

#include <gtest/gtest.h>

#include <filesystem>

namespace muralto {
namespace {

using test::ReadFile;
using test::TempDir;
using test::WriteFile;

// Records written by hand from the layout tables: each field at its offset, little-endian.
class Bytes {
public:
    explicit Bytes(size_t size) : bytes_(size, '\0') {}
    Bytes& Put(size_t offset, size_t width, uint32_t value) {
        for (size_t i = 0; i < width; ++i)
            bytes_.at(offset + i) = char((value >> (8 * i)) & 0xFF);
        return *this;
    }
    Bytes& Text(const std::string& text) {
        bytes_ += text;
        bytes_ += '\0';
        return *this;
    }
    const std::string& Str() const { return bytes_; }

private:
    std::string bytes_;
};

// A pattern file of version stream plus one stream per item.
std::string PatternFile(const std::vector<std::string>& items) {
    TStreamList container;
    container.Streams(container.Add()).Write(std::string("\x00\x00\x01\x00", 4));
    for (const std::string& item : items)
        container.Streams(container.Add()).Write(item);
    TMemoryStream out;
    container.SaveToStream(out);
    return out.Bytes();
}

void LoadInto(TOptionList& list, const std::string& file) {
    TMemoryStream stream(file);
    list.LoadFromStream(stream);
}

const std::string kCalendarItem = Bytes(68)
                                      .Put(0, 1, 128)         // AlphaLevel
                                      .Put(1, 1, 0x03)        // bold italic
                                      .Put(2, 4, 0x00112233)  // FontColor
                                      .Put(6, 1, 44)          // FontSize
                                      .Put(7, 4, 10)          // "IPAGothic" + 0
                                      .Put(11, 1, 0x0F)       // all options
                                      .Put(12, 1, 1)          // strip
                                      .Put(13, 4, 0x000A0B0C) // today
                                      .Put(17, 4, 0x01)
                                      .Put(21, 4, 0x02)
                                      .Put(25, 4, 0x03)
                                      .Put(29, 4, 0x04)
                                      .Put(33, 4, 0x05)
                                      .Put(37, 4, 0x06)
                                      .Put(41, 4, 0x07)
                                      .Put(45, 4, 0x08)       // holiday
                                      .Put(49, 4, 0x00FF0000) // frame
                                      .Put(53, 4, 0x0000FF00) // shadow
                                      .Put(57, 2, 0xFFF6)     // MarginX -10
                                      .Put(59, 2, 20)
                                      .Put(61, 1, 3)
                                      .Put(62, 1, 4)
                                      .Put(63, 1, 1)
                                      .Put(64, 4, 4) // "Cal" + 0
                                      .Text("Cal")
                                      .Text("IPAGothic")
                                      .Str();

TEST(PatternRecords, CalendarItemReadsAndWritesTheTableLayout) {
    TCalenderList list("");
    TMemoryStream stream(kCalendarItem);
    TCalenderItem& item = list.AddItem();
    item.LoadFromStream(stream);
    EXPECT_EQ(item.Name(), "Cal");
    EXPECT_EQ(item.Font.Name, "IPAGothic");
    EXPECT_EQ(item.Font.Size, 44);
    EXPECT_EQ(item.Font.Style, fsBold | fsItalic);
    EXPECT_EQ(item.Color(0), 0x00112233u);
    EXPECT_EQ(item.Color(3), 0x000A0B0Cu);
    EXPECT_EQ(item.Color(4), 1u);
    EXPECT_EQ(item.Color(10), 7u);
    EXPECT_EQ(item.Color(11), 8u);
    EXPECT_EQ(item.Color(1), 0x00FF0000u);
    EXPECT_EQ(item.Color(2), 0x0000FF00u);
    EXPECT_EQ(item.Color(12), 0x00FFFFFFu);
    EXPECT_EQ(int(item.Data.MarginX), -10);
    EXPECT_EQ(item.Data.DrawType, 1);
    EXPECT_TRUE(item.Option(coItalicShadow));

    TMemoryStream out;
    item.SaveToStream(out);
    EXPECT_EQ(out.Bytes(), kCalendarItem);
}

TEST(PatternRecords, DateItemKeepsItsStringsInTheirOrder) {
    const std::string stored = Bytes(39)
                                   .Put(0, 1, 7)
                                   .Put(1, 1, 0x06) // month and day
                                   .Put(2, 1, fsBold)
                                   .Put(3, 4, 0x00ABCDEF)
                                   .Put(7, 1, 20)
                                   .Put(8, 4, 5) // "Face" + 0
                                   .Put(12, 2, 5)
                                   .Put(14, 2, 0xFFFF) // -1
                                   .Put(16, 1, 0x5A)   // reserved: kept as read
                                   .Put(17, 1, 4)
                                   .Put(18, 1, 0x13) // frame, alpha, format
                                   .Put(19, 4, 0x00010203)
                                   .Put(23, 4, 0x00040506)
                                   .Put(27, 4, 5) // "Date"
                                   .Put(31, 4, 3) // "yy"
                                   .Put(35, 4, 2) // "-"
                                   .Text("Face")
                                   .Text("yy")
                                   .Text("Date")
                                   .Text("-")
                                   .Str();
    TAnnoList list;
    LoadInto(list, PatternFile({stored}));
    ASSERT_EQ(list.Count(), 1);
    TAnnoItem& item = list.Item(0);
    EXPECT_EQ(item.Name(), "Date");
    EXPECT_EQ(item.Font.Name, "Face");
    EXPECT_EQ(item.FormatString, "yy");
    EXPECT_EQ(item.Separator, "-");
    EXPECT_EQ(item.Font.Color, 0x00ABCDEFu);
    EXPECT_TRUE(item.DatePart(dpShowMonth) && item.DatePart(dpShowDay));
    EXPECT_FALSE(item.DatePart(dpShowAD));
    EXPECT_EQ(int(item.Data.MarginY), -1);
    TMemoryStream out;
    item.SaveToStream(out);
    EXPECT_EQ(out.Bytes(), stored);
}

TEST(PatternRecords, FileNameItemLayout) {
    const std::string stored = Bytes(29)
                                   .Put(0, 1, 9)
                                   .Put(1, 1, fsItalic)
                                   .Put(2, 4, 0x00FFFFFF)
                                   .Put(6, 1, 12)
                                   .Put(7, 4, 2)     // "F"
                                   .Put(11, 1, 0x31) // frame, hide extension, full path
                                   .Put(12, 4, 0x00000011)
                                   .Put(16, 4, 0x00000022)
                                   .Put(20, 2, 3)
                                   .Put(22, 2, 0xFFFE)
                                   .Put(24, 1, 2)
                                   .Put(25, 4, 3) // "Nm"
                                   .Text("F")
                                   .Text("Nm")
                                   .Str();
    TDrawNameList list;
    LoadInto(list, PatternFile({stored}));
    ASSERT_EQ(list.Count(), 1);
    TDrawNameItem& item = list.Item(0);
    EXPECT_EQ(item.Name(), "Nm");
    EXPECT_EQ(item.Font.Name, "F");
    EXPECT_TRUE(item.Option(toFullPath) && item.Option(toHideExtension));
    EXPECT_EQ(int(item.Data.MarginY), -2);
    TMemoryStream out;
    item.SaveToStream(out);
    EXPECT_EQ(out.Bytes(), stored);
}

TEST(PatternRecords, NewItemsTakeTheTableDefaults) {
    TCalenderList calendars("");
    TAnnoList dates;
    TDrawNameList names;
    const TCalenderItem& c = calendars.AddItem();
    EXPECT_EQ(c.Data.Options, 3);
    EXPECT_EQ(c.Color(3), 0x0000FF00u);
    EXPECT_EQ(c.Color(4), 0x000000FFu);
    EXPECT_EQ(c.Color(10), 0x00FFFF00u);
    EXPECT_EQ(c.Color(11), 0x00FF00FFu);
    EXPECT_EQ(c.Font.Color, TPatternFont().Color); // the font keeps its own colour
    const TAnnoItem& d = dates.AddItem();
    EXPECT_EQ(d.Data.Options, 1);
    EXPECT_EQ(d.FormatString, "dddddd");
    EXPECT_EQ(d.Separator, ".");
    EXPECT_EQ(d.Font.Color, 0x00FFFFFFu);
    const TDrawNameItem& n = names.AddItem();
    EXPECT_EQ(n.Data.Options, 0x21);
    EXPECT_EQ(n.Font.Color, 0x00FFFFFFu);
}

TEST(PatternLists, DefaultNamesTakeTheFirstFreeNumber) {
    TCalenderList list("");
    EXPECT_EQ(list.Add().Name(), "ｶﾚﾝﾀﾞｰ描画ﾊﾟﾀｰﾝ 1");
    list.Items(0).SetName("mine");
    EXPECT_EQ(list.Add().Name(), "ｶﾚﾝﾀﾞｰ描画ﾊﾟﾀｰﾝ 1");
    EXPECT_EQ(list.Add().Name(), "ｶﾚﾝﾀﾞｰ描画ﾊﾟﾀｰﾝ 2");
    EXPECT_EQ(TAnnoList().Add().Name(), "西暦描画ﾊﾟﾀｰﾝ 1");
    EXPECT_EQ(TDrawNameList().Add().Name(), "ﾌｧｲﾙ名描画ﾊﾟﾀｰﾝ 1");
}

TEST(PatternLists, RenameRule) {
    TAnnoList list;
    TOptionItem& a = list.Add();
    TOptionItem& b = list.Add();
    int told = 0;
    list.OnRename = [&](TOptionItem&, const std::string&) { ++told; };
    a.SetName(a.Name()); // its own name: nothing
    EXPECT_EQ(told, 0);
    try {
        a.SetName("");
        FAIL() << "an empty name was taken";
    } catch (const Exception& e) {
        EXPECT_STREQ(e.what(), "名前を設定してください。");
    }
    try {
        a.SetName(b.Name());
        FAIL() << "a taken name was taken again";
    } catch (const EOverlapNameError& e) {
        EXPECT_STREQ(e.what(), "既に同名の設定が登録されています。");
    }
    EXPECT_EQ(a.Name(), "西暦描画ﾊﾟﾀｰﾝ 1");
    a.SetName("Date");
    b.SetName("date"); // case makes a different name
    EXPECT_EQ(told, 2);
    EXPECT_EQ(list.IndexOfName("date"), 1);
    EXPECT_EQ(list.FindByName("DATE"), nullptr);
}

TEST(PatternLists, MoveExchangeDeleteAndTheIndexError) {
    TDrawNameList list;
    for (int i = 0; i < 3; ++i)
        list.Add();
    list.Move(0, 2);
    EXPECT_EQ(list.Items(2).Name(), "ﾌｧｲﾙ名描画ﾊﾟﾀｰﾝ 1");
    list.Exchange(0, 2);
    EXPECT_EQ(list.Items(0).Name(), "ﾌｧｲﾙ名描画ﾊﾟﾀｰﾝ 1");
    list.Delete(1);
    EXPECT_EQ(list.Count(), 2);
    EXPECT_THROW(list.Items(2), EListError);
    EXPECT_THROW(list.Delete(-1), EListError);
}

TEST(PatternLists, FilesRoundTripAndLoadingAppends) {
    TempDir dir;
    TCalenderList list("");
    TCalenderItem& item = list.AddItem();
    item.Font.Size = 300; // only the low byte is stored
    item.Font.Name = "ＭＳ ゴシック";
    list.AddItem().SetName("二つ目");
    list.SaveToFile(dir / "c.mwf");

    TCalenderList loaded("");
    loaded.LoadFromFile(dir / "c.mwf");
    loaded.LoadFromFile(dir / "c.mwf");
    ASSERT_EQ(loaded.Count(), 4);
    EXPECT_EQ(loaded.Item(0).Font.Size, 44);
    EXPECT_EQ(loaded.Item(0).Font.Name, "ＭＳ ゴシック");
    EXPECT_EQ(loaded.Item(2).Name(), loaded.Item(0).Name()); // repeated names are kept
    EXPECT_EQ(loaded.Item(3).Name(), "二つ目");

    TCalenderList empty("");
    TMemoryStream only(PatternFile({}));
    empty.LoadFromStream(only);
    EXPECT_EQ(empty.Count(), 0);
}

TEST(PatternLists, LengthsBelowOneLoadEmpty) {
    TDrawNameList list;
    LoadInto(list, PatternFile({Bytes(29).Put(7, 4, 0).Put(25, 4, 0).Str(),
                                Bytes(29).Put(7, 4, 0xFFFFFFF0).Put(25, 4, 0x80000000).Str()}));
    ASSERT_EQ(list.Count(), 2);
    for (int i = 0; i < 2; ++i) {
        EXPECT_EQ(list.Item(i).Name(), "");
        EXPECT_EQ(list.Item(i).Font.Name, "");
    }
}

TEST(PatternLists, DamagedStreamsRaiseAndKeepTheItemsBefore) {
    const std::string good = Bytes(29).Put(7, 4, 1).Put(25, 4, 2).Text("").Text("A").Str();
    const struct {
        const char* what;
        std::string item;
    } cases[] = {
        {"record cut short", std::string(20, '\0')},
        {"name length past the end", Bytes(29).Put(7, 4, 1).Put(25, 4, 1000).Text("").Str()},
        {"font name length of 2 GiB", Bytes(29).Put(7, 4, 0x7FFFFFFF).Str()},
    };
    for (const auto& c : cases) {
        TDrawNameList list;
        TMemoryStream stream(PatternFile({good, c.item, good}));
        EXPECT_THROW(list.LoadFromStream(stream), EReadError) << c.what;
        ASSERT_EQ(list.Count(), 1) << c.what;
        EXPECT_EQ(list.Item(0).Name(), "A");
    }
    TDrawNameList list;
    TMemoryStream junk(std::string("not a container"));
    EXPECT_THROW(list.LoadFromStream(junk), Exception);
}

TEST(HolidayList, LinesBecomeKeysAndJunkBecomesZero) {
    THolidayList list;
    list.LoadFromText("101\r\n1123\rabc\n\n 505 \n70000\n-1\n");
    ASSERT_EQ(list.Count(), 7);
    EXPECT_TRUE(list.IsHoliday(11, 23));
    EXPECT_TRUE(list.IsHoliday(1, 1));
    EXPECT_TRUE(list.IsHoliday(5, 5));
    EXPECT_EQ(list.Keys(2), 0);
    EXPECT_EQ(list.Keys(3), 0);
    EXPECT_EQ(list.Keys(5), uint16_t(70000));
    EXPECT_EQ(list.Keys(6), 0xFFFF);
    EXPECT_FALSE(list.IsHoliday(2, 30));
    EXPECT_EQ(THolidayList("/nonexistent/祝日.txt").Count(), 0);
}

class PatternFiles : public test::ProgramTest {
protected:
    void SetUp() override {
        ProgramTest::SetUp();
        LoadData();
    }
    std::string PathOf(const char* name) { return Setting().DataFolder() + name; }
};

TEST_F(PatternFiles, SurviveARestartAndAnEmptyListLosesItsFile) {
    AnnoList().AddItem().FormatString = "yyyy";
    CalenderList().Add();
    SaveData();
    EXPECT_TRUE(std::filesystem::exists(PathOf(kAnnoFileName)));
    EXPECT_FALSE(std::filesystem::exists(PathOf(kDrawNameFileName)));

    AnnoList().Clear();
    LoadData();
    ASSERT_EQ(AnnoList().Count(), 1);
    EXPECT_EQ(AnnoList().Item(0).FormatString, "yyyy");
    EXPECT_EQ(CalenderList().Count(), 1);

    AnnoList().Clear();
    SaveData();
    EXPECT_FALSE(std::filesystem::exists(PathOf(kAnnoFileName)));
    EXPECT_TRUE(std::filesystem::exists(PathOf(kCalenderFileName)));
}

TEST_F(PatternFiles, ADamagedFileIsKeptAsideBeforeTheNextSave) {
    const std::string path = PathOf(kCalenderFileName);
    const std::string damaged = PatternFile({kCalendarItem, "short"});
    WriteFile(path, damaged);
    const std::vector<std::string> errors = LoadData();
    ASSERT_EQ(errors.size(), 1u);
    EXPECT_NE(errors[0].find(kCalenderFileName), std::string::npos);
    EXPECT_EQ(CalenderList().Count(), 1); // what could be read
    SaveData();
    EXPECT_EQ(ReadFile(path + ".damaged"), damaged);
    TCalenderList reread("");
    reread.LoadFromFile(path);
    EXPECT_EQ(reread.Count(), 1);
}

} // namespace
} // namespace muralto
