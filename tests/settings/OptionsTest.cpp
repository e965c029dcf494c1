#include "settings/Options.h"

#include "TestSupport.h"
#include "buffer/DataFiles.h"
#include "buffer/MWBuf.h"
#include "core/CmdParam.h"
#include "core/ProgramEntry.h"
#include "platform/Services.h"
#include "settings/QXReg.h"

#include <gtest/gtest.h>

#include <filesystem>

namespace muralto {
namespace {

class OptionsTest : public test::ProgramTest {
protected:
    void SetUp() override {
        test::ProgramTest::SetUp();
        Setting().CurrentUser.clear();
    }
    // A fresh store as a new run would make it, with the program's start-up events.
    static TSetting& Fresh() {
        Setting() = TSetting();
        FormatNames() = TFormatNames();
        PrepareSettingsEvents(Setting());
        return Setting();
    }
    static TQXRegistry Group(const std::string& name) {
        return TQXRegistry(RegistryRoot::CurrentUser, std::string(kProductKey) + "\\" + name);
    }
};

TEST_F(OptionsTest, FirstStartGetsTheDefaultsAndAFirstGroup) {
    TSetting& s = Fresh();
    int firstBoots = 0;
    s.OnFirstBoot = [&](TSetting&) { ++firstBoots; };
    s.Load();
    EXPECT_EQ(s.BootCount, 1);
    EXPECT_EQ(firstBoots, 1);
    EXPECT_EQ(s.CurrentUser, "Default");
    EXPECT_EQ(s.SystemBools, 0x00000401u);
    EXPECT_EQ(s.Minute, 15);
    EXPECT_EQ(s.Buttons, 0x01FE);
    EXPECT_EQ(s.ColumnWidth[21], 40);
    EXPECT_EQ(s.DefaultCalenderPattern, "Default Pattern");
    EXPECT_EQ(s.TreeViewFontName, "ＭＳ Ｐゴシック");
    EXPECT_EQ(s.Quality, 70);
    EXPECT_EQ(s.TextuerCatalogHeight, 240);
    EXPECT_DOUBLE_EQ(s.LastChangeTime, Platform().clock->Now());
    EXPECT_EQ(FormatNames().LongDateFormat, "yyyy'年'm'月'd'日'");
    EXPECT_EQ(s.DataFolder(), home / "Data/Default/");
    s.Save();

    TSetting& again = Fresh();
    again.OnFirstBoot = [&](TSetting&) { ++firstBoots; };
    again.Load();
    EXPECT_EQ(again.BootCount, 2);
    EXPECT_EQ(firstBoots, 1);
    EXPECT_EQ(again.Users.Count(), 1);
}

TEST_F(OptionsTest, EveryValueSurvivesSaveAndLoad) {
    TSetting& s = Fresh();
    s.Load();
    s.Hour = 2;
    s.SystemBools = 0x00040004;
    s.MainWindow = {100, -5};
    s.ColumnWidth[3] = -7;
    s.DefaultEffectPattern = "セピア";
    s.DefaultBrightness = -40;
    s.LastChangeTime = 46000.5;
    s.StayOnTop = true;
    s.DrawOptionSet = 0x0108;
    FormatNames().LongDayNames[0] = "にちようび";
    FormatNames().DateSeparator = "-";
    s.Save();
    const std::string saved = TQXRegistry::ExportText(RegistryRoot::CurrentUser, kProductKey);

    TSetting& back = Fresh();
    back.Load();
    EXPECT_EQ(back.Hour, 2);
    EXPECT_EQ(back.SystemBools, 0x00040004u);
    EXPECT_EQ(back.MainWindow.Y, -5);
    EXPECT_EQ(back.ColumnWidth[3], -7);
    EXPECT_EQ(back.DefaultEffectPattern, "セピア");
    EXPECT_EQ(back.DefaultBrightness, -40);
    EXPECT_DOUBLE_EQ(back.LastChangeTime, 46000.5);
    EXPECT_TRUE(back.StayOnTop);
    EXPECT_EQ(back.DrawOptionSet, 0x0108);
    EXPECT_EQ(FormatNames().LongDayNames[0], "にちようび");
    EXPECT_EQ(FormatNames().DateSeparator, "-");
    back.Save();
    // A second save changes nothing but the start counter.
    std::string resaved = TQXRegistry::ExportText(RegistryRoot::CurrentUser, kProductKey);
    const auto counter = resaved.find("\"BootCount\"=dword:00000002");
    ASSERT_NE(counter, std::string::npos);
    resaved.replace(counter, 26, "\"BootCount\"=dword:00000001");
    EXPECT_EQ(resaved, saved);
}

TEST_F(OptionsTest, GroupKeyDeletedLaterReadsBinariesAsZero) {
    TSetting& s = Fresh();
    s.Load();
    s.Save();
    SettingsRegistry().DeleteKey(RegistryRoot::CurrentUser, std::string(kProductKey) + "\\Default");
    TSetting& back = Fresh();
    back.Load();
    EXPECT_EQ(back.BootCount, 2);
    EXPECT_EQ(back.SystemBools, 0u); // binary: untouched, so zero in a fresh run
    EXPECT_EQ(back.Buttons, 0);
    EXPECT_EQ(back.Minute, 15); // integers take their read defaults
    EXPECT_EQ(back.TreeViewFontName, "ＭＳ Ｐゴシック");
}

TEST_F(OptionsTest, DefaultRunTypesFoldAndFlagsStayInRange) {
    TSetting& s = Fresh();
    s.Load();
    Group("Default").WriteBinary("Setting", "DefaultCalenderType", "\x03", 1);
    s.Load();
    EXPECT_EQ(s.DefaultCalenderType, 3);
    EXPECT_EQ(s.GetDefaultCalenderType(), 0);
    s.Save();
    uint8_t stored = 9;
    Group("Default").ReadBinary("Setting", "DefaultCalenderType", 1, &stored);
    EXPECT_EQ(stored, 0);
    EXPECT_FALSE(s.SystemBool(32));
    const uint32_t before = s.SystemBools;
    s.SetSystemBool(40, true);
    EXPECT_EQ(s.SystemBools, before);
    EXPECT_FALSE(s.FileWindowBool(8));
}

TEST_F(OptionsTest, SavingSkipsGroupsWithoutName) {
    TSetting& s = Fresh();
    s.Load();
    s.Users.Item(0).SetGroupName("");
    s.AddUser("Second", "u", "c");
    s.CurrentUser = "Second";
    s.Save();
    TQXRegistry users(RegistryRoot::CurrentUser, std::string(kProductKey) + "\\Users");
    EXPECT_EQ(users.ReadInteger("", "UserCount", -1), 1);
    EXPECT_EQ(users.ReadString("", "UserGroup_0", ""), "Second");
}

TEST_F(OptionsTest, OldCatalogueVersionIsReportedOnce) {
    TSetting& s = Fresh();
    s.Load();
    s.Save();
    Group("Default").WriteInteger("Setting", "ProgramVersion", 0x01FF0200);
    test::WriteFile(home / "old.jp_", "thumbnail");
    std::vector<uint32_t> seen;
    TSetting& again = Fresh();
    auto clean = again.OnVersionUp;
    again.OnVersionUp = [&](TSetting& st, uint32_t v) {
        seen.push_back(v);
        clean(st, v);
    };
    again.Load();
    again.Save();
    again.Load();
    EXPECT_EQ(seen, (std::vector<uint32_t>{0x01FF0200}));
    EXPECT_FALSE(std::filesystem::exists(home / "old.jp_"));
}

TEST_F(OptionsTest, SwitchingResetsAllButTheFourKeptValues) {
    TSetting& s = Fresh();
    s.Load();
    s.AddUser("Other", "", "");
    s.DefaultBrightness = 25;
    s.DrawOptionSet = 0x10;
    s.Hour = 5;
    s.SystemBools = 0;
    s.Save();
    s.OnUserChanged = [](TSetting& st, const std::string&) { st.Load(); };
    s.SelectUser("Other");
    EXPECT_EQ(s.CurrentUser, "Other");
    EXPECT_EQ(s.DefaultBrightness, 25); // not reset, missing in the new group
    EXPECT_EQ(s.DrawOptionSet, 0x10);
    EXPECT_EQ(s.Hour, 0);
    EXPECT_EQ(s.SystemBools, 0x00000401u);
    EXPECT_THROW(s.SelectUser("Nobody"), Exception);
    EXPECT_EQ(s.CurrentUser, "Other");
}

TEST_F(OptionsTest, GroupNamesThatCouldLeaveTheirPlaceAreRefused) {
    const struct {
        const char* name;
        bool valid;
    } cases[] = {{"Work", true},   {"仕事 2026", true}, {"ソ", true},        {"", false},
                 {"..", false},    {".", false},        {"../x", false},     {"a/b", false},
                 {"Work:", false}, {"a\\b", false},     {"tab\there", false}};
    for (const auto& c : cases)
        EXPECT_EQ(IsValidGroupName(c.name), c.valid) << c.name;

    TSetting& s = Fresh();
    s.Load();
    EXPECT_THROW(s.AddUser("../x", "", ""), Exception);
    EXPECT_THROW(s.AddUser("Default", "", ""), Exception);
    EXPECT_THROW(s.RenameUser(0, ".."), Exception);
    EXPECT_FALSE(std::filesystem::exists(home / "x"));
    EXPECT_EQ(s.Users.Count(), 1);
}

TEST_F(OptionsTest, StoredBadGroupNamesAreNoGroups) {
    TQXRegistry users(RegistryRoot::CurrentUser, std::string(kProductKey) + "\\Users");
    users.WriteInteger("", "UserCount", 3);
    users.WriteString("", "UserGroup_0", "..");
    users.WriteString("", "UserGroup_1", "Home");
    users.WriteString("", "UserGroup_2", "a/../../b");
    users.WriteString("", "CurrentUser", "..");
    TSetting& s = Fresh();
    s.Load();
    EXPECT_EQ(s.Users.GetNames(), (std::vector<std::string>{"Home"}));
    EXPECT_EQ(s.CurrentUser, "Home");
}

TEST_F(OptionsTest, NoGroupAtAllAbortsTheLoad) {
    TSetting& s = Fresh();
    s.OnNoUser = nullptr;
    EXPECT_THROW(s.Load(), Exception);
    EXPECT_TRUE(s.LoadAborted);
}

TEST_F(OptionsTest, RenameCarriesSettingsAndFolderDeleteUsesTheTrash) {
    TSetting& s = Fresh();
    s.Load();
    s.Minute = 42;
    s.Save();
    std::filesystem::create_directories(home / "Data/Default");
    test::WriteFile(home / "Data/Default/BUFFERS.MWF", "data");
    s.RenameUser(0, "Renamed");
    EXPECT_EQ(s.CurrentUser, "Renamed");
    EXPECT_TRUE(std::filesystem::exists(home / "Data/Renamed/BUFFERS.MWF"));
    EXPECT_EQ(Group("Renamed").ReadInteger("Setting", "Minute", 0), 42);
    EXPECT_FALSE(SettingsRegistry().KeyExists(RegistryRoot::CurrentUser,
                                              std::string(kProductKey) + "\\Default"));

    s.AddUser("Spare", "", "");
    s.DeleteUser(0);
    EXPECT_FALSE(std::filesystem::exists(home / "Data/Renamed"));
    EXPECT_TRUE(std::filesystem::exists(home / "xdg-data/Trash/files/Renamed/BUFFERS.MWF"));
    EXPECT_EQ(s.Users.GetNames(), (std::vector<std::string>{"Spare"}));
}

TEST_F(OptionsTest, DefaultDataIsBuiltOnlyWithTheOption) {
    TSetting& s = Fresh();
    s.DefaultShowStyle = 2;
    s.DefaultCalenderType = 3; // folds to 0
    s.DefaultBrightness = -9;
    s.SetSystemBool(sbDefTextureRandom, true);
    s.SetSystemBool(sbDefPlaySound, true);
    s.BuildDefaultData();
    EXPECT_EQ(s.DefaultData.ShowStyle, 0); // no "/DEF": nothing built
    ParamOption().AddParam("/DEF");
    s.BuildDefaultData();
    EXPECT_EQ(s.DefaultData.ShowStyle, 2);
    EXPECT_EQ(s.DefaultData.CalenderType, 0);
    EXPECT_EQ(s.DefaultData.AnnoDominiType, 0);
    EXPECT_EQ(s.DefaultData.EffectType, 0);
    EXPECT_EQ(s.DefaultData.Reserved, 1);
    EXPECT_EQ(s.DefaultData.Brightness, -9);
    EXPECT_EQ(s.DefaultData.PlaySound, 1);
    EXPECT_EQ(s.DefaultData.Flags, 1 << difTexRandom);
}

// The program's switch loads the new group's settings and buffers.
TEST_F(OptionsTest, SwitchingGroupsLoadsThatGroupsBuffers) {
    Fresh();
    DataStartup();
    TSetting& s = Setting();
    WallpaperBuffer().SetMask("*.*");
    WallpaperBuffer().AddFileEx("/default/a.bmp", 0, true, false);
    SaveData();
    s.AddUser("Work", "", "");
    s.SelectUser("Work");
    EXPECT_EQ(WallpaperBuffer().Count(), 0);
    WallpaperBuffer().AddFileEx("/job/b.bmp", 0, true, false);
    SaveData();
    s.SelectUser("Default");
    EXPECT_EQ(WallpaperBuffer().Files.Names(), (std::vector<std::string>{"/default/a.bmp"}));
    EXPECT_TRUE(std::filesystem::exists(home / "Data/Work/BUFFERS.MWF"));
}

} // namespace
} // namespace muralto
