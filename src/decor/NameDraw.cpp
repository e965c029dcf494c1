#include "NameDraw.h"

namespace muralto {

namespace {

// The directions of the file name's key-colour search, for the life of the process.
TKeyDirections& NameDirections() {
    static TKeyDirections directions;
    return directions;
}

} // namespace

std::string TDrawFileName::TextOf(const std::string& path) const {
    if (item_.Option(toFullPath))
        return path;
    std::string name = path.substr(path.find_last_of('/') + 1);
    if (item_.Option(toHideExtension)) {
        const size_t dot = name.rfind('.');
        if (dot != std::string::npos)
            name.resize(dot);
    }
    return name;
}

TTextDraw TDrawFileName::Renderer() {
    return TTextDraw(TextStyleOf(item_, 3), NameDirections());
}

void TDrawFileName::Draw(BitmapPtr& bitmap, const std::string& path) {
    Renderer().Draw(bitmap, TextOf(path));
}

void TDrawFileName::DrawSample(BitmapPtr& bitmap, const std::string& path) {
    Renderer().DrawSample(bitmap, TextOf(path));
}

TRect32 TDrawFileName::GetBounds(const std::string& path) {
    return Renderer().GetBounds(TextOf(path));
}

} // namespace muralto
