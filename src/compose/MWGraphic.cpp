#include "MWGraphic.h"

#include "IconReader.h"
#include "JpegCodec.h"
#include "LayList.h"
#include "Resize32.h"
#include "core/CmdParam.h"
#include "core/Errors.h"
#include "platform/Files.h"
#include "platform/Paths.h"
#include "platform/Random.h"
#include "platform/Text.h"
#include "settings/Options.h"

#include <QBuffer>
#include <QImage>

#include <algorithm>
#include <cmath>
#include <cstring>
#include <memory>

namespace muralto {

namespace {

int ReadBmp(const std::string& path, const TLoadHint&, BitmapPtr& bitmap, std::string& why) {
    bitmap = ReadBitmapFile(path, why);
    return bitmap ? MT_OK : MT_ERR_DAMAGED;
}

int BytesPerPixel(const MTBitmap* b) {
    return mtgdi_bits_per_pixel(b) / 8;
}

std::string Folded(const std::string& text) {
    std::string out = text;
    for (char& c : out)
        if (c >= 'A' && c <= 'Z')
            c = char(c - 'A' + 'a');
    return out;
}

ScreenSize ScreenOf() {
    return {DeskTop().DesktopSize(2), DeskTop().DesktopSize(5)};
}

int Quality() {
    return Setting().Resize32Settiing ? 1 : 0;
}

} // namespace

namespace {
const size_t kBuiltInFormats = 5;

std::vector<TPictureFormat>& Registry() {
    static std::vector<TPictureFormat> formats = {
        {"bmp", &ReadBmp},  {"ico", &ReadIcon},  {"cur", &ReadIcon},
        {"jpg", &ReadJpeg}, {"jpeg", &ReadJpeg},
    };
    return formats;
}
} // namespace

const std::vector<TPictureFormat>& TGraphicServer::Formats() {
    return Registry();
}

void TGraphicServer::RegisterPictureFormat(const std::string& extension,
                                           const TPictureFormat& format) {
    const std::string lower = Folded(extension);
    for (const TPictureFormat& f : Registry())
        if (f.extension == lower)
            return;
    Registry().push_back({lower, format.read});
}

void TGraphicServer::UnregisterPluginFormats() {
    Registry().resize(kBuiltInFormats);
}

std::string TGraphicServer::FormatMask() {
    std::string mask;
    for (const TPictureFormat& format : Formats()) {
        if (!mask.empty())
            mask += ';';
        mask += "*." + format.extension;
    }
    return mask;
}

uint8_t TGraphicServer::LoadPicture(const std::string& fileName, BitmapPtr& bitmap,
                                    const TLoadHint& hint) const {
    lastError_.clear();
    if (!FileExists(fileName))
        return lrMissing;
    const std::string extension = UpperAscii(ExtensionOf(fileName));
    for (const TPictureFormat& format : Formats()) {
        if (UpperAscii(format.extension) != extension)
            continue;
        try {
            BitmapPtr loaded;
            if (format.read(fileName, hint, loaded, lastError_) != MT_OK || !loaded) {
                if (lastError_.empty())
                    lastError_ = "the picture could not be decoded";
                return lrUnreadable;
            }
            // A picture without pixels is no picture.
            if (mtgdi_width(loaded.get()) < 1 || mtgdi_height(loaded.get()) < 1) {
                lastError_ = "the picture has no pixels";
                return lrUnreadable;
            }
            bitmap = std::move(loaded);
            return lrLoaded;
        } catch (const std::exception& e) {
            lastError_ = e.what();
            return lrUnreadable;
        }
    }
    lastError_ = "no reader for files ending in ." + ExtensionOf(fileName);
    return lrUnreadable;
}

BitmapPtr Converted(const MTBitmap* bitmap, int format) {
    BitmapPtr converted(mtgdi_convert(bitmap, format));
    if (!converted)
        throw Exception("ビットマップを変換できません（メモリ不足）。");
    return converted;
}

void ConvertTo(BitmapPtr& bitmap, int format) {
    if (bitmap && mtgdi_format(bitmap.get()) != format)
        bitmap = Converted(bitmap.get(), format);
}

void TGraphicServer::ToBits24(BitmapPtr& bitmap) const {
    ConvertTo(bitmap, MT_PF24);
}

// ---------------------------------------------------------------- resize

void TGraphicServer::ResizeForDesktop(BitmapPtr& bitmap, int resizeStyle) const {
    const int w = DeskTop().DesktopSize(0), h = DeskTop().DesktopSize(3);
    if (w < 1 || h < 1 || !bitmap)
        return; // no desktop to fit
    switch (resizeStyle) {
    case 0: {
        const int fallback = Setting().DefaultResizeStyle;
        if (fallback != 0)
            ResizeForDesktop(bitmap, fallback);
        break;
    }
    case 1:
        ScaleExact(bitmap, w, h, Quality());
        break;
    case 2:
        ScaleKeepAspect(bitmap, w, h, Quality());
        break;
    case 3:
        if (mtgdi_width(bitmap.get()) > w || mtgdi_height(bitmap.get()) > h)
            ScaleKeepAspect(bitmap, w, h, Quality());
        break;
    case 4: {
        static const int styles[3] = {1, 2, 3};
        ResizeForDesktop(bitmap, styles[Random(3)]);
        break;
    }
    default:
        break;
    }
}

void TGraphicServer::ScaleExact(BitmapPtr& bitmap, int width, int height, int quality) const {
    width = std::max(1, width);
    height = std::max(1, height);
    if (mtgdi_width(bitmap.get()) == width && mtgdi_height(bitmap.get()) == height)
        return;
    ToBits24(bitmap);
    TResize scaler;
    if (scaler.Resize(bitmap, width, height, quality))
        return;
    BitmapPtr stretched = StretchNearest(bitmap.get(), width, height);
    if (!stretched)
        throw Exception("ビットマップを拡大縮小できません（メモリ不足）。");
    bitmap = std::move(stretched);
}

void TGraphicServer::KeepAspectSize(int bw, int bh, int W, int H, int& outW, int& outH) {
    outW = bw;
    outH = bh;
    if (bw < 1 || bh < 1 || (bw == W && bh == H))
        return;
    const double r = double(bh) / bw;
    const int widthForH = std::max(1, int(H / r));
    const int heightForW = std::max(1, int(r * W));
    if (bw == W || bh == H) {
        // A picture that already fits one side is only ever made smaller.
        if (bh == H && W < bw) {
            outW = W;
            outH = heightForW;
        }
        if (outW == W && H < outH) {
            outW = widthForH;
            outH = H;
        }
        return;
    }
    const bool landscape = r <= 1;
    int cw = landscape ? W : widthForH, ch = landscape ? heightForW : H;
    if (cw == W && H < heightForW) {
        cw = widthForH;
        ch = H;
    } else if (ch == H && W < widthForH) {
        cw = W;
        ch = heightForW;
    }
    outW = std::max(1, cw);
    outH = std::max(1, ch);
}

void TGraphicServer::ScaleKeepAspect(BitmapPtr& bitmap, int width, int height, int quality) const {
    int w, h;
    KeepAspectSize(mtgdi_width(bitmap.get()), mtgdi_height(bitmap.get()), width, height, w, h);
    ToBits24(bitmap);
    ScaleExact(bitmap, w, h, quality);
}

// ---------------------------------------------------------------- placement

void TGraphicServer::TileToDesktop(BitmapPtr& bitmap) const {
    const ScreenSize screen = ScreenOf();
    if (screen.width < 1 || screen.height < 1 || !bitmap)
        return;
    const int format = mtgdi_format(bitmap.get());
    const bool direct = format == MT_PF24 || format == MT_PF32;
    BitmapPtr source = direct ? nullptr : Converted(bitmap.get(), MT_PF24);
    const MTBitmap* picture = direct ? bitmap.get() : source.get();
    BitmapPtr canvas(mtgdi_create(screen.width, screen.height, mtgdi_format(picture)));
    if (!canvas)
        throw Exception("ビットマップを作成できません（メモリ不足）。");
    const int bw = mtgdi_width(picture), bh = mtgdi_height(picture);
    // One band of tiles across, then every further row is a copy of the row a tile
    // height above it: the same picture as drawing each tile, with long copies.
    for (int i = 0; i <= (screen.width - 1) / bw; ++i)
        DrawBitmap(canvas.get(), picture, i * bw, 0);
    const size_t rowBytes = size_t(mtgdi_stride(canvas.get()));
    for (int y = bh; y < screen.height; ++y)
        std::memcpy(mtgdi_scanline(canvas.get(), y), mtgdi_scanline(canvas.get(), y - bh),
                    rowBytes);
    bitmap = std::move(canvas);
}

void TGraphicServer::CentreOnDesktop(BitmapPtr& bitmap, const MTBitmap* texture,
                                     TColor colour) const {
    const ScreenSize screen = ScreenOf();
    if (screen.width < 1 || screen.height < 1 || !bitmap)
        return;
    ToBits24(bitmap);
    BitmapPtr canvas;
    if (texture) {
        const int format = mtgdi_format(texture) == MT_PF32 ? MT_PF32 : MT_PF24;
        canvas = Converted(texture, format);
        TileToDesktop(canvas);
    } else {
        canvas = SolidBitmap(screen.width, screen.height, MT_PF24, colour);
    }
    int x = (mtgdi_width(canvas.get()) - mtgdi_width(bitmap.get())) / 2;
    int y = (mtgdi_height(canvas.get()) - mtgdi_height(bitmap.get())) / 2;
    TDeskTop& desk = DeskTop();
    if (desk.Calculation() == ctWorkArea && desk.TaskBar().BarTakesSpace()) {
        const int edge = desk.TaskBar().BarEdge();
        if (edge == 0 || edge == 3)
            y -= desk.TaskBar().BarHeight() / 2;
        else
            x -= desk.TaskBar().BarWidth() / 2;
    }
    DrawBitmap(canvas.get(), bitmap.get(), x, y);
    bitmap = std::move(canvas);
}

void TGraphicServer::PlaceOnDesktop(BitmapPtr& bitmap, int placement, TColor background) const {
    ToBits24(bitmap);
    if (placement == 0)
        TileToDesktop(bitmap);
    else if (placement == 1)
        CentreOnDesktop(bitmap, nullptr, background);
}

void TGraphicServer::ComposeOverTexture(BitmapPtr& bitmap, const MTBitmap* texture, int placement,
                                        int64_t transparentKey) const {
    ToBits24(bitmap);
    const bool keyed = texture && transparentKey >= 0;
    // With a key the work is done on 32-bit canvases, the blending's own format, so no
    // screen-size picture is converted on the way.
    BitmapPtr tiled = texture ? Converted(texture, keyed ? MT_PF32 : MT_PF24) : nullptr;
    if (placement == 0)
        TileToDesktop(bitmap);
    else if (placement == 1)
        CentreOnDesktop(bitmap, tiled.get(), kDesktopColour);
    if (!keyed)
        return;
    // The placed picture as a keyed layer over the tiled texture.
    TLayerList layers;
    TLayer& layer = layers.Add();
    layer.Bitmap = std::move(bitmap);
    layer.Transparent = true;
    layer.TransparentColor = TColor(transparentKey);
    TileToDesktop(tiled);
    layer.Draw(tiled);
    bitmap = std::move(tiled);
}

void TGraphicServer::ComposeOverColour(BitmapPtr& bitmap, int placement, TColor background,
                                       int64_t transparentKey) const {
    ToBits24(bitmap);
    const ScreenSize screen = ScreenOf();
    if (screen.width < 1 || screen.height < 1)
        return;
    TLayerList layers;
    TLayer& layer = layers.Add();
    layer.Bitmap = std::move(bitmap);
    BitmapPtr canvas = SolidBitmap(screen.width, screen.height, MT_PF24, background);
    // Centred, the margins take the key colour, so the background shows through them.
    if (placement == 0)
        TileToDesktop(layer.Bitmap);
    else if (placement == 1)
        CentreOnDesktop(layer.Bitmap, nullptr, TColor(transparentKey));
    layer.Transparent = true;
    layer.TransparentColor = TColor(transparentKey);
    layer.Draw(canvas);
    bitmap = std::move(canvas);
}

void TGraphicServer::AdjustForTaskBar(BitmapPtr& bitmap) const {
    TDeskTop& desk = DeskTop();
    if (desk.Calculation() != ctWorkArea || !desk.TaskBar().BarTakesSpace() || !bitmap)
        return;
    TTaskBar& bar = desk.TaskBar();
    ToBits24(bitmap);
    switch (bar.BarEdge()) {
    case 0: {
        const ScreenSize screen = ScreenOf();
        BitmapPtr canvas = SolidBitmap(screen.width, screen.height, MT_PF24, kDesktopColour);
        DrawBitmap(canvas.get(), bitmap.get(), 0, bar.BarHeight());
        bitmap = std::move(canvas);
        break;
    }
    case 1: {
        BitmapPtr canvas(
            mtgdi_create(mtgdi_width(bitmap.get()), mtgdi_height(bitmap.get()), MT_PF24));
        DrawBitmap(canvas.get(), bitmap.get(), bar.BarWidth(), 0);
        FillRect(canvas.get(), 0, 0, bar.BarWidth(), bar.BarHeight(), kDesktopColour);
        bitmap = std::move(canvas);
        break;
    }
    default:
        break;
    }
}

void TGraphicServer::FinishForDisplay(BitmapPtr& bitmap, bool keepColours) const {
    if (!bitmap)
        return;
    const ScreenSize screen = ScreenOf();
    const int w = mtgdi_width(bitmap.get()), h = mtgdi_height(bitmap.get());
    if (screen.width > 0 && screen.height > 0 && (w > screen.width || h > screen.height)) {
        BitmapPtr cropped(mtgdi_create(std::min(w, screen.width), std::min(h, screen.height),
                                       mtgdi_format(bitmap.get())));
        if (!cropped)
            throw Exception("ビットマップを作成できません（メモリ不足）。");
        if (uint32_t* palette = mtgdi_palette(cropped.get()))
            std::memcpy(palette, mtgdi_palette(bitmap.get()),
                        size_t(mtgdi_palette_size(bitmap.get())) * 4);
        DrawBitmap(cropped.get(), bitmap.get(), 0, 0);
        bitmap = std::move(cropped);
    }
    const bool deep = mtgdi_bits_per_pixel(bitmap.get()) >= 15;
    if (!keepColours || (DeskTop().GetColorDepth() <= 8 && deep)) {
        ToBits24(bitmap);
        BitmapPtr reduced = ReduceTo236Colours(bitmap.get());
        if (!reduced)
            throw Exception("色数を減らせませんでした。");
        bitmap = std::move(reduced);
    }
}

// ---------------------------------------------------------------- pixels

void AdjustBrightnessContrast(BitmapPtr& bitmap, int contrast, int brightness) {
    if ((contrast == 0 && brightness == 0) || !bitmap)
        return;
    if (mtgdi_format(bitmap.get()) != MT_PF32)
        bitmap = Converted(bitmap.get(), MT_PF32);
    // One table for all bytes: v -> clamp(round(clamp(v + b) + (v - 127.5) * c / 100)).
    uint8_t table[256];
    for (int v = 0; v < 256; ++v) {
        const int t = std::clamp(v + brightness, 0, 255);
        const double value = t + (v - 127.5) * contrast / 100.0;
        table[v] = uint8_t(std::clamp(std::nearbyint(value), 0.0, 255.0));
    }
    const int w = mtgdi_width(bitmap.get()), h = mtgdi_height(bitmap.get());
    for (int y = 0; y < h; ++y) {
        uint8_t* p = mtgdi_scanline(bitmap.get(), y);
        for (int x = 0; x < w; ++x, p += 4) {
            p[0] = table[p[0]];
            p[1] = table[p[1]];
            p[2] = table[p[2]];
        }
    }
}

BitmapPtr SolidBitmap(int width, int height, int format, TColor colour) {
    BitmapPtr b(mtgdi_create(width, height, format));
    if (!b)
        throw Exception("ビットマップを作成できません（メモリ不足）。");
    FillRect(b.get(), 0, 0, width, height, colour);
    return b;
}

void FillRect(MTBitmap* target, int left, int top, int right, int bottom, TColor colour) {
    const int bpp = BytesPerPixel(target);
    left = std::max(0, left);
    top = std::max(0, top);
    right = std::min(right, mtgdi_width(target));
    bottom = std::min(bottom, mtgdi_height(target));
    if (left >= right || top >= bottom || bpp < 3)
        return;
    const uint8_t pixel[4] = {uint8_t(colour >> 16), uint8_t(colour >> 8), uint8_t(colour), 0};
    uint8_t* first = mtgdi_scanline(target, top) + left * bpp;
    for (int x = 0; x < right - left; ++x)
        std::memcpy(first + x * bpp, pixel, size_t(bpp));
    for (int y = top + 1; y < bottom; ++y)
        std::memcpy(mtgdi_scanline(target, y) + left * bpp, first, size_t((right - left) * bpp));
}

void DrawBitmap(MTBitmap* target, const MTBitmap* source, int x, int y) {
    const int bpp = BytesPerPixel(target);
    BitmapPtr converted;
    if (mtgdi_format(source) != mtgdi_format(target)) {
        converted = Converted(source, mtgdi_format(target));
        source = converted.get();
    }
    const int x0 = std::max(0, x), y0 = std::max(0, y);
    const int x1 = std::min(mtgdi_width(target), x + mtgdi_width(source));
    const int y1 = std::min(mtgdi_height(target), y + mtgdi_height(source));
    if (x0 >= x1 || y0 >= y1)
        return;
    if (bpp < 1) { // bit-packed rows: pixel by pixel through the colour table
        return;
    }
    for (int row = y0; row < y1; ++row)
        std::memcpy(mtgdi_scanline(target, row) + x0 * bpp,
                    mtgdi_scanline_const(source, row - y) + (x0 - x) * bpp,
                    size_t((x1 - x0) * bpp));
}

void SaveBitmapFile(const MTBitmap* bitmap, const std::string& path) {
    uint8_t* bytes = nullptr;
    size_t size = 0;
    const int rc = mtgdi_write_bmp(bitmap, &bytes, &size);
    if (rc != MT_OK)
        throw Exception(path + ": " + mtgdi_error_text(rc));
    std::unique_ptr<uint8_t, void (*)(void*)> owned(bytes, mtgdi_free_memory);
    WriteFileAtomically(path, std::string_view(reinterpret_cast<const char*>(bytes), size));
}

void SavePngFile(const MTBitmap* bitmap, const std::string& path) {
    BitmapPtr rgb = Converted(bitmap, MT_PF24);
    QImage image(mtgdi_scanline_const(rgb.get(), 0), mtgdi_width(rgb.get()),
                 mtgdi_height(rgb.get()), mtgdi_stride(rgb.get()), QImage::Format_BGR888);
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    if (!image.save(&buffer, "PNG"))
        throw Exception(path + ": the PNG could not be made");
    WriteFileAtomically(path, std::string_view(bytes.constData(), size_t(bytes.size())));
}

} // namespace muralto
