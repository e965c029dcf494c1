#include "CalDraw1.h"

#include "TextCanvas.h"
#include "compose/LayList.h"
#include "compose/MWGraphic.h"
#include "core/CmdParam.h"
#include "platform/Paths.h"
#include "platform/Services.h"
#include "settings/DateFormat.h"

#include <algorithm>

namespace muralto {

namespace {

// The directions of the calendar's key-colour search, for the life of the process.
TKeyDirections& CalenderDirections() {
    static TKeyDirections directions;
    return directions;
}

// One channel's step: off the ends, otherwise two in the channel's direction (wrapping).
uint8_t Step(uint8_t value, bool& up) {
    if (value == 0) {
        up = true;
        return 2;
    }
    if (value == 255) {
        up = false;
        return 253;
    }
    return uint8_t(up ? value + 2 : value - 2);
}

// The four one-pixel offsets of an outline: right, down, up, left.
constexpr int kOutline[4][2] = {{1, 0}, {0, 1}, {0, -1}, {-1, 0}};

BitmapPtr NewImage(int width, int height) {
    BitmapPtr image(mtgdi_create(std::max(1, width), std::max(1, height), MT_PF32));
    if (!image)
        throw Exception("カレンダーの画像を作れません（大きすぎるか、メモリ不足）。");
    return image;
}

const THolidayList* HolidaysOf(const TCalenderItem& item) {
    const auto* list = dynamic_cast<const TCalenderList*>(&item.Owner());
    return list ? &list->Holidays() : nullptr;
}

} // namespace

TColor FindKeyColor(TColor base, const std::vector<TColor>& avoid, TKeyDirections& directions) {
    uint8_t channel[3] = {uint8_t(base), uint8_t(base >> 8), uint8_t(base >> 16)};
    auto colour = [&] {
        return TColor(channel[0]) | TColor(channel[1]) << 8 | TColor(channel[2]) << 16;
    };
    // A handful of colours to avoid ends the search within a few rounds; the bound only
    // guards against a list that covers every colour the steps reach.
    for (int round = 0; round < 4096; ++round)
        for (int c = 0; c < 3; ++c) {
            channel[c] = Step(channel[c], directions.Up[c]);
            if (std::find(avoid.begin(), avoid.end(), colour()) == avoid.end())
                return colour();
        }
    return colour();
}

void BlendKeyed(BitmapPtr& target, BitmapPtr image, TColor key, uint8_t alpha, int x, int y) {
    // Blending the layer straight onto the picture gives the pixels a copy of the picture
    // as the bottom layer would, without copying the whole screen.
    TLayerList layers;
    TLayer& layer = layers.Add();
    layer.Bitmap = std::move(image);
    layer.Alpha = alpha;
    layer.TransparentColor = key;
    layer.Transparent = true;
    layer.SetPosition(x, y);
    ConvertTo(target, MT_PF32);
    layer.Draw(target);
}

TPoint32 AnchorPoint(int position, int marginX, int marginY, int width, int height,
                     int referenceWidth, int referenceHeight) {
    const int right = referenceWidth - width, bottom = referenceHeight - height;
    switch (position) {
    case 1:
        return {marginX, marginY + bottom};
    case 2:
        return {marginX + right / 2, marginY + bottom / 2};
    case 3:
        return {marginX + right, marginY};
    case 4:
        return {marginX + right, marginY + bottom};
    default:
        return {marginX, marginY};
    }
}

TBarPlacement CurrentBarPlacement() {
    TDeskTop& desk = DeskTop();
    TBarPlacement bar;
    bar.ScreenWidth = desk.DesktopSize(2);
    bar.ScreenHeight = desk.DesktopSize(5);
    bar.Active = desk.Calculation() == ctWorkArea && desk.TaskBar().BarTakesSpace();
    if (bar.Active) {
        bar.Edge = desk.TaskBar().BarEdge();
        bar.Width = desk.TaskBar().BarWidth();
        bar.Height = desk.TaskBar().BarHeight();
    }
    return bar;
}

std::string StripBitmapPath() {
    return WritableProgramFolder() + "muralto.BMP";
}

TCalenderDraw::TCalenderDraw(TCalenderItem& item)
    : item_(item), today_(DecodeDateTime(Platform().clock->Now())) {}

TColor TCalenderDraw::KeyColor(TKeyDirections& directions) const {
    const TCalenderRec& r = item_.Data;
    const TColor base = item_.Option(coDrawFrame) ? r.FrameColor : item_.Font.Color;
    return FindKeyColor(base,
                        {r.TodayColor, r.SundayColor, r.MondayColor, r.TuesdayColor,
                         r.WednesdayColor, r.ThursdayColor, r.FridayColor, r.SaturdayColor,
                         r.HolidayColor},
                        directions);
}

TColor TCalenderDraw::NextKeyColor() {
    return KeyColor(CalenderDirections());
}

BitmapPtr TCalenderDraw::Render(TColor key) {
    switch (item_.Data.DrawType) {
    case 0:
        return RenderGrid(key);
    case 1:
        return RenderStrip(key);
    default:
        return nullptr;
    }
}

void TCalenderDraw::Draw(BitmapPtr& bitmap, bool preview) {
    ConvertTo(bitmap, MT_PF32);
    const TColor key = NextKeyColor();
    BitmapPtr image = Render(key);
    if (!image)
        return;
    const int w = mtgdi_width(image.get()), h = mtgdi_height(image.get());
    const TPoint32 at = preview
                            ? TPoint32{0, 0}
                            : Position(w, h, mtgdi_width(bitmap.get()), mtgdi_height(bitmap.get()));
    BlendKeyed(bitmap, std::move(image), key, item_.Data.AlphaLevel, at.X, at.Y);
}

TRect32 TCalenderDraw::GetBounds(TRect32 rect) {
    TKeyDirections scratch = CalenderDirections(); // a query moves no direction
    BitmapPtr image = Render(KeyColor(scratch));
    if (!image)
        return rect;
    const TBarPlacement bar = CurrentBarPlacement();
    const int w = mtgdi_width(image.get()), h = mtgdi_height(image.get());
    const TPoint32 at = Position(w, h, bar.ScreenWidth, bar.ScreenHeight);
    return {at.X, at.Y, at.X + w, at.Y + h};
}

TPoint32 TCalenderDraw::Position(int width, int height, int referenceWidth,
                                 int referenceHeight) const {
    const TCalenderRec& r = item_.Data;
    const TBarPlacement bar = CurrentBarPlacement();
    const int mx = r.MarginX, my = r.MarginY, p = r.Position;
    int x = mx, y = my;
    if (r.DrawType == 1) {
        // The strip stands against the screen's edges.
        if (p == 1)
            x = bar.ScreenWidth - width + mx;
        if (p == 3)
            y = bar.ScreenHeight - height + my;
        if (bar.Active) {
            if (bar.Edge == 0 && p <= 2)
                y += bar.Height;
            if (bar.Edge == 1 && (p == 0 || p == 2 || p == 3))
                x += bar.Width;
            if (bar.Edge == 2 && p == 1)
                x -= bar.Width;
            if (bar.Edge == 3 && p == 3)
                y -= bar.Height;
        }
        return {x, y};
    }
    const TPoint32 anchor = AnchorPoint(p, mx, my, width, height, referenceWidth, referenceHeight);
    x = anchor.X;
    y = anchor.Y;
    if (!bar.Active)
        return {x, y};
    const int w = bar.Width, h = bar.Height;
    switch (bar.Edge) {
    case 0:
        y += p == 0 || p == 3 ? h : p == 2 ? h / 2 : 0;
        break;
    case 1:
        x += p == 0 || p == 1 ? w : p == 2 ? w / 2 : 0;
        break;
    case 2:
        x -= p == 3 || p == 4 ? w : p == 2 ? w / 2 : 0;
        break;
    default:
        y -= p == 1 || p == 4 ? h : p == 2 ? h / 2 : 0;
        break;
    }
    return {x, y};
}

BitmapPtr TCalenderDraw::RenderGrid(TColor key) {
    const TCalenderRec& r = item_.Data;
    const TPatternFont& font = item_.Font;
    const auto& headers = FormatNames().CalendarDayNames;
    int cw = 0, ch = 0;
    for (const std::string& text : headers) {
        const TTextExtent e = TextExtent(font, text);
        cw = std::max(cw, e.Width);
        ch = std::max(ch, e.Height);
    }
    const int hs = r.HSpace, vs = r.VSpace;
    BitmapPtr image = NewImage(7 * cw + 8 * hs, 7 * ch + 8 * vs);

    // Row 0 the weekday names, rows 1..6 the weeks of the month.
    std::string texts[7][7];
    for (int c = 0; c < 7; ++c)
        texts[0][c] = headers[size_t(c)];
    const int first = DayOfWeek(EncodeDateTime({today_.year, today_.month, 1}));
    const int days = DaysInMonth(today_.year, today_.month);
    for (int day = 1; day <= days; ++day) {
        const int cell = first + day - 1;
        texts[1 + cell / 7][cell % 7] = std::to_string(day);
    }

    const THolidayList* holidays = HolidaysOf(item_);
    const std::string todayText = std::to_string(today_.day);
    const int d = font.Size / 6;
    TTextCanvas canvas(image.get());
    canvas.Fill(key);
    canvas.SetFont(font);
    for (int row = 0; row < 7; ++row)
        for (int c = 0; c < 7; ++c) {
            const std::string& text = texts[row][c];
            const int left = c * (cw + hs) + hs, top = row * (ch + vs) + vs;
            auto drawAt = [&](int dx, int dy, TColor colour) {
                canvas.TextRect(left + dx, top + dy, left + dx + cw, top + dy + ch, text, colour);
            };
            if (item_.Option(coDrawFrame) && !text.empty())
                for (const auto& o : kOutline)
                    drawAt(o[0], o[1], 0x000000); // the grid's outline is always black
            if (item_.Option(coDrawShadow)) {
                const bool italic = item_.Option(coItalicShadow);
                canvas.SetFont(font, italic ? fsItalic : 0);
                drawAt(d, italic ? 0 : d, r.ShadowColor);
                canvas.SetFont(font);
            }
            TColor colour = item_.Color(4 + c); // Sunday ... Saturday
            if (text == todayText) {
                colour = r.TodayColor;
            } else if (row > 0 && holidays) {
                const int number = text.empty() ? 255 : std::stoi(text);
                if (holidays->IndexOf(today_.month * 100 + number) >= 0)
                    colour = r.HolidayColor;
            }
            drawAt(0, 0, colour);
        }
    return image;
}

BitmapPtr TCalenderDraw::RenderStrip(TColor key) {
    const TCalenderRec& r = item_.Data;
    const int p = r.Position;
    // The strip has four positions; the fifth draws nothing.
    if (p > 3)
        return nullptr;
    const TPatternFont& font = item_.Font;
    const int days = DaysInMonth(today_.year, today_.month);
    std::vector<TTextExtent> extents;
    int cw = 0, ch = 0;
    for (int k = 1; k <= days; ++k) {
        extents.push_back(TextExtent(font, std::to_string(k)));
        cw = std::max(cw, extents.back().Width);
        ch = std::max(ch, extents.back().Height);
    }
    const int hs = r.HSpace, cell = ch + r.VSpace;
    const bool vertical = p <= 1;
    std::vector<TRect32> rects;
    int x = 0;
    for (int k = 1; k <= days; ++k) {
        if (vertical) {
            rects.push_back({0, (k - 1) * cell, cw + hs, k * cell});
        } else {
            const int wk = extents[size_t(k - 1)].Width;
            rects.push_back({x, 0, x + wk + hs, cell});
            x += wk + hs;
        }
    }
    BitmapPtr image = vertical ? NewImage(cw + hs, days * cell) : NewImage(x, cell);

    const THolidayList* holidays = HolidaysOf(item_);
    const int first = DayOfWeek(EncodeDateTime({today_.year, today_.month, 1}));
    const int d = font.Size / 6;
    {
        TTextCanvas canvas(image.get());
        canvas.Fill(key);
        canvas.SetFont(font);
        for (int k = 1; k <= days; ++k) {
            const TRect32& box = rects[size_t(k - 1)];
            const std::string text = std::to_string(k);
            auto drawAt = [&](int dx, int dy, TColor colour) {
                canvas.TextRect(box.Left + dx, box.Top + dy, box.Right + dx, box.Bottom + dy, text,
                                colour);
            };
            if (k == today_.day)
                canvas.Ellipse(box.Left, box.Top, box.Right, box.Bottom, r.TodayColor);
            else if (holidays && holidays->IsHoliday(today_.month, k))
                canvas.Ellipse(box.Left, box.Top, box.Right, box.Bottom, r.HolidayColor);
            if (item_.Option(coDrawFrame))
                for (const auto& o : kOutline)
                    drawAt(o[0], o[1], r.FrameColor);
            if (item_.Option(coDrawShadow)) {
                const bool italic = item_.Option(coItalicShadow);
                canvas.SetFont(font, italic ? fsItalic : 0);
                drawAt(d, italic ? 0 : d, r.ShadowColor);
                canvas.SetFont(font);
            }
            drawAt(0, 0, item_.Color(4 + (first + k - 1) % 7));
        }
    }
    // Others read the strip from this file; a folder that cannot take it must not stop
    // the change.
    try {
        SaveBitmapFile(image.get(), StripBitmapPath());
    } catch (const std::exception&) {
    }
    return image;
}

} // namespace muralto
