// The HEIF import plug-in: HEIC and AVIF pictures (the primary image, turned as the file
// says, transparency laid on white).
#include "susie/common/SpiCommon.h"

#include <libheif/heif.h>

#include <memory>

namespace {

const char* const kInfo[] = {"00IN",          "HEIF import plug-in of Muralto (libheif)",
                             "*.heic;*.heif", "High Efficiency Image File Format",
                             "*.avif",        "AV1 Image File Format"};

// An ISO base media file whose "ftyp" box names a still-image brand.
bool IsHeif(const void* header) {
    const auto* h = static_cast<const char*>(header);
    if (std::memcmp(h + 4, "ftyp", 4) != 0)
        return false;
    static const char* const brands[] = {"heic", "heix", "hevc", "hevx", "heim",
                                         "heis", "mif1", "msf1", "avif", "avis"};
    for (const char* brand : brands)
        if (std::memcmp(h + 8, brand, 4) == 0)
            return true;
    return false;
}

// libheif, opened at the first picture. Its registries live from then to the plug-in's
// unloading, so that they are given back when the host lets the plug-in go.
#define HEIF_FUNCTIONS(F)                                                                          \
    F(heif_init)                                                                                   \
    F(heif_deinit)                                                                                 \
    F(heif_context_alloc)                                                                          \
    F(heif_context_free)                                                                           \
    F(heif_context_read_from_memory_without_copy)                                                  \
    F(heif_context_get_primary_image_handle)                                                       \
    F(heif_image_handle_get_width)                                                                 \
    F(heif_image_handle_get_height)                                                                \
    F(heif_image_handle_release)                                                                   \
    F(heif_decode_image)                                                                           \
    F(heif_image_get_width)                                                                        \
    F(heif_image_get_height)                                                                       \
    F(heif_image_get_plane_readonly)                                                               \
    F(heif_image_release)

struct Api {
#define SPI_DECLARE(name) decltype(&::name) name = nullptr;
    HEIF_FUNCTIONS(SPI_DECLARE)
#undef SPI_DECLARE
};

const Api* Heif() {
    struct Loaded {
        spi::LazyLibrary library{MURALTO_HEIF_SONAME};
        Api api;
        bool ok = true;
        Loaded() {
#define SPI_BIND(name) ok = ok && library.Bind(api.name, #name);
            HEIF_FUNCTIONS(SPI_BIND)
#undef SPI_BIND
            if (ok)
                api.heif_init(nullptr);
        }
        ~Loaded() {
            if (ok)
                api.heif_deinit();
        }
    };
    static Loaded loaded;
    return loaded.ok ? &loaded.api : nullptr;
}

struct Release {
    void operator()(heif_context* c) const { Heif()->heif_context_free(c); }
    void operator()(heif_image_handle* h) const { Heif()->heif_image_handle_release(h); }
    void operator()(heif_image* i) const { Heif()->heif_image_release(i); }
};
template <typename T> using Owned = std::unique_ptr<T, Release>;

bool Decode(const char* data, intptr_t length, uint32_t& width, uint32_t& height,
            std::vector<uint8_t>* bgra) {
    if (length < 16 || !IsHeif(data))
        return false;
    const Api* heif = Heif();
    if (!heif)
        return false;
    Owned<heif_context> context(heif->heif_context_alloc());
    heif_image_handle* rawHandle = nullptr;
    if (!context ||
        heif->heif_context_read_from_memory_without_copy(context.get(), data, size_t(length),
                                                         nullptr)
                .code != heif_error_Ok ||
        heif->heif_context_get_primary_image_handle(context.get(), &rawHandle).code !=
            heif_error_Ok)
        return false;
    Owned<heif_image_handle> handle(rawHandle);
    width = uint32_t(std::max(0, heif->heif_image_handle_get_width(handle.get())));
    height = uint32_t(std::max(0, heif->heif_image_handle_get_height(handle.get())));
    if (!spi::SizeAllowed(width, height))
        return false;
    if (!bgra)
        return true;
    heif_image* rawImage = nullptr;
    if (heif->heif_decode_image(handle.get(), &rawImage, heif_colorspace_RGB,
                                heif_chroma_interleaved_RGBA, nullptr)
            .code != heif_error_Ok)
        return false;
    Owned<heif_image> image(rawImage);
    const int w = heif->heif_image_get_width(image.get(), heif_channel_interleaved);
    const int h = heif->heif_image_get_height(image.get(), heif_channel_interleaved);
    int stride = 0;
    const uint8_t* rows =
        heif->heif_image_get_plane_readonly(image.get(), heif_channel_interleaved, &stride);
    if (!rows || !spi::SizeAllowed(uint32_t(std::max(w, 0)), uint32_t(std::max(h, 0))) ||
        stride < w * 4)
        return false;
    width = uint32_t(w);
    height = uint32_t(h);
    bgra->resize(size_t(width) * height * 4);
    for (uint32_t y = 0; y < height; ++y) {
        const uint8_t* src = rows + size_t(y) * size_t(stride);
        uint8_t* dst = bgra->data() + size_t(y) * width * 4;
        for (uint32_t x = 0; x < width; ++x, src += 4, dst += 4) {
            dst[0] = src[2];
            dst[1] = src[1];
            dst[2] = src[0];
            dst[3] = src[3];
        }
    }
    return true;
}

} // namespace

SPI_IMPORT_PLUGIN(kInfo, IsHeif, Decode)
