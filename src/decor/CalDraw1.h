#pragma once
// The calendar of a pattern for the current month: a month grid or a strip of day
// numbers, drawn on a layer of a key colour and blended onto the picture.
#include "OptList.h"
#include "settings/Options.h"

#include <initializer_list>
#include <vector>

namespace muralto {

// Which way each channel of a key colour steps; kept from one search to the next.
struct TKeyDirections {
    bool Up[3] = {true, true, true}; // red, green, blue
};

// A colour near the base colour that none of the avoided colours equals.
TColor FindKeyColor(TColor base, const std::vector<TColor>& avoid, TKeyDirections& directions);

// Blends an image onto the target (made 32 bits per pixel) at (x, y), skipping its
// key-coloured pixels, with the layers' transparency rule.
void BlendKeyed(BitmapPtr& target, BitmapPtr image, TColor key, uint8_t alpha, int x, int y);

// Where a box of width x height stands on a reference of its size by the anchor (0
// top-left, 1 bottom-left, 2 centre, 3 top-right, 4 bottom-right), margins added; the
// centre's halves truncate toward zero.
TPoint32 AnchorPoint(int position, int marginX, int marginY, int width, int height,
                     int referenceWidth, int referenceHeight);

// The task-bar terms the decorations place themselves by: only in work-area mode and when
// the work area is smaller than the screen is there a bar to keep clear of.
struct TBarPlacement {
    bool Active = false;
    int Edge = 0; // 0 top, 1 left, 2 right, 3 bottom
    int Width = 0, Height = 0;
    int ScreenWidth = 0, ScreenHeight = 0;
};
TBarPlacement CurrentBarPlacement();

class TCalenderDraw {
public:
    explicit TCalenderDraw(TCalenderItem& item);
    void Draw(BitmapPtr& bitmap, bool preview);
    // Where the calendar would land on a screen-sized picture; the rectangle is left as
    // passed for a type that draws nothing.
    TRect32 GetBounds(TRect32 rect);
    // The grid or strip alone, on the key colour; null when the type draws nothing.
    BitmapPtr Render(TColor key);
    // The key colour of the next draw (the search's directions move on).
    TColor NextKeyColor();

private:
    TColor KeyColor(TKeyDirections& directions) const;
    BitmapPtr RenderGrid(TColor key);
    BitmapPtr RenderStrip(TColor key);
    TPoint32 Position(int width, int height, int referenceWidth, int referenceHeight) const;

    TCalenderItem& item_;
    DateParts today_;
};

// Where the strip drawing is also written, as a bitmap beside the program.
std::string StripBitmapPath();

} // namespace muralto
