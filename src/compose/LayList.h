#pragma once
// Layers: the only blending in the program. A layer is drawn on a target skipping the
// pixels of its key colour and blending the rest as
// (Alpha * target + (255 - Alpha) * layer) / 255, so Alpha 0 covers and 255 leaves the
// target as it was.
#include "platform/mtgdi/Bitmap.h"

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

namespace muralto {

class TLayerList;

class TLayer {
public:
    // Raises without an owner.
    explicit TLayer(TLayerList* owner);
    void Assign(const TLayer& source);
    // Mode 0: Alpha := value; mode 1: value is a percentage; other modes: nothing.
    void SetAlpha(int mode, int value);
    void SetPosition(int left, int top) {
        Left = left;
        Top = top;
    }
    // Blends the layer onto the target (made 32 bits per pixel); only the overlap.
    void Draw(BitmapPtr& target);

    bool Visible = true;
    uint8_t Alpha = 0;
    bool Transparent = true;
    BitmapPtr Bitmap;
    uint32_t TransparentColor = 0xFFFFFF;
    TLayerList* Owner;
    std::string Name;
    int32_t Left = 0, Top = 0;
};

class TLayerList {
public:
    TLayer& Add(std::unique_ptr<TLayer> layer = nullptr);
    void AddLayers(int count);
    void Clear() { layers_.clear(); }
    int Count() const { return int(layers_.size()); }
    TLayer& Items(int index) const { return *layers_.at(size_t(index)); }
    void Assign(const TLayerList& source);
    // Layer 0 as the background, every further visible layer drawn on it in order.
    void Flatten(BitmapPtr& target);

private:
    std::vector<std::unique_ptr<TLayer>> layers_;
};

} // namespace muralto
