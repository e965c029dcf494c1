#include "TestSupport.h"
#include "compose/MWGraphic.h"
#include "core/CmdParam.h"
#include "decor/ADDraw.h"
#include "decor/CalDraw1.h"
#include "decor/NameDraw.h"
#include "decor/TextCanvas.h"
#include "platform/Services.h"
#include "settings/DateFormat.h"

#include <QFontMetrics>

#include <gtest/gtest.h>

#include <climits>
#include <cstring>
#include <filesystem>
#include <random>

namespace muralto {
namespace {

using test::SamePixels;

// Where the pixels of exactly one colour lie.
struct Ink {
    int count = 0;
    int left = INT_MAX, top = INT_MAX, right = INT_MIN, bottom = INT_MIN;
};

Ink InkOf(const MTBitmap* image, TColor colour, TRect32 area = {0, 0, INT_MAX, INT_MAX}) {
    Ink ink;
    const uint32_t rgb = RgbToColor(colour); // the swap is its own inverse
    const int w = std::min(mtgdi_width(image), area.Right);
    const int h = std::min(mtgdi_height(image), area.Bottom);
    for (int y = std::max(0, area.Top); y < h; ++y)
        for (int x = std::max(0, area.Left); x < w; ++x)
            if (mtgdi_get_pixel(image, x, y) == rgb) {
                ++ink.count;
                ink.left = std::min(ink.left, x);
                ink.top = std::min(ink.top, y);
                ink.right = std::max(ink.right, x);
                ink.bottom = std::max(ink.bottom, y);
            }
    return ink;
}

BitmapPtr Plain(int width, int height, TColor colour, int format = MT_PF24) {
    BitmapPtr image(mtgdi_create(width, height, MT_PF24));
    for (int y = 0; y < height; ++y) {
        uint8_t* row = mtgdi_scanline(image.get(), y);
        for (int x = 0; x < width; ++x) {
            row[3 * x] = uint8_t(colour >> 16);
            row[3 * x + 1] = uint8_t(colour >> 8);
            row[3 * x + 2] = uint8_t(colour);
        }
    }
    if (format != MT_PF24)
        image.reset(mtgdi_convert(image.get(), format));
    return image;
}

class Decorations : public test::ProgramTest {
protected:
    void SetUp() override {
        ProgramTest::SetUp();
        SetToday(2026, 3, 9, 14, 5, 7);
    }
    void SetToday(int y, int mo, int d, int h = 12, int mi = 0, int s = 0) {
        Platform().clock = std::make_unique<FixedClock>(EncodeDateTime({y, mo, d, h, mi, s}));
    }
    FakeDesktop& Desk() { return static_cast<FakeDesktop&>(*Platform().desktop); }
    // The task bar as the strip outside the work area, in work-area mode.
    void UseWorkArea(ScreenRect workArea) {
        Desk().geometry = {{1024, 768}, workArea, 24};
        DeskTop().SetCalculation(ctWorkArea);
    }
};

// ---------------------------------------------------------------- the key colour

TEST(KeyColor, StepsEachChannelInTurnAndTurnsAtTheEnds) {
    const struct {
        TColor base;
        std::vector<TColor> avoid;
        TColor expected;
    } cases[] = {
        {0x000000, {}, 0x000002},
        {0x000000, {0x000002}, 0x000202},
        {0x000000, {0x000002, 0x000202}, 0x020202},
        {0x000000, {0x000002, 0x000202, 0x020202}, 0x020204}, // red again, still up
        {0x0000FF, {}, 0x0000FD},
        {0x101010, {}, 0x101012},
    };
    for (const auto& c : cases) {
        TKeyDirections directions;
        EXPECT_EQ(FindKeyColor(c.base, c.avoid, directions), c.expected) << std::hex << c.base;
    }
    // The direction found at an end holds for the next search.
    TKeyDirections directions;
    EXPECT_EQ(FindKeyColor(0x0000FF, {}, directions), 0x0000FDu);
    EXPECT_EQ(FindKeyColor(0x000080, {}, directions), 0x00007Eu);
    EXPECT_EQ(FindKeyColor(0x000000, {}, directions), 0x000002u);
    EXPECT_EQ(FindKeyColor(0x000080, {}, directions), 0x000082u);
}

TEST(KeyColor, NeverReturnsAColourToAvoid) {
    std::mt19937 random(7);
    TKeyDirections directions;
    for (int round = 0; round < 2000; ++round) {
        const TColor base = random() & 0xFFFFFF;
        std::vector<TColor> avoid;
        TKeyDirections probe = directions;
        // Avoid the first few candidates the search would try, and some others.
        for (int i = 0; i < 9; ++i) {
            avoid.push_back(FindKeyColor(base, avoid, probe));
            probe = directions;
        }
        const TColor key = FindKeyColor(base, avoid, directions);
        EXPECT_EQ(std::find(avoid.begin(), avoid.end(), key), avoid.end());
    }
}

// ---------------------------------------------------------------- the calendar

class Calendar : public Decorations {
protected:
    TCalenderItem& NewItem() {
        TCalenderItem& item = CalenderList().AddItem();
        item.Font.Size = 16;
        item.SetOption(coDrawFrame, false);
        return item;
    }
    // The grid's cell size as the layout defines it: the widest and highest header.
    static TTextExtent Cell(const TCalenderItem& item) {
        TTextExtent cell;
        for (const std::string& text : FormatNames().CalendarDayNames) {
            const TTextExtent e = TextExtent(item.Font, text);
            cell.Width = std::max(cell.Width, e.Width);
            cell.Height = std::max(cell.Height, e.Height);
        }
        return cell;
    }
    static TRect32 CellRect(const TCalenderItem& item, int row, int column) {
        const TTextExtent c = Cell(item);
        const int h = item.Data.HSpace, v = item.Data.VSpace;
        const int left = column * (c.Width + h) + h, top = row * (c.Height + v) + v;
        return {left, top, left + c.Width, top + c.Height};
    }
    static int InkIn(const MTBitmap* grid, const TRect32& cell, TColor key) {
        int count = 0;
        for (int y = cell.Top; y < cell.Bottom; ++y)
            for (int x = cell.Left; x < cell.Right; ++x)
                count += mtgdi_get_pixel(grid, x, y) != RgbToColor(key);
        return count;
    }
};

TEST_F(Calendar, GridPlacesTheDaysUnderTheirWeekdays) {
    const TColor key = 0x00123456;
    // August 2026 starts on a Saturday and has 31 days: all six week rows.
    SetToday(2026, 8, 20);
    ASSERT_EQ(DayOfWeek(EncodeDateTime({2026, 8, 1})), 6);
    TCalenderItem& item = NewItem();
    item.Data.HSpace = 4;
    item.Data.VSpace = 3;
    BitmapPtr grid = TCalenderDraw(item).Render(key);
    const TTextExtent c = Cell(item);
    EXPECT_EQ(mtgdi_width(grid.get()), 7 * c.Width + 8 * 4);
    EXPECT_EQ(mtgdi_height(grid.get()), 7 * c.Height + 8 * 3);
    for (int column = 0; column < 6; ++column)
        EXPECT_EQ(InkIn(grid.get(), CellRect(item, 1, column), key), 0) << column;
    EXPECT_GT(InkIn(grid.get(), CellRect(item, 1, 6), key), 0);                 // the 1st
    EXPECT_GT(InkIn(grid.get(), CellRect(item, 6, 1), key), 0);                 // the 31st
    EXPECT_EQ(InkIn(grid.get(), CellRect(item, 6, 2), key), 0);                 // nothing after
    EXPECT_GT(InkOf(grid.get(), item.Color(4), CellRect(item, 2, 0)).count, 0); // Sunday red
}

TEST_F(Calendar, TodayHolidaysAndHeaderColours) {
    const TColor key = 0x00123456;
    SetToday(2026, 3, 9); // March 2026 starts on a Sunday: the 9th is row 2, column 1
    CalenderList().Holidays().LoadFromText("309\n320\n");
    FormatNames().CalendarDayNames[3] = "9"; // a header that reads as today's number
    TCalenderItem& item = NewItem();
    BitmapPtr grid = TCalenderDraw(item).Render(key);
    const TColor today = item.Color(3), holiday = item.Color(11);
    // Today wins over the holiday on the same day; the 20th (Friday) is a holiday.
    EXPECT_GT(InkOf(grid.get(), today, CellRect(item, 2, 1)).count, 0);
    EXPECT_EQ(InkOf(grid.get(), holiday, CellRect(item, 2, 1)).count, 0);
    EXPECT_GT(InkOf(grid.get(), holiday, CellRect(item, 3, 5)).count, 0);
    EXPECT_GT(InkOf(grid.get(), today, CellRect(item, 0, 3)).count, 0);
}

TEST_F(Calendar, StripMarksTodayAndHolidaysWithDiscs) {
    SetToday(2026, 3, 9);
    CalenderList().Holidays().LoadFromText("309\n320\n");
    TCalenderItem& item = NewItem();
    item.Data.DrawType = 1;
    item.Data.Position = 0;
    const TColor key = 0x00123456;
    BitmapPtr strip = TCalenderDraw(item).Render(key);
    const int days = 31;
    const int cellHeight = mtgdi_height(strip.get()) / days;
    auto dayBox = [&](int k) {
        return TRect32{0, (k - 1) * cellHeight, mtgdi_width(strip.get()), k * cellHeight};
    };
    EXPECT_GT(InkOf(strip.get(), item.Color(3), dayBox(9)).count, 20);
    EXPECT_EQ(InkOf(strip.get(), item.Color(11), dayBox(9)).count, 0);
    EXPECT_GT(InkOf(strip.get(), item.Color(11), dayBox(20)).count, 20);
    EXPECT_EQ(InkOf(strip.get(), item.Color(3), dayBox(10)).count, 0);
    // Written beside the program too, for others to read.
    BitmapPtr written = test::ReadBmpFile(StripBitmapPath());
    ASSERT_TRUE(written);
    EXPECT_EQ(mtgdi_height(written.get()), mtgdi_height(strip.get()));
}

TEST_F(Calendar, AStripFileThatCannotBeWrittenDoesNotStopTheDrawing) {
    std::filesystem::create_directories(StripBitmapPath()); // a folder in the file's place
    TCalenderItem& item = NewItem();
    item.Data.DrawType = 1;
    BitmapPtr target = Plain(300, 900, 0x404040);
    EXPECT_NO_THROW(TCalenderDraw(item).Draw(target, false));
    EXPECT_GT(InkOf(target.get(), item.Color(5)).count, 0); // Monday's white numbers
}

TEST_F(Calendar, NothingDrawnButTheTargetBecomes32Bits) {
    const struct { int drawType, position; } cases[] = {{1, 4}, {2, 0}, {255, 0}};
    for (const auto& c : cases) {
        TCalenderItem& item = NewItem();
        item.Data.DrawType = uint8_t(c.drawType);
        item.Data.Position = uint8_t(c.position);
        BitmapPtr target = Plain(200, 150, 0x336699);
        BitmapPtr before = Plain(200, 150, 0x336699);
        TCalenderDraw(item).Draw(target, false);
        EXPECT_EQ(mtgdi_format(target.get()), MT_PF32);
        EXPECT_TRUE(SamePixels(target.get(), before.get())) << c.drawType << "/" << c.position;
        CalenderList().DrawByName("no such pattern", target); // unknown names draw nothing
        EXPECT_TRUE(SamePixels(target.get(), before.get()));
        const TRect32 untouched{1, 2, 3, 4};
        const TRect32 bounds = TCalenderDraw(item).GetBounds(untouched);
        if (c.drawType != 1) {
            EXPECT_EQ(bounds.Right, 3);
        }
    }
}

TEST_F(Calendar, AlphaLevelFromOpaqueToInvisible) {
    TCalenderItem& item = NewItem();
    item.Data.AlphaLevel = 255;
    BitmapPtr target = Plain(400, 300, 0x202020);
    TCalenderDraw(item).Draw(target, false);
    EXPECT_TRUE(SamePixels(target.get(), Plain(400, 300, 0x202020).get()));

    item.Data.AlphaLevel = 0;
    TCalenderDraw(item).Draw(target, false);
    EXPECT_GT(InkOf(target.get(), item.Color(5)).count, 50);

    item.Data.AlphaLevel = 128; // half way: white over black gives grey 127
    BitmapPtr half = Plain(400, 300, 0x000000);
    TCalenderDraw(item).Draw(half, false);
    EXPECT_EQ(InkOf(half.get(), item.Color(5)).count, 0);
    EXPECT_GT(InkOf(half.get(), 0x7F7F7F).count, 50);
}

TEST_F(Calendar, PositionsMarginsAndTheTaskBar) {
    TCalenderItem& item = NewItem();
    const TTextExtent c = Cell(item);
    const int w = 7 * c.Width, h = 7 * c.Height;
    item.Data.MarginX = 5;
    item.Data.MarginY = -7;
    // FakeDesktop: 1024 x 768; bars as the strip outside the work area (extent minus 2).
    const struct {
        ScreenRect workArea;
        int position, x, y;
    } cases[] = {
        {{0, 0, 1024, 768}, 0, 5, -7},
        {{0, 0, 1024, 768}, 4, 5 + 1024 - w, -7 + 768 - h},
        {{0, 0, 1024, 768}, 2, 5 + (1024 - w) / 2, -7 + (768 - h) / 2},
        {{0, 0, 1024, 740}, 4, 5 + 1024 - w, -7 + 768 - h - 26}, // bottom bar
        {{0, 0, 1024, 740}, 2, 5 + (1024 - w) / 2, -7 + (768 - h) / 2 - 13},
        {{0, 0, 1024, 740}, 0, 5, -7},
        {{0, 40, 1024, 768}, 3, 5 + 1024 - w, -7 + 38},         // top bar
        {{60, 0, 1024, 768}, 1, 5 + 58, -7 + 768 - h},          // left bar
        {{0, 0, 964, 768}, 4, 5 + 1024 - w - 58, -7 + 768 - h}, // right bar
    };
    for (const auto& k : cases) {
        UseWorkArea(k.workArea);
        item.Data.Position = uint8_t(k.position);
        const TRect32 r = TCalenderDraw(item).GetBounds({});
        EXPECT_EQ(r.Left, k.x) << k.position << " in " << k.workArea.right;
        EXPECT_EQ(r.Top, k.y) << k.position << " in " << k.workArea.bottom;
        EXPECT_EQ(r.Right - r.Left, w);
    }
    // The screen mode ignores the bar.
    DeskTop().SetCalculation(ctScreen);
    item.Data.Position = 4;
    EXPECT_EQ(TCalenderDraw(item).GetBounds({}).Top, -7 + 768 - h);
}

TEST_F(Calendar, PreviewStandsAtTheOriginWhateverThePosition) {
    TCalenderItem& item = NewItem();
    item.Data.Position = 4;
    item.Data.MarginX = 300;
    item.Data.AlphaLevel = 0;
    BitmapPtr target = Plain(900, 700, 0x000000);
    TCalenderDraw(item).Draw(target, true);
    const Ink white = InkOf(target.get(), item.Color(5));
    ASSERT_GT(white.count, 0);
    EXPECT_LT(white.right, 7 * Cell(item).Width + 10);
    EXPECT_LT(white.bottom, 7 * Cell(item).Height + 10);
}

TEST_F(Calendar, ShadowOffsetIsASixthOfTheFontSize) {
    SetToday(2026, 3, 1);
    TCalenderItem& item = NewItem();
    item.Font.Size = 24; // d = 4
    item.SetOption(coDrawShadow, true);
    item.SetColor(2, 0x00FF8000);
    for (int c = 3; c <= 11; ++c)
        item.SetColor(c, 0x00FFFFFF);
    const TColor key = 0x00123456;
    BitmapPtr grid = TCalenderDraw(item).Render(key);
    const Ink text = InkOf(grid.get(), 0xFFFFFF), shadow = InkOf(grid.get(), 0x00FF8000);
    EXPECT_EQ(shadow.right - text.right, 4);
    EXPECT_EQ(shadow.bottom - text.bottom, 4);
    item.SetOption(coItalicShadow, true);
    grid = TCalenderDraw(item).Render(key);
    EXPECT_EQ(InkOf(grid.get(), 0x00FF8000).bottom, InkOf(grid.get(), 0xFFFFFF).bottom);
}

// ---------------------------------------------------------------- the date

class DateDrawing : public Decorations {
protected:
    TAnnoItem& NewItem() {
        TAnnoItem& item = AnnoList().AddItem();
        item.Font.Size = 24;
        item.SetOption(toDrawFrame, false);
        return item;
    }
};

TEST_F(DateDrawing, TextFromTheDatePartsOrTheFormat) {
    FormatNames().DateSeparator = "_";
    const struct {
        uint8_t parts;
        const char* separator;
        const char* expected;
    } cases[] = {
        {0, ".", "2026_03_09 14:05:07"}, // no parts: the empty format is "c" (yyyy/mm/dd)
        {0b110, ".", "3.9"},
        {0b100, ".", "9"},
        {0b001, ".", "2026"},
        {0b111, "-", "2026-3-9"},
        {0b111, "/", "2026_3_9"}, // the separator is a format, unquoted
        {0b110, "d", "309"},      // ... so letters in it are letters: "mdd"
        {0b101, " 年 ", "2026 年 9"},
    };
    FormatNames().ShortDateFormat = "yyyy/mm/dd";
    for (const auto& c : cases) {
        TAnnoItem& item = NewItem();
        item.Data.DateParts = c.parts;
        item.Separator = c.separator;
        EXPECT_EQ(TAnnoDraw(item).GetText(), c.expected) << c.expected;
    }
    TAnnoItem& item = NewItem();
    item.SetOption(toUseFormat, true);
    item.FormatString = "gg e'年' dddd";
    EXPECT_EQ(TAnnoDraw(item).GetText(), "令和 8年 月曜日");
}

TEST_F(DateDrawing, ShadowIsOffsetByFourAndItalicOnlyToTheRight) {
    TAnnoItem& item = NewItem();
    item.SetOption(toDrawShadow, true);
    item.SetColor(2, 0x000080FF);
    BitmapPtr target = Plain(600, 200, 0x000000);
    TAnnoDraw(item).Draw(target);
    const Ink text = InkOf(target.get(), 0xFFFFFF), shadow = InkOf(target.get(), 0x000080FF);
    ASSERT_GT(text.count, 0);
    EXPECT_EQ(shadow.right - text.right, 4);
    EXPECT_EQ(shadow.bottom - text.bottom, 4);

    item.SetOption(toItalicShadow, true);
    target = Plain(600, 200, 0x000000);
    TAnnoDraw(item).Draw(target);
    const Ink upright = InkOf(target.get(), 0xFFFFFF), slanted = InkOf(target.get(), 0x000080FF);
    EXPECT_EQ(slanted.bottom, upright.bottom);
    EXPECT_GT(slanted.right, upright.right);
}

TEST_F(DateDrawing, LayeredDrawingLosesTheOutlinesLeftAndTopAndShiftsTheShadow) {
    TAnnoItem& item = NewItem();
    item.SetOption(toDrawFrame, true);
    item.SetOption(toDrawShadow, true);
    item.SetColor(1, 0x0000FF00);
    item.SetColor(2, 0x00FF0000);
    item.Data.MarginX = 20;
    item.Data.MarginY = 20;
    BitmapPtr direct = Plain(600, 200, 0x000000);
    TAnnoDraw(item).Draw(direct);
    item.SetOption(toAlphaChannel, true);
    item.Data.AlphaLevel = 0;
    BitmapPtr layered = Plain(600, 200, 0x000000);
    TAnnoDraw(item).Draw(layered);
    EXPECT_EQ(mtgdi_format(layered.get()), MT_PF32);

    const Ink text1 = InkOf(direct.get(), 0xFFFFFF), text2 = InkOf(layered.get(), 0xFFFFFF);
    EXPECT_EQ(text1.left, text2.left); // the text itself stands where it stood, opaque
    EXPECT_EQ(text1.top, text2.top);
    // The layer starts at the text's origin: nothing of the outline left of it or above it.
    for (int y = 0; y < 200; ++y)
        for (int x = 0; x < 600; ++x) {
            if (x < 20 || y < 20) {
                ASSERT_EQ(mtgdi_get_pixel(layered.get(), x, y), 0u) << x << "," << y;
            }
        }
    EXPECT_GT(text2.count, 0);
    const Ink shadow1 = InkOf(direct.get(), 0x00FF0000), shadow2 = InkOf(layered.get(), 0x00FF0000);
    EXPECT_EQ(shadow2.right - shadow1.right, 3);
    EXPECT_EQ(shadow2.bottom, shadow1.bottom);
}

TEST_F(DateDrawing, PositionsAndTheTaskBarRule) {
    TAnnoItem& item = NewItem();
    item.Data.MarginX = -4;
    item.Data.MarginY = 6;
    const TTextExtent e = TextExtent(item.Font, TAnnoDraw(item).GetText());
    const int tw = e.Width, th = e.Height;
    const struct {
        ScreenRect workArea;
        int position, x, y;
    } cases[] = {
        {{0, 0, 1024, 768}, 4, -4 + 1024 - tw, 6 + 768 - th},
        {{0, 0, 1024, 740}, 4, -4 + 1024 - tw, 6 + 768 - th - 26},
        {{0, 40, 1024, 768}, 1, -4, 6 + 768 - th - 38}, // top bar lifts the bottom too
        {{0, 40, 1024, 768}, 0, -4, 6},
        {{0, 40, 1024, 768}, 2, -4 + (1024 - tw) / 2, 6 + (768 - th) / 2},
        {{60, 0, 1024, 768}, 4, -4 + 1024 - tw - 58, 6 + 768 - th}, // left bar: left
        {{0, 0, 964, 768}, 3, -4 + 1024 - tw - 58, 6},
        {{60, 0, 1024, 768}, 1, -4, 6 + 768 - th},
    };
    for (const auto& c : cases) {
        UseWorkArea(c.workArea);
        item.Data.Position = uint8_t(c.position);
        const TRect32 r = TAnnoDraw(item).GetBounds();
        EXPECT_EQ(r.Left, c.x) << c.position;
        EXPECT_EQ(r.Top, c.y) << c.position;
        EXPECT_EQ(r.Right - r.Left, tw + 3);
        EXPECT_EQ(r.Bottom - r.Top, th + 3);
    }
}

TEST_F(DateDrawing, SampleIsTheTextsSize) {
    TAnnoItem& item = NewItem();
    BitmapPtr sample = Plain(10, 10, 0x000000);
    TAnnoDraw(item).DrawSample(sample);
    const TTextExtent e = TextExtent(item.Font, TAnnoDraw(item).GetText());
    EXPECT_EQ(mtgdi_width(sample.get()), e.Width + 3);
    EXPECT_EQ(mtgdi_height(sample.get()), e.Height + 3);
    EXPECT_GT(InkOf(sample.get(), 0xFFFFFF).count, 0);
}

TEST_F(DateDrawing, BadInputDrawsWhatItCanAndNeverCrashes) {
    const struct {
        const char* what;
        int size, marginX, marginY, format;
        const char* font;
    } cases[] = {
        {"margins far off the picture", 24, 32767, -32768, MT_PF24, "ＭＳ ゴシック"},
        {"half off the picture", 24, -30, -10, MT_PF24, "ＭＳ ゴシック"},
        {"no such font", 20, 0, 0, MT_PF24, "No Such Font At All"},
        {"size 255", 255, 0, 0, MT_PF24, "ＭＳ Ｐゴシック"},
        {"size 0", 0, 0, 0, MT_PF24, ""},
        {"8-bit target", 20, 0, 0, MT_PF8, "ＭＳ 明朝"},
        {"1-bit target", 20, 0, 0, MT_PF1, "ＭＳ 明朝"},
    };
    for (const auto& c : cases)
        for (const bool layered : {false, true}) {
            TAnnoItem& item = NewItem();
            item.Font.Size = c.size;
            item.Font.Name = c.font;
            item.Data.MarginX = int16_t(c.marginX);
            item.Data.MarginY = int16_t(c.marginY);
            item.SetOption(toAlphaChannel, layered);
            item.SetOption(toDrawShadow, true);
            BitmapPtr target = Plain(120, 40, 0x000000, c.format);
            EXPECT_NO_THROW(TAnnoDraw(item).Draw(target)) << c.what;
            EXPECT_EQ(mtgdi_width(target.get()), 120) << c.what;
        }
}

TEST(Fonts, TheOldFacesMapToJapaneseFontsThatHaveTheGlyphs) {
    const struct {
        const char* face;
        const char* family;
    } cases[] = {
        {"ＭＳ ゴシック", "Noto Sans Mono CJK JP"}, {"ＭＳ Ｐゴシック", "Noto Sans CJK JP"},
        {"ＭＳ 明朝", "Noto Serif CJK JP"},         {"MS UI Gothic", "Noto Sans CJK JP"},
        {"DejaVu Serif", "DejaVu Serif"},
    };
    for (const auto& c : cases)
        EXPECT_EQ(Families(c.face).toStdString(), c.family) << c.face;
    for (const char* face : {"ＭＳ ゴシック", "ＭＳ Ｐゴシック", "ＭＳ 明朝", "Unknown Face"}) {
        TPatternFont font;
        font.Name = face;
        const QFontMetrics metrics(FontOf(font));
        EXPECT_TRUE(metrics.inFontUcs4(0x65E5)) << face; // 日
        EXPECT_EQ(metrics.height(), TextExtent(font, "日").Height);
    }
}

// ---------------------------------------------------------------- the file name

TEST_F(Decorations, FileNameTextOfAPath) {
    const struct {
        bool fullPath, hideExtension;
        const char* path;
        const char* expected;
    } cases[] = {
        {true, false, "/Pictures/sea.view.jpg", "/Pictures/sea.view.jpg"},
        {true, true, "/Pictures/sea.view.jpg", "/Pictures/sea.view.jpg"},
        {false, false, "/Pictures/sea.view.jpg", "sea.view.jpg"},
        {false, true, "/Pictures/sea.view.jpg", "sea.view"},
        {false, true, "/Pictures/noext", "noext"},
        {false, true, "/Pictures/.jpg", ""},
        {false, true, "/Pictures.d/name", "name"},
        {false, false, "", ""},
    };
    for (const auto& c : cases) {
        TDrawNameItem& item = DrawNameList().AddItem();
        item.SetOption(toFullPath, c.fullPath);
        item.SetOption(toHideExtension, c.hideExtension);
        EXPECT_EQ(TDrawFileName(item).TextOf(c.path), c.expected) << c.path;
    }
}

TEST_F(Decorations, ANewFileNamePatternDrawsTheOutlinedPathTopLeft) {
    TDrawNameItem& item = DrawNameList().AddItem();
    item.Font.Size = 20;
    DrawNameList().FileName = "/Pictures/海辺.jpg";
    BitmapPtr target = Plain(640, 480, 0x808080);
    DrawNameList().DrawByName(item.Name(), target);
    const Ink text = InkOf(target.get(), 0xFFFFFF), frame = InkOf(target.get(), 0x000000);
    ASSERT_GT(text.count, 0);
    EXPECT_LT(text.left, 10);
    EXPECT_LT(text.bottom, 40);
    EXPECT_GT(frame.count, 0);
    // An empty name draws nothing; an empty path draws nothing visible.
    BitmapPtr untouched = Plain(64, 48, 0x808080);
    DrawNameList().DrawByName("", untouched);
    DrawNameList().FileName.clear();
    item.SetOption(toAlphaChannel, true);
    DrawNameList().DrawByName(item.Name(), untouched);
    EXPECT_TRUE(SamePixels(untouched.get(), Plain(64, 48, 0x808080).get()));
}

TEST_F(Decorations, FileNameShadowIsOffsetByThree) {
    TDrawNameItem& item = DrawNameList().AddItem();
    item.Font.Size = 24;
    item.SetOption(toDrawFrame, false);
    item.SetOption(toDrawShadow, true);
    item.SetColor(2, 0x000000FF);
    BitmapPtr target = Plain(600, 100, 0x000000);
    TDrawFileName(item).Draw(target, "/a/Wide Name.png");
    const Ink text = InkOf(target.get(), 0xFFFFFF), shadow = InkOf(target.get(), 0x0000FF);
    EXPECT_EQ(shadow.right - text.right, 3);
    EXPECT_EQ(shadow.bottom - text.bottom, 3);
}

} // namespace
} // namespace muralto
