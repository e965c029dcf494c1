#include "compose/ChangePipeline.h"

#include "TestSupport.h"
#include "buffer/MWBuf.h"
#include "core/CmdParam.h"
#include "platform/Files.h"
#include "platform/Services.h"
#include "settings/Options.h"

#include <gtest/gtest.h>

#include <filesystem>

namespace muralto {
namespace {

// A decoration list with named patterns; drawing records what was drawn.
class FakeList : public TDecorationList {
public:
    explicit FakeList(std::vector<std::string> names, std::vector<std::string>* log = nullptr,
                      std::string kind = "")
        : names_(std::move(names)), log_(log), kind_(std::move(kind)) {}
    int IndexOfName(const std::string& name) const override {
        for (size_t i = 0; i < names_.size(); ++i)
            if (names_[i] == name)
                return int(i);
        return -1;
    }
    int Count() const override { return int(names_.size()); }
    void DrawByName(const std::string& name, BitmapPtr&) override {
        if (log_ && IndexOfName(name) >= 0)
            log_->push_back(kind_ + ":" + name);
    }
    void DrawByIndex(int index, BitmapPtr&) override {
        if (log_)
            log_->push_back(kind_ + ":" + names_.at(size_t(index)));
    }
    void SetFileName(const std::string& fileName) override {
        if (log_)
            log_->push_back(kind_ + " file " + fileName);
    }

private:
    std::vector<std::string> names_;
    std::vector<std::string>* log_;
    std::string kind_;
};

// Inverts every pixel: its mark on the wallpaper shows where in the pipeline it ran.
class InvertingEffects : public TEffectRunner {
public:
    void RunEffectByName(const std::string& name, BitmapPtr& b) override {
        Run("effect " + name, b);
    }
    int Count() const override { return 2; }
    void RunPatternByName(const std::string& name, BitmapPtr& b) override {
        Run("pattern " + name, b);
    }
    void RunPattern(int index, BitmapPtr& b) override {
        Run("pattern #" + std::to_string(index), b);
    }
    std::vector<std::string> runs;

private:
    void Run(const std::string& what, BitmapPtr& bitmap) {
        runs.push_back(what);
        for (int y = 0; y < mtgdi_height(bitmap.get()); ++y) {
            uint8_t* row = mtgdi_scanline(bitmap.get(), y);
            for (int i = 0; i < mtgdi_width(bitmap.get()) * 3; ++i)
                row[i] = uint8_t(255 - row[i]);
        }
    }
};

// A 4 x 3 picture centred on the fake 1024 x 768 desktop covers this pixel.
constexpr int kCentreX = 511, kCentreY = 383;

class ChangePipelineTest : public test::ProgramTest {
protected:
    std::string Register(const std::string& name, uint32_t rgb = 0x336699) {
        const std::string path = home / name;
        test::WriteBitmap(path, 4, 3, rgb);
        WallpaperBuffer().AddFileEx(path, 0, true, false);
        return path;
    }
    FakeDesktop& Desktop() { return static_cast<FakeDesktop&>(*Platform().desktop); }
    RecordingSoundPlayer& Sound() { return static_cast<RecordingSoundPlayer&>(*Platform().sound); }
    BitmapPtr Wallpaper() {
        BitmapPtr written = test::ReadBmpFile(TChangePipeline::WallpaperPath());
        EXPECT_TRUE(written);
        return written;
    }
};

TEST_F(ChangePipelineTest, ChangeWritesABitmapSetsItAndRecordsTheTime) {
    const std::string path = Register("a.bmp", 0x123456);
    Setting().LastChangeTime = 0;
    Pipeline().MakeWallpaper(path, cmChange);
    BitmapPtr wallpaper = Wallpaper();
    ASSERT_TRUE(wallpaper);
    EXPECT_EQ(mtgdi_format(wallpaper.get()), MT_PF24);
    // Centred on a desktop-size canvas of the desktop colour.
    EXPECT_EQ(mtgdi_width(wallpaper.get()), 1024);
    EXPECT_EQ(mtgdi_height(wallpaper.get()), 768);
    EXPECT_EQ(mtgdi_get_pixel(wallpaper.get(), kCentreX, kCentreY), 0x123456u);
    EXPECT_EQ(mtgdi_get_pixel(wallpaper.get(), 0, 0), 0x3A6EA5u);
    ASSERT_EQ(Desktop().setCalls.size(), 1u);
    EXPECT_EQ(Desktop().setCalls[0], TChangePipeline::WallpaperPath());
    EXPECT_DOUBLE_EQ(Setting().LastChangeTime, Platform().clock->Now());
}

TEST_F(ChangePipelineTest, ModesDecideDesktopAndSound) {
    const std::string path = Register("a.bmp");
    TDataInf& data = *WallpaperBuffer().Data(0);
    data.Data.PlaySound = 1;
    data.WaveFile = "/snd/chime.wav";
    Setting().SetSystemBool(sbPlaySound, true);
    ParamOption().AddParam("/S");
    const struct {
        int mode;
        size_t sets;
        size_t sounds;
    } cases[] = {{cmChange, 1, 1}, {cmSilent, 1, 0}, {cmRenderOnly, 0, 0}};
    for (const auto& c : cases) {
        Desktop().setCalls.clear();
        Sound().played.clear();
        Setting().LastChangeTime = 0;
        Pipeline().MakeWallpaper(path, c.mode);
        EXPECT_EQ(Desktop().setCalls.size(), c.sets) << c.mode;
        EXPECT_EQ(Sound().played.size(), c.sounds) << c.mode;
        EXPECT_NE(Setting().LastChangeTime, 0) << c.mode; // recorded in every mode
    }
    Sound().played.clear();
    Pipeline().MakeWallpaper(path, cmChange);
    ASSERT_EQ(Sound().played.size(), 1u);
    EXPECT_EQ(Sound().played[0].path, "/snd/chime.wav");
    EXPECT_TRUE(Sound().played[0].wait); // "/S" waits for the sound
}

// An unreadable picture is unregistered and the next one tried, in the caller's mode: a
// render-only run never touches the desktop.
TEST_F(ChangePipelineTest, UnreadablePictureIsDroppedAndTheRetryKeepsTheMode) {
    const std::string good = Register("good.bmp", 0x00FF00);
    const std::string broken = home / "broken.bmp";
    test::WriteFile(broken, "BM this is no bitmap");
    WallpaperBuffer().AddFileEx(broken, 0, true, false);
    Pipeline().MakeWallpaper(broken, cmRenderOnly);
    EXPECT_EQ(WallpaperBuffer().IndexOf(broken), -1);
    EXPECT_TRUE(Desktop().setCalls.empty());
    EXPECT_EQ(mtgdi_get_pixel(Wallpaper().get(), kCentreX, kCentreY), 0x00FF00u);
    EXPECT_EQ(WallpaperBuffer().CurrentFile, good);
}

TEST_F(ChangePipelineTest, ManyUnreadablePicturesEndQuietly) {
    for (int i = 0; i < 3000; ++i) {
        const std::string path = home / ("bad" + std::to_string(i) + ".bmp");
        test::WriteFile(path, "not a bitmap");
        WallpaperBuffer().AddFileEx(path, 0, true, false);
    }
    Pipeline().ChangeWallpaper(false);
    EXPECT_EQ(WallpaperBuffer().Count(), 0);
    EXPECT_FALSE(std::filesystem::exists(TChangePipeline::WallpaperPath()));
}

TEST_F(ChangePipelineTest, GuardedChangeWaitsForScreenSaverAndMaximisedWindows) {
    Register("a.bmp");
    Setting().SetSystemBool(sbNoChangeScreenSaver, true);
    Desktop().screenSaver = true;
    Pipeline().ChangeWallpaper(true);
    EXPECT_TRUE(Desktop().setCalls.empty());
    Pipeline().ChangeWallpaper(false); // the change command does not wait
    EXPECT_EQ(Desktop().setCalls.size(), 1u);
}

TEST_F(ChangePipelineTest, MissingTextureIsForgottenOnlyWhenItWasTheFilesOwn) {
    const std::string path = Register("a.bmp");
    TDataInf& data = *WallpaperBuffer().Data(0);
    data.TextuerFile = home / "no-such-texture.bmp";
    Pipeline().MakeWallpaper(path, cmRenderOnly);
    EXPECT_EQ(data.TextuerFile, "");

    data.TextuerFile = home / "kept.bmp";
    data.SetFlag(difTexRandom, true);
    TextuerBuffer().Add(home / "vanishing.bmp"); // drawn from the list, then missing
    Pipeline().MakeWallpaper(path, cmRenderOnly);
    EXPECT_EQ(data.TextuerFile, home / "kept.bmp");
}

TEST_F(ChangePipelineTest, DecorationAvailabilityFollowsRunTypes) {
    FakeList list({"Default Pattern", "Moon"});
    FakeList empty({});
    TDataInf data(nullptr, InitialDataInfRec());
    data.CalenderPattern = "Moon";
    TSetting& s = Setting();
    const struct {
        TDecorationList* list;
        uint8_t type;
        uint8_t defaultType;
        bool available;
    } cases[] = {
        {&list, 0, 1, false},   {&list, 1, 0, true},   {&empty, 1, 0, false},
        {&list, 2, 0, true},    {&empty, 2, 0, false}, {&list, 3, 1, true},
        {&list, 3, 2, true},    {&empty, 3, 2, false}, {&list, 3, 3, false}, // 3 folds to 0
        {nullptr, 2, 0, false},
    };
    for (const auto& c : cases) {
        Pipeline().Decorations[dkCalender] = c.list;
        data.Data.CalenderType = c.type;
        s.DefaultCalenderType = c.defaultType;
        EXPECT_EQ(Pipeline().DecorationAvailable(dkCalender, data), c.available)
            << int(c.type) << "/" << int(c.defaultType);
    }
    data.CalenderPattern = "Unknown";
    data.Data.CalenderType = 1;
    Pipeline().Decorations[dkCalender] = &list;
    EXPECT_FALSE(Pipeline().DecorationAvailable(dkCalender, data));
}

TEST_F(ChangePipelineTest, DecorationsDrawInOrderAndSetTheCalendarFlag) {
    const std::string path = Register("a.bmp");
    TDataInf& data = *WallpaperBuffer().Data(0);
    std::vector<std::string> log;
    FakeList names({"N"}, &log, "name"), dates({"D1", "D2"}, &log, "date"),
        calendars({"C"}, &log, "calendar");
    Pipeline().Decorations = {&names, &dates, &calendars};
    data.Data.DrawFileNameType = 1;
    data.DrawFileNamePattern = "N";
    data.Data.AnnoDominiType = 3; // the default: a named pattern, the file's name being empty
    Setting().DefaultAnnoDominiType = 1;
    Setting().DefaultAnnoDominiPattern = "D2";
    data.Data.CalenderType = 2; // random among one: the first
    Setting().SetSystemBool(sbCalendarDrawn, false);
    Pipeline().MakeWallpaper(path, cmRenderOnly);
    EXPECT_EQ(log,
              (std::vector<std::string>{"name file " + path, "name:N", "date:D2", "calendar:C"}));
    EXPECT_TRUE(Setting().SystemBool(sbCalendarDrawn));
}

TEST_F(ChangePipelineTest, EffectsRunOnceAtTheConfiguredPoint) {
    const std::string path = Register("a.bmp", 0x102030);
    TDataInf& data = *WallpaperBuffer().Data(0);
    InvertingEffects effects;
    Pipeline().Effects = &effects;
    const struct {
        uint8_t type;
        uint8_t defaultType;
        std::string pattern;
        std::vector<std::string> runs;
    } cases[] = {
        {0, 0, "", {}},
        {1, 0, "Sepia", {"effect Sepia"}},
        {1, 0, "", {}},
        {2, 0, "Warm", {"pattern Warm"}},
        {4, 1, "", {"effect Default Pattern"}},
        {4, 2, "Own", {"pattern Own"}},
        {4, 4, "Own", {}},
    };
    for (uint8_t timing = 0; timing < 4; ++timing) {
        Setting().EffectTiming = timing;
        for (const auto& c : cases) {
            effects.runs.clear();
            data.Data.EffectType = c.type;
            data.EffectPattern = c.pattern;
            Setting().DefaultEffectType = c.defaultType;
            Pipeline().MakeWallpaper(path, cmRenderOnly);
            EXPECT_EQ(effects.runs, c.runs) << int(timing) << " " << int(c.type);
            const uint32_t expected = c.runs.empty() ? 0x102030u : 0xEFDFCFu;
            EXPECT_EQ(mtgdi_get_pixel(Wallpaper().get(), kCentreX, kCentreY), expected);
        }
    }
}

TEST_F(ChangePipelineTest, PlacementAndTransparentKey) {
    EXPECT_EQ(PlacementOf(1), 0);
    EXPECT_EQ(PlacementOf(3), 0);
    EXPECT_EQ(PlacementOf(0), 1);
    EXPECT_EQ(PlacementOf(2), 1);
    EXPECT_EQ(PlacementOf(0x81), 0); // only the low seven bits count

    BitmapPtr image(mtgdi_create(1, 1, MT_PF24));
    uint8_t* p = mtgdi_scanline(image.get(), 0);
    p[0] = 0x30; // blue
    p[1] = 0x20;
    p[2] = 0x10; // red
    TDataInf data(nullptr, InitialDataInfRec());
    data.Data.TransparentColor = 0xABCDEF;
    for (uint8_t pos = 0; pos < 4; ++pos) {
        data.Data.TransPos = pos;
        EXPECT_EQ(TransparentKey(image.get(), data), 0x302010u); // red in the low byte
    }
    data.Data.TransPos = 4;
    EXPECT_EQ(TransparentKey(image.get(), data), 0xABCDEFu);
}

} // namespace
} // namespace muralto
