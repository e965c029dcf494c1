// The JPEG XL import plug-in: bare code streams and containers, the first frame, turned
// as the file says, transparency laid on white.
#include "susie/common/SpiCommon.h"

#include <jxl/decode.h>
#include <jxl/thread_parallel_runner.h>

#include <memory>

namespace {

const char* const kInfo[] = {"00IN", "JPEG XL import plug-in of Muralto (libjxl)", "*.jxl",
                             "JPEG XL"};

bool IsJxl(const void* header) {
    const auto* h = static_cast<const uint8_t*>(header);
    static const uint8_t container[12] = {0,   0,   0,    0x0C, 'J',  'X',
                                          'L', ' ', 0x0D, 0x0A, 0x87, 0x0A};
    return (h[0] == 0xFF && h[1] == 0x0A) || std::memcmp(h, container, sizeof container) == 0;
}

// libjxl and its thread pool, opened at the first picture.
#define JXL_FUNCTIONS(F)                                                                           \
    F(JxlDecoderCreate)                                                                            \
    F(JxlDecoderDestroy)                                                                           \
    F(JxlDecoderSubscribeEvents)                                                                   \
    F(JxlDecoderSetParallelRunner)                                                                 \
    F(JxlDecoderSetInput)                                                                          \
    F(JxlDecoderCloseInput)                                                                        \
    F(JxlDecoderProcessInput)                                                                      \
    F(JxlDecoderGetBasicInfo)                                                                      \
    F(JxlDecoderImageOutBufferSize)                                                                \
    F(JxlDecoderSetImageOutBuffer)
#define JXL_THREAD_FUNCTIONS(F)                                                                    \
    F(JxlThreadParallelRunner)                                                                     \
    F(JxlThreadParallelRunnerCreate)                                                               \
    F(JxlThreadParallelRunnerDefaultNumWorkerThreads)

struct Api {
#define SPI_DECLARE(name) decltype(&::name) name = nullptr;
    JXL_FUNCTIONS(SPI_DECLARE)
    JXL_THREAD_FUNCTIONS(SPI_DECLARE)
#undef SPI_DECLARE
    // The runner lives as long as the plug-in: making its threads for each picture costs.
    void* runner = nullptr;
};

const Api* Jxl() {
    struct Loaded {
        spi::LazyLibrary library{MURALTO_JXL_SONAME};
        spi::LazyLibrary threads{MURALTO_JXL_THREADS_SONAME};
        Api api;
        bool ok = true;
        Loaded() {
#define SPI_BIND(name) ok = ok && library.Bind(api.name, #name);
            JXL_FUNCTIONS(SPI_BIND)
#undef SPI_BIND
#define SPI_BIND(name) ok = ok && threads.Bind(api.name, #name);
            JXL_THREAD_FUNCTIONS(SPI_BIND)
#undef SPI_BIND
            if (ok)
                api.runner = api.JxlThreadParallelRunnerCreate(
                    nullptr, api.JxlThreadParallelRunnerDefaultNumWorkerThreads());
        }
    };
    static Loaded loaded;
    return loaded.ok ? &loaded.api : nullptr;
}

struct Release {
    void operator()(JxlDecoder* d) const { Jxl()->JxlDecoderDestroy(d); }
};

bool Decode(const char* data, intptr_t length, uint32_t& width, uint32_t& height,
            std::vector<uint8_t>* bgra) {
    if (length < 12 || !IsJxl(data))
        return false;
    const Api* jxl = Jxl();
    if (!jxl)
        return false;
    std::unique_ptr<JxlDecoder, Release> decoder(jxl->JxlDecoderCreate(nullptr));
    void* const runner = jxl->runner;
    const int events = JXL_DEC_BASIC_INFO | (bgra ? JXL_DEC_FULL_IMAGE : 0);
    if (!decoder || jxl->JxlDecoderSubscribeEvents(decoder.get(), events) != JXL_DEC_SUCCESS ||
        (runner && jxl->JxlDecoderSetParallelRunner(decoder.get(), jxl->JxlThreadParallelRunner,
                                                    runner) != JXL_DEC_SUCCESS) ||
        jxl->JxlDecoderSetInput(decoder.get(), reinterpret_cast<const uint8_t*>(data),
                                size_t(length)) != JXL_DEC_SUCCESS)
        return false;
    jxl->JxlDecoderCloseInput(decoder.get());
    const JxlPixelFormat format{4, JXL_TYPE_UINT8, JXL_NATIVE_ENDIAN, 0};
    for (;;) {
        switch (jxl->JxlDecoderProcessInput(decoder.get())) {
        case JXL_DEC_BASIC_INFO: {
            JxlBasicInfo info;
            if (jxl->JxlDecoderGetBasicInfo(decoder.get(), &info) != JXL_DEC_SUCCESS)
                return false;
            // Turned a quarter, the picture's sides swap.
            const bool turned = info.orientation >= JXL_ORIENT_TRANSPOSE;
            width = turned ? info.ysize : info.xsize;
            height = turned ? info.xsize : info.ysize;
            if (!spi::SizeAllowed(width, height))
                return false;
            if (!bgra)
                return true;
            break;
        }
        case JXL_DEC_NEED_IMAGE_OUT_BUFFER: {
            size_t size = 0;
            if (jxl->JxlDecoderImageOutBufferSize(decoder.get(), &format, &size) !=
                    JXL_DEC_SUCCESS ||
                size != size_t(width) * height * 4)
                return false;
            bgra->resize(size);
            if (jxl->JxlDecoderSetImageOutBuffer(decoder.get(), &format, bgra->data(), size) !=
                JXL_DEC_SUCCESS)
                return false;
            break;
        }
        case JXL_DEC_FULL_IMAGE:
            for (size_t i = 0; i + 3 < bgra->size(); i += 4)
                std::swap((*bgra)[i], (*bgra)[i + 2]); // RGBA to BGRA
            return true;
        default: // an error, input ending early, or an image with no frame
            return false;
        }
    }
}

} // namespace

SPI_IMPORT_PLUGIN(kInfo, IsJxl, Decode)
