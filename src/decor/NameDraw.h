#pragma once
// The name of the picture that became the wallpaper, drawn by the date's text renderer
// with the file-name pattern's style and a smaller shadow.
#include "ADDraw.h"

namespace muralto {

class TDrawFileName {
public:
    explicit TDrawFileName(TDrawNameItem& item) : item_(item) {}
    void Draw(BitmapPtr& bitmap, const std::string& path);
    void DrawSample(BitmapPtr& bitmap, const std::string& path);
    TRect32 GetBounds(const std::string& path);
    // The whole path, or its name, without the last extension when asked.
    std::string TextOf(const std::string& path) const;

private:
    TTextDraw Renderer();
    TDrawNameItem& item_;
};

} // namespace muralto
