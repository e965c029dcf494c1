#include "TextCanvas.h"

#include "compose/MWGraphic.h"

#include <QFontMetrics>
#include <QStringList>

#include <cmath>

namespace muralto {

namespace {

bool Contains(const QString& face, const char* part) {
    return face.contains(QString::fromUtf8(part), Qt::CaseInsensitive);
}

// A font of zero points would draw nothing; the old system took it as its default size.
int PixelSize(int points) {
    const int size = points > 0 ? points : 9;
    return std::max(1, int(std::lround(size * 96.0 / 72.0)));
}

} // namespace

QString Families(const std::string& face) {
    const QString name = QString::fromStdString(face);
    // The proportional and fixed-pitch Gothic and Mincho faces of the old system, by the
    // words of their names, full-width or not.
    const bool mincho = Contains(name, "明朝") || Contains(name, "mincho");
    const bool gothic = Contains(name, "ゴシック") || Contains(name, "gothic");
    const bool proportional = Contains(name, "Ｐ") || Contains(name, " P") ||
                              Contains(name, "UI") || Contains(name, "ｐ");
    if (mincho)
        return "Noto Serif CJK JP";
    if (gothic)
        return proportional ? "Noto Sans CJK JP" : "Noto Sans Mono CJK JP";
    return name;
}

QFont FontOf(const TPatternFont& pattern, uint8_t extraStyle) {
    QFont font;
    const QString first = Families(pattern.Name);
    // Later faces stand in for a missing first one and for the glyphs it lacks.
    font.setFamilies({first, "Noto Sans CJK JP", "IPAGothic", "IPAPGothic", "DejaVu Sans"});
    font.setPixelSize(PixelSize(pattern.Size));
    const uint8_t style = pattern.Style | extraStyle;
    font.setBold(style & fsBold);
    font.setItalic(style & fsItalic);
    font.setUnderline(style & fsUnderline);
    font.setStrikeOut(style & fsStrikeOut);
    font.setHintingPreference(QFont::PreferFullHinting);
    return font;
}

TTextExtent TextExtent(const TPatternFont& font, const std::string& text) {
    const QFontMetrics metrics(FontOf(font));
    return {metrics.horizontalAdvance(QString::fromStdString(text)), metrics.height()};
}

QColor ToQColor(TColor colour) {
    return QColor(int(colour & 0xFF), int((colour >> 8) & 0xFF), int((colour >> 16) & 0xFF));
}

void ToDrawable(BitmapPtr& bitmap) {
    const int format = mtgdi_format(bitmap.get());
    if (format != MT_PF24 && format != MT_PF32)
        ConvertTo(bitmap, MT_PF24);
}

TTextCanvas::TTextCanvas(MTBitmap* bitmap)
    : image_(mtgdi_scanline(bitmap, 0), mtgdi_width(bitmap), mtgdi_height(bitmap),
             mtgdi_stride(bitmap),
             mtgdi_format(bitmap) == MT_PF24 ? QImage::Format_BGR888 : QImage::Format_RGB32),
      painter_(&image_) {
    painter_.setRenderHint(QPainter::Antialiasing);
    painter_.setRenderHint(QPainter::TextAntialiasing);
}

void TTextCanvas::SetFont(const TPatternFont& font, uint8_t extraStyle) {
    painter_.setFont(FontOf(font, extraStyle));
}

void TTextCanvas::TextOut(int x, int y, const std::string& text, TColor colour) {
    if (text.empty())
        return;
    painter_.setPen(ToQColor(colour));
    const QFontMetrics metrics(painter_.font());
    painter_.drawText(x, y + metrics.ascent(), QString::fromStdString(text));
}

void TTextCanvas::TextRect(int left, int top, int right, int bottom, const std::string& text,
                           TColor colour) {
    if (text.empty())
        return;
    painter_.setPen(ToQColor(colour));
    painter_.drawText(QRect(left, top, right - left, bottom - top),
                      Qt::AlignCenter | Qt::TextSingleLine | Qt::TextDontClip,
                      QString::fromStdString(text));
}

void TTextCanvas::Ellipse(int left, int top, int right, int bottom, TColor fill) {
    painter_.setPen(QPen(Qt::black, 1));
    painter_.setBrush(ToQColor(fill));
    // The outline runs inside the rectangle, as a filled ellipse of the old system's does.
    painter_.drawEllipse(QRectF(left + 0.5, top + 0.5, right - left - 1, bottom - top - 1));
    painter_.setBrush(Qt::NoBrush);
}

void TTextCanvas::Fill(TColor colour) {
    painter_.fillRect(image_.rect(), ToQColor(colour));
}

} // namespace muralto
