#include "Sound.h"

#include <cstdio>

namespace muralto {

void SilentSoundPlayer::Play(const std::string& path, bool) {
    static bool told = false;
    if (!told) {
        std::fprintf(stderr, "Muralto: no sound output available; not playing %s\n", path.c_str());
        told = true;
    }
}

} // namespace muralto
