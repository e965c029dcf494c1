#pragma once
// The date of a pattern on the picture, and the text renderer that the file-name drawing
// shares: font, outline, shadow (plain or italic), transparency, an anchor with margins.
#include "CalDraw1.h"
#include "OptList.h"

#include <string>

namespace muralto {

// What the text renderer takes from a date or file-name pattern.
struct TTextStyle {
    TPatternFont Font;
    uint8_t AlphaLevel = 0;
    uint8_t Options = 0; // bits 0..3 as the text patterns': frame, alpha, shadow, italic
    TColor FrameColor = 0, ShadowColor = 0;
    int MarginX = 0, MarginY = 0;
    int Position = 0;
    int ShadowOffset = 0;
};

template <class Item> TTextStyle TextStyleOf(const Item& item, int shadowOffset) {
    const auto& r = item.Data;
    return {item.Font, r.AlphaLevel, r.Options,  r.FrameColor, r.ShadowColor,
            r.MarginX, r.MarginY,    r.Position, shadowOffset};
}

class TTextDraw {
public:
    TTextDraw(const TTextStyle& style, TKeyDirections& directions)
        : style_(style), directions_(directions) {}
    // On the picture in place, at the pattern's place.
    void Draw(BitmapPtr& bitmap, const std::string& text);
    // The sample becomes the text's size plus 3 and shows the text at (0, 0).
    void DrawSample(BitmapPtr& bitmap, const std::string& text);
    // Where the text would land on a screen-sized picture.
    TRect32 GetBounds(const std::string& text);
    // The anchor of a text of that size on a picture of that size, with the margins and
    // the task bar.
    TPoint32 Position(int textWidth, int textHeight, int width, int height) const;

private:
    bool Option(int bit) const { return (style_.Options >> bit) & 1; }
    void DrawDirect(BitmapPtr& bitmap, const std::string& text, int x, int y);
    void DrawLayered(BitmapPtr& bitmap, const std::string& text, int x, int y);

    TTextStyle style_;
    TKeyDirections& directions_;
};

class TAnnoDraw {
public:
    explicit TAnnoDraw(TAnnoItem& item) : item_(item) {}
    void Draw(BitmapPtr& bitmap);
    void DrawSample(BitmapPtr& bitmap);
    TRect32 GetBounds();
    // The text that would be drawn now.
    std::string GetText() const;
    // The format the pattern's parts or format string make.
    std::string Format() const;

private:
    TTextDraw Renderer();
    TAnnoItem& item_;
};

} // namespace muralto
