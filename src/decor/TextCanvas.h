#pragma once
// Text and shapes drawn with Qt on a bitmap's own pixels (24 or 32 bits per pixel), in the
// terms the decorations use: a font in points at 96 dpi, top-left text origins, extents.
#include "OptList.h"
#include "platform/mtgdi/Bitmap.h"

#include <QFont>
#include <QImage>
#include <QPainter>

#include <string>

namespace muralto {

struct TTextExtent {
    int Width = 0, Height = 0;
};

// The Qt font of a pattern font: sizes in points at 96 dpi, the style bits, and the faces
// of the old system mapped to installed Japanese fonts so Japanese text never shows boxes.
QFont FontOf(const TPatternFont& font, uint8_t extraStyle = 0);
QString Families(const std::string& face);
TTextExtent TextExtent(const TPatternFont& font, const std::string& text);

class TTextCanvas {
public:
    // The bitmap must stay alive and keep its format while the canvas lives.
    explicit TTextCanvas(MTBitmap* bitmap);
    void SetFont(const TPatternFont& font, uint8_t extraStyle = 0);
    // The text with its top-left corner at (x, y).
    void TextOut(int x, int y, const std::string& text, TColor colour);
    // Single line, centred both ways in the rectangle.
    void TextRect(int left, int top, int right, int bottom, const std::string& text, TColor colour);
    // Filled, with a black one-pixel outline.
    void Ellipse(int left, int top, int right, int bottom, TColor fill);
    void Fill(TColor colour);

private:
    QImage image_;
    QPainter painter_;
};

QColor ToQColor(TColor colour);
// Makes the bitmap 24 bits per pixel unless it is 24 or 32 already.
void ToDrawable(BitmapPtr& bitmap);

} // namespace muralto
