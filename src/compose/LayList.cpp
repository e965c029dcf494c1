#include "LayList.h"

#include "MWGraphic.h"
#include "core/Errors.h"

#include <algorithm>
#include <cstring>

namespace muralto {

TLayer::TLayer(TLayerList* owner) : Bitmap(mtgdi_create(1, 1, MT_PF32)), Owner(owner) {
    if (!owner)
        throw Exception("nilをオーナーにする事はできません。\r\n"
                        "オーナーにTLayerListのインスタンスを指定してください。");
}

void TLayer::Assign(const TLayer& source) {
    Visible = source.Visible;
    Alpha = source.Alpha;
    Transparent = source.Transparent;
    Bitmap.reset(source.Bitmap ? mtgdi_clone(source.Bitmap.get()) : nullptr);
    TransparentColor = source.TransparentColor;
    Name = source.Name;
    Left = source.Left;
    Top = source.Top;
}

void TLayer::SetAlpha(int mode, int value) {
    if (mode == 0)
        Alpha = uint8_t(std::clamp(value, 0, 255));
    else if (mode == 1)
        Alpha = uint8_t(std::clamp(value * 255 / 100, 0, 255));
}

void TLayer::Draw(BitmapPtr& target) {
    if (!Bitmap || !target)
        return;
    const int tw = mtgdi_width(target.get()), th = mtgdi_height(target.get());
    const int lw = mtgdi_width(Bitmap.get()), lh = mtgdi_height(Bitmap.get());
    const int x0 = std::max(0, Left), y0 = std::max(0, Top);
    const int x1 = std::min(tw, Left + lw), y1 = std::min(th, Top + lh);
    if (x0 >= x1 || y0 >= y1)
        return;
    ConvertTo(target, MT_PF32);
    ConvertTo(Bitmap, MT_PF32);
    // The key as the bytes of a 32-bit pixel: blue, green, red.
    const uint32_t key = ((TransparentColor & 0xFF) << 16) | (TransparentColor & 0xFF00) |
                         ((TransparentColor >> 16) & 0xFF);
    const uint32_t a = Alpha, b = 255 - Alpha;
    for (int y = y0; y < y1; ++y) {
        auto* d = reinterpret_cast<uint32_t*>(mtgdi_scanline(target.get(), y)) + x0;
        const auto* s =
            reinterpret_cast<const uint32_t*>(mtgdi_scanline(Bitmap.get(), y - Top)) + (x0 - Left);
        const int n = x1 - x0;
        for (int x = 0; x < n; ++x) {
            const uint32_t sp = s[x] & 0xFFFFFF;
            if (Transparent && sp == key)
                continue;
            if (a == 0) {
                d[x] = (d[x] & 0xFF000000u) | sp;
                continue;
            }
            const uint32_t dp = d[x];
            uint32_t out = dp & 0xFF000000u;
            for (int shift = 0; shift < 24; shift += 8) {
                const uint32_t dv = (dp >> shift) & 0xFF, sv = (sp >> shift) & 0xFF;
                out |= ((a * dv + b * sv) / 255) << shift;
            }
            d[x] = out;
        }
    }
}

TLayer& TLayerList::Add(std::unique_ptr<TLayer> layer) {
    if (!layer)
        layer = std::make_unique<TLayer>(this);
    layers_.push_back(std::move(layer));
    return *layers_.back();
}

void TLayerList::AddLayers(int count) {
    layers_.reserve(layers_.size() + size_t(std::max(0, count)));
    for (int i = 0; i < count; ++i)
        Add();
}

void TLayerList::Assign(const TLayerList& source) {
    if (&source == this)
        return;
    Clear();
    for (int i = 0; i < source.Count(); ++i)
        Add().Assign(source.Items(i));
}

void TLayerList::Flatten(BitmapPtr& target) {
    if (layers_.empty())
        return;
    target.reset(mtgdi_clone(layers_[0]->Bitmap.get()));
    ConvertTo(target, MT_PF32);
    for (size_t i = 1; i < layers_.size(); ++i)
        if (layers_[i]->Visible)
            layers_[i]->Draw(target);
}

} // namespace muralto
