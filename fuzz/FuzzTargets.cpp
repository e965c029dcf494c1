#include "FuzzTargets.h"

#include "decor/OptList.h"
#include "effects/EffectList.h"

#include "buffer/MWBuf.h"
#include "buffer/StmList.h"
#include "compose/IconReader.h"
#include "compose/JpegCodec.h"
#include "platform/Services.h"
#include "platform/mtgdi/Bitmap.h"
#include "sources/SPIs.h"

#include <cstdlib>
#include <string>

using namespace muralto;

// A whole "BUFFERS.MWF": the outer container and the three buffers in it.
int FuzzBufferFile(const uint8_t* data, size_t size) {
    static const bool quiet = [] {
        Platform().prompt = std::make_unique<RecordingPrompt>();
        return true;
    }();
    (void)quiet;
    TMemoryStream source(std::string(reinterpret_cast<const char*>(data), size));
    try {
        TStreamList outer;
        outer.LoadFromStream(source);
        TFileBuffer wallpapers;
        TWaveBuffer sounds;
        TTextuerBuffer textures;
        wallpapers.LoadFromStream(outer.Streams(0));
        sounds.LoadFromStream(outer.Streams(1));
        textures.LoadFromStream(outer.Streams(2));
        TMemoryStream again;
        wallpapers.SaveToStream(again);
    } catch (const std::exception&) {
    }
    return 0;
}

int FuzzPatternFile(const uint8_t* data, size_t size) {
    const std::string bytes(reinterpret_cast<const char*>(data), size);
    TCalenderList calendars("");
    TAnnoList dates;
    TDrawNameList names;
    TEffectList effects(std::make_unique<TEffectLibrary>(std::vector<std::string>{}));
    for (TOptionList* list :
         {static_cast<TOptionList*>(&calendars), static_cast<TOptionList*>(&dates),
          static_cast<TOptionList*>(&names), static_cast<TOptionList*>(&effects)}) {
        TMemoryStream source(bytes);
        try {
            list->LoadFromStream(source);
        } catch (const std::exception&) {
        }
        TMemoryStream again;
        list->SaveToStream(again);
    }
    return 0;
}

int FuzzBitmapFile(const uint8_t* data, size_t size) {
    MTBitmap* bitmap = nullptr;
    if (mtgdi_read_bmp(data, size, &bitmap) == MT_OK) {
        BitmapPtr owned(bitmap);
        BitmapPtr converted(mtgdi_convert(bitmap, MT_PF24));
        uint8_t* bytes = nullptr;
        size_t written = 0;
        if (mtgdi_write_bmp(converted.get(), &bytes, &written) == MT_OK)
            mtgdi_free_memory(bytes);
    }
    return 0;
}

// A JPEG, read whole and read scaled to a wallpaper while it is decoded.
int FuzzJpegFile(const uint8_t* data, size_t size) {
    BitmapPtr bitmap;
    std::string why;
    DecodeJpeg(data, size, TLoadHint{}, bitmap, why);
    TLoadHint hint;
    hint.fitWidth = 64;
    hint.fitHeight = 48;
    hint.fit = [](int, int, int& w, int& h) {
        w = 64;
        h = 48;
        return true;
    };
    DecodeJpeg(data, size, hint, bitmap, why);
    return 0;
}

int FuzzIconFile(const uint8_t* data, size_t size) {
    BitmapPtr bitmap;
    std::string why;
    DecodeIcon(data, size, bitmap, why);
    return 0;
}

#ifdef FUZZ_PLUGIN
// The plug-in comes from MURALTO_PLUGIN_DIR when set, else from the build's program folder.
int FuzzPlugin(const uint8_t* data, size_t size) {
    static const std::unique_ptr<TSPI> plugin = [] {
        const char* folder = std::getenv("MURALTO_PLUGIN_DIR");
        return TSPI::Create(std::string(folder ? folder : FUZZ_PLUGIN_DIR) + "/" + FUZZ_PLUGIN);
    }();
    BitmapPtr bitmap;
    std::string why;
    ReadBytesThroughPlugins("fuzz.input", std::string(reinterpret_cast<const char*>(data), size),
                            bitmap, why, plugin.get());
    return 0;
}
#endif
