#include "ADDraw.h"

#include "TextCanvas.h"
#include "platform/Services.h"
#include "settings/DateFormat.h"

#include <algorithm>
#include <cstring>

namespace muralto {

namespace {

// The directions of the date's key-colour search, for the life of the process.
TKeyDirections& AnnoDirections() {
    static TKeyDirections directions;
    return directions;
}

// The outline's four one-pixel offsets around a text origin.
constexpr int kOutline[4][2] = {{0, 1}, {-1, 0}, {1, 0}, {0, -1}};

// A bitmap of the new size with the old picture where they overlap and white elsewhere.
void Resize(BitmapPtr& bitmap, int width, int height) {
    ToDrawable(bitmap);
    const int format = mtgdi_format(bitmap.get());
    BitmapPtr resized(mtgdi_create(std::max(1, width), std::max(1, height), format));
    if (!resized)
        throw Exception("見本の画像を作れません（大きすぎるか、メモリ不足）。");
    const int rows = std::min(mtgdi_height(bitmap.get()), mtgdi_height(resized.get()));
    const int bytes = mtgdi_bits_per_pixel(resized.get()) / 8 *
                      std::min(mtgdi_width(bitmap.get()), mtgdi_width(resized.get()));
    for (int y = 0; y < mtgdi_height(resized.get()); ++y) {
        uint8_t* row = mtgdi_scanline(resized.get(), y);
        std::memset(row, 0xFF, size_t(mtgdi_stride(resized.get())));
        if (y < rows)
            std::memcpy(row, mtgdi_scanline(bitmap.get(), y), size_t(bytes));
    }
    bitmap = std::move(resized);
}

} // namespace

TPoint32 TTextDraw::Position(int tw, int th, int width, int height) const {
    const int p = style_.Position;
    const TPoint32 anchor = AnchorPoint(p, style_.MarginX, style_.MarginY, tw, th, width, height);
    int x = anchor.X, y = anchor.Y;
    // Which side the bar is on is not told apart: a bar at the top also lifts text that
    // stands on the bottom edge.
    const TBarPlacement bar = CurrentBarPlacement();
    if (bar.Active) {
        if ((bar.Edge == 0 || bar.Edge == 3) && (p == 1 || p == 4))
            y -= bar.Height;
        if ((bar.Edge == 1 || bar.Edge == 2) && (p == 3 || p == 4))
            x -= bar.Width;
    }
    return {x, y};
}

void TTextDraw::Draw(BitmapPtr& bitmap, const std::string& text) {
    ToDrawable(bitmap);
    const TTextExtent e = TextExtent(style_.Font, text);
    const TPoint32 at =
        Position(e.Width, e.Height, mtgdi_width(bitmap.get()), mtgdi_height(bitmap.get()));
    if (Option(toAlphaChannel))
        DrawLayered(bitmap, text, at.X, at.Y);
    else
        DrawDirect(bitmap, text, at.X, at.Y);
}

void TTextDraw::DrawSample(BitmapPtr& bitmap, const std::string& text) {
    const TTextExtent e = TextExtent(style_.Font, text);
    Resize(bitmap, e.Width + 3, e.Height + 3);
    if (Option(toAlphaChannel))
        DrawLayered(bitmap, text, 0, 0);
    else
        DrawDirect(bitmap, text, 0, 0);
}

TRect32 TTextDraw::GetBounds(const std::string& text) {
    const TTextExtent e = TextExtent(style_.Font, text);
    const TBarPlacement bar = CurrentBarPlacement();
    const TPoint32 at = Position(e.Width, e.Height, bar.ScreenWidth, bar.ScreenHeight);
    return {at.X, at.Y, at.X + e.Width + 3, at.Y + e.Height + 3};
}

void TTextDraw::DrawDirect(BitmapPtr& bitmap, const std::string& text, int x, int y) {
    const int s = style_.ShadowOffset;
    TTextCanvas canvas(bitmap.get());
    if (Option(toDrawShadow)) {
        const bool italic = Option(toItalicShadow);
        canvas.SetFont(style_.Font, italic ? fsItalic : 0);
        canvas.TextOut(x + s, italic ? y : y + s, text, style_.ShadowColor);
    }
    canvas.SetFont(style_.Font);
    if (Option(toDrawFrame))
        for (const auto& o : kOutline)
            canvas.TextOut(x + o[0], y + o[1], text, style_.FrameColor);
    canvas.TextOut(x, y, text, style_.Font.Color);
}

void TTextDraw::DrawLayered(BitmapPtr& bitmap, const std::string& text, int x, int y) {
    const TColor base = Option(toDrawFrame) ? style_.FrameColor : style_.Font.Color;
    const TColor key =
        FindKeyColor(base, {style_.FrameColor, style_.ShadowColor, style_.Font.Color}, directions_);
    const TTextExtent e = TextExtent(style_.Font, text);
    BitmapPtr image(mtgdi_create(e.Width + 20, e.Height + 20, MT_PF32));
    if (!image)
        throw Exception("文字の画像を作れません（大きすぎるか、メモリ不足）。");
    {
        const int s = style_.ShadowOffset;
        TTextCanvas canvas(image.get());
        canvas.Fill(key);
        // The shadow's origin is (3, 0) in the layer; the outline's left and top pixels
        // fall outside it.
        if (Option(toDrawShadow)) {
            const bool italic = Option(toItalicShadow);
            canvas.SetFont(style_.Font, italic ? fsItalic : 0);
            canvas.TextOut(3 + s, italic ? 0 : s, text, style_.ShadowColor);
        }
        canvas.SetFont(style_.Font);
        if (Option(toDrawFrame))
            for (const auto& o : kOutline)
                canvas.TextOut(o[0], o[1], text, style_.FrameColor);
        canvas.TextOut(0, 0, text, style_.Font.Color);
    }
    BlendKeyed(bitmap, std::move(image), key, style_.AlphaLevel, x, y);
}

std::string TAnnoDraw::Format() const {
    if (item_.Option(toUseFormat))
        return item_.FormatString;
    std::string format;
    if (item_.DatePart(dpShowAD))
        format += "yyyy";
    if (item_.DatePart(dpShowMonth))
        format += (format.empty() ? "" : item_.Separator) + "m";
    if (item_.DatePart(dpShowDay))
        format += (format.empty() ? "" : item_.Separator) + "d";
    return format;
}

std::string TAnnoDraw::GetText() const {
    return FormatDateTime(Format(), Platform().clock->Now());
}

TTextDraw TAnnoDraw::Renderer() {
    return TTextDraw(TextStyleOf(item_, 4), AnnoDirections());
}

void TAnnoDraw::Draw(BitmapPtr& bitmap) {
    Renderer().Draw(bitmap, GetText());
}

void TAnnoDraw::DrawSample(BitmapPtr& bitmap) {
    Renderer().DrawSample(bitmap, GetText());
}

TRect32 TAnnoDraw::GetBounds() {
    return Renderer().GetBounds(GetText());
}

} // namespace muralto
