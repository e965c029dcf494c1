// A small plug-in for the host's tests. It announces "*.jpg;*.mag", reads files that start
// with "MAG!" as a 2 x 1 picture (red, blue), answers "GARBAGE" files with an information
// block shorter than its header says, and records what the host handed it.
#include "susie/spi.h"

#include <cstring>

namespace {
intptr_t lastLength = -1;
int lastPadding = -1; // how many zero bytes followed the data in the header buffer
const char* const kInfo[] = {"00IN", "test plug-in", "*.jpg;*.mag", "Test pictures"};
} // namespace

extern "C" {

SPI_EXPORT intptr_t TestLastLength() {
    return lastLength;
}
SPI_EXPORT int TestLastPadding() {
    return lastPadding;
}

SPI_EXPORT int32_t GetPluginInfo(int32_t number, char* buffer, int32_t length) {
    if (number < 0 || number > 3 || length < 1)
        return 0;
    std::strncpy(buffer, kInfo[number], size_t(length - 1));
    buffer[length - 1] = 0;
    return int32_t(std::strlen(buffer));
}

SPI_EXPORT int32_t IsSupported(const char*, const void* header) {
    const auto* h = static_cast<const unsigned char*>(header);
    int zeros = 0;
    for (int i = 2047; i >= 0 && h[i] == 0; --i)
        ++zeros;
    lastPadding = zeros;
    return std::memcmp(h, "MAG!", 4) == 0 || std::memcmp(h, "GARBAGE", 7) == 0;
}

SPI_EXPORT int32_t GetPictureInfo(const char*, intptr_t length, uint32_t, SpiPictureInfo* info) {
    lastLength = length;
    std::memset(info, 0, sizeof *info);
    info->width = 2;
    info->height = 1;
    info->colorDepth = 24;
    return SPI_SUCCESS;
}

SPI_EXPORT int32_t GetPicture(const char* data, intptr_t, uint32_t, MTLocalHandle* info,
                              MTLocalHandle* bits, SpiProgressCallback, intptr_t) {
    // "GARBAGE" and a letter picks the wrong answer: a short information block (none), no
    // bits block (n), a bit count no bitmap has (b), the lowest height (h), a width far
    // beyond the bits (w).
    const char garbage = std::memcmp(data, "GARBAGE", 7) == 0 ? (data[7] ? data[7] : ' ') : 0;
    *info = mtgdi_local_alloc(garbage == ' ' ? 20 : 40, 1);
    *bits = garbage == 'n' ? nullptr : mtgdi_local_alloc(8, 1);
    auto* h = static_cast<unsigned char*>(mtgdi_local_lock(*info));
    h[0] = 40;
    h[4] = 2;
    h[8] = garbage == ' ' ? 0 : 1;
    h[12] = 1;
    h[14] = garbage == 'b' ? 7 : 24;
    if (garbage == 'h')
        h[11] = 0x80; // height -2147483647 - 1
    if (garbage == 'w')
        h[7] = 0x7F;
    mtgdi_local_unlock(*info);
    if (!*bits)
        return SPI_SUCCESS;
    auto* p = static_cast<unsigned char*>(mtgdi_local_lock(*bits));
    const unsigned char row[8] = {0, 0, 255, 255, 0, 0, 0, 0}; // red, blue (BGR)
    std::memcpy(p, row, 8);
    mtgdi_local_unlock(*bits);
    return SPI_SUCCESS;
}

} // extern "C"
