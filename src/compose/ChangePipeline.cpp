#include "ChangePipeline.h"

#include "decor/OptList.h"
#include "effects/EffectList.h"

#include "buffer/MWBuf.h"
#include "core/CmdParam.h"
#include "core/Errors.h"
#include "platform/Paths.h"
#include "platform/Random.h"
#include "platform/Services.h"
#include "settings/Options.h"

namespace muralto {

namespace {

struct DecorationFields {
    uint8_t type;
    const std::string* pattern;
    uint8_t defaultType;
    const std::string* defaultPattern;
};

DecorationFields FieldsOf(TDecorationKind kind, const TDataInf& data) {
    TSetting& s = Setting();
    switch (kind) {
    case dkFileName:
        return {data.Data.DrawFileNameType, &data.DrawFileNamePattern,
                s.GetDefaultDrawFileNameType(), &s.DefaultDrawFileNamePattern};
    case dkAnnoDomini:
        return {data.Data.AnnoDominiType, &data.AnnoDominiPattern, s.GetDefaultAnnoDominiType(),
                &s.DefaultAnnoDominiPattern};
    default:
        return {data.Data.CalenderType, &data.CalenderPattern, s.GetDefaultCalenderType(),
                &s.DefaultCalenderPattern};
    }
}

template <class List>
void RunRandom(List& list, BitmapPtr& bitmap, void (List::*byIndex)(int, BitmapPtr&)) {
    const int n = list.Count();
    if (n > 1)
        (list.*byIndex)(Random(n), bitmap);
    else if (n == 1)
        (list.*byIndex)(0, bitmap);
}

// A screen saver or a maximised window holds a timed change back when the options say so.
bool DesktopBusy() {
    TSetting& s = Setting();
    return (s.SystemBool(sbNoChangeScreenSaver) && DeskTop().DesktopBusy(0)) ||
           (s.SystemBool(sbNoChangeMaximized) && DeskTop().DesktopBusy(1));
}

} // namespace

std::string TChangePipeline::WallpaperPath() {
    return WritableProgramFolder() + "Wallpaper.bmp";
}

int PlacementOf(int showStyle) {
    switch (showStyle & 0x7F) {
    case 1:
    case 3:
        return 0;
    case 4:
        return Random(2);
    default:
        return 1;
    }
}

TColor TransparentKey(const MTBitmap* image, const TDataInf& data) {
    const int w = mtgdi_width(image), h = mtgdi_height(image);
    switch (data.Data.TransPos) {
    case 0:
        return RgbToColor(mtgdi_get_pixel(image, 0, h - 1));
    case 1:
        return RgbToColor(mtgdi_get_pixel(image, 0, 0));
    case 2:
        return RgbToColor(mtgdi_get_pixel(image, w - 1, h - 1));
    case 3:
        return RgbToColor(mtgdi_get_pixel(image, w - 1, 0));
    default:
        return data.Data.TransparentColor;
    }
}

bool TChangePipeline::DecorationAvailable(TDecorationKind kind, const TDataInf& data) const {
    const TDecorationList* list = Decorations[size_t(kind)];
    if (!list)
        return false;
    const DecorationFields f = FieldsOf(kind, data);
    switch (f.type) {
    case 1:
        return list->IndexOfName(*f.pattern) != -1;
    case 2:
        return list->Count() > 0;
    case 3:
        if (f.defaultType == 1)
            return list->IndexOfName(*f.defaultPattern) != -1;
        return f.defaultType == 2 && list->Count() > 0;
    default:
        return false;
    }
}

void TChangePipeline::DrawDecoration(TDecorationKind kind, const TDataInf& data, BitmapPtr& image) {
    TDecorationList* list = Decorations[size_t(kind)];
    if (!list)
        return;
    const DecorationFields f = FieldsOf(kind, data);
    auto random = [&] { RunRandom(*list, image, &TDecorationList::DrawByIndex); };
    switch (f.type) {
    case 1:
        list->DrawByName(*f.pattern, image);
        break;
    case 2:
        random();
        break;
    case 3:
        if (f.defaultType == 1)
            list->DrawByName(f.pattern->empty() ? *f.defaultPattern : *f.pattern, image);
        else if (f.defaultType == 2)
            random();
        break;
    default:
        break;
    }
}

bool TChangePipeline::EffectsWouldRun(const TDataInf& data) const {
    if (data.Data.Brightness != 0 || data.Data.Contrast != 0)
        return true;
    if (!Effects)
        return false;
    switch (data.Data.EffectType) {
    case 1:
        return !data.EffectPattern.empty();
    case 2:
    case 3:
        return true;
    case 4:
        return Setting().GetDefaultEffectType() != 0;
    default:
        return false;
    }
}

void TChangePipeline::ApplyEffects(BitmapPtr& bitmap, const TDataInf& data) {
    AdjustBrightnessContrast(bitmap, data.Data.Contrast, data.Data.Brightness);
    if (!Effects)
        return;
    TSetting& s = Setting();
    const std::string& named = data.EffectPattern;
    const std::string& chosen = named.empty() ? s.DefaultEffectPattern : named;
    switch (data.Data.EffectType) {
    case 1:
        if (!named.empty())
            Effects->RunEffectByName(named, bitmap);
        break;
    case 2:
        Effects->RunPatternByName(named, bitmap);
        break;
    case 3:
        RunRandom(*Effects, bitmap, &TEffectRunner::RunPattern);
        break;
    case 4:
        switch (s.GetDefaultEffectType()) {
        case 1:
            Effects->RunEffectByName(chosen, bitmap);
            break;
        case 2:
            Effects->RunPatternByName(chosen, bitmap);
            break;
        case 3:
            RunRandom(*Effects, bitmap, &TEffectRunner::RunPattern);
            break;
        default:
            break;
        }
        break;
    default:
        break;
    }
}

bool TChangePipeline::Compose(const std::string& fileName, TDataInf& data, BitmapPtr& image) {
    TSetting& s = Setting();
    // The show style is drawn first, so a picture that will only be shrunk can be decoded
    // smaller (unless effects want it at full size before the resize).
    int style = data.Data.ShowStyle;
    if (style == 4)
        style = Random(3);
    const bool resized = style == 2 || style == 3;
    // The resize style, random ones drawn now, so the reader can scale while decoding.
    int resizeStyle = data.Data.ResizeStyle == 0 ? s.DefaultResizeStyle : data.Data.ResizeStyle;
    if (resizeStyle == 4) {
        static const int styles[3] = {1, 2, 3};
        resizeStyle = styles[Random(3)];
    }
    TLoadHint hint;
    if (resized && resizeStyle != 0 && (s.EffectTiming != 0 || !EffectsWouldRun(data))) {
        const int W = DeskTop().DesktopSize(0), H = DeskTop().DesktopSize(3);
        hint.fitWidth = W;
        hint.fitHeight = H;
        hint.quality = s.Resize32Settiing ? 1 : 0;
        hint.fit = [resizeStyle, W, H](int w, int h, int& tw, int& th) {
            if (W < 1 || H < 1 || (resizeStyle == 3 && w <= W && h <= H))
                return false;
            if (resizeStyle == 1) {
                tw = W;
                th = H;
            } else {
                TGraphicServer::KeepAspectSize(w, h, W, H, tw, th);
            }
            return true;
        };
    }
    if (server_.LoadPicture(fileName, image, hint) != lrLoaded)
        return false;
    server_.ToBits24(image);
    const int timing = s.EffectTiming;
    if (timing == 0)
        ApplyEffects(image, data);
    if (resized)
        server_.ResizeForDesktop(image, resizeStyle);
    if (timing == 1)
        ApplyEffects(image, data);

    const bool calendar = DecorationAvailable(dkCalender, data);
    s.SetSystemBool(sbCalendarDrawn, calendar);
    const bool decorationsWanted = calendar || DecorationAvailable(dkFileName, data) ||
                                   DecorationAvailable(dkAnnoDomini, data);

    const bool randomTexture = data.Flag(difTexRandom);
    std::string textureName = data.TextuerFile;
    if (randomTexture) {
        try {
            textureName = TextuerBuffer().GetNext();
        } catch (const EAbort&) {
            textureName.clear();
        }
    }
    const TColor key = TransparentKey(image.get(), data);
    const int placement = PlacementOf(data.Data.ShowStyle);
    const bool transparent = data.Flag(difTransColor);

    BitmapPtr texture;
    if (server_.LoadPicture(textureName, texture) == lrLoaded) {
        server_.ToBits24(texture);
        if (decorationsWanted)
            server_.ComposeOverTexture(image, texture.get(), placement, transparent ? key : -1);
    } else {
        // A missing texture is forgotten, but only when it was the file's own: a name
        // drawn from the texture list says nothing about the file's setting.
        if (!randomTexture)
            data.TextuerFile.clear();
        texture.reset();
        if (transparent) {
            const TColor background =
                data.Flag(difBackGround) ? data.Data.BackColor : kDesktopColour;
            server_.ComposeOverColour(image, placement, background, key);
        } else if (data.Flag(difBackGround)) {
            server_.PlaceOnDesktop(image, placement, data.Data.BackColor);
        } else {
            server_.ComposeOverTexture(image, nullptr, placement, -1);
        }
    }
    server_.AdjustForTaskBar(image);
    if (timing == 2)
        ApplyEffects(image, data);

    if (TDecorationList* names = Decorations[dkFileName])
        names->SetFileName(fileName);
    DrawDecoration(dkFileName, data, image);
    DrawDecoration(dkAnnoDomini, data, image);
    DrawDecoration(dkCalender, data, image);
    if (timing == 3)
        ApplyEffects(image, data);

    server_.ToBits24(image);
    server_.FinishForDisplay(image, !s.SystemBool(sbReduceTo256));
    return true;
}

void TChangePipeline::Publish(const MTBitmap* image, const TDataInf& data, int mode) {
    const std::string path = WallpaperPath();
    SaveBitmapFile(image, path);
    if (mode == cmChange || mode == cmSilent) {
        const SetResult set = DeskTop().SetWallpaper(path);
        if (!set.ok)
            throw Exception("壁紙を設定できませんでした: " + set.reason);
    }
    if (mode == cmChange && Setting().SystemBool(sbPlaySound) && data.Data.PlaySound) {
        const bool wait = ParamOption().HasOption("/S");
        if (data.Flag(difSndRandom)) {
            try {
                WaveBuffer().PlayWave(WaveBuffer().GetNext(), wait);
            } catch (const EAbort&) {
            }
        } else if (!data.WaveFile.empty()) {
            WaveBuffer().PlayWave(data.WaveFile, wait);
        }
    }
    Setting().LastChangeTime = Platform().clock->Now();
    try {
        Setting().SaveLastChangeTime();
    } catch (const std::exception&) {
        // The wallpaper did change; the time is written again with the settings at exit.
    }
}

void TChangePipeline::MakeWallpaper(const std::string& fileName, int mode) {
    TFileBuffer& buffer = WallpaperBuffer();
    std::string name = fileName;
    bool retrying = false;
    // Every failed picture leaves the buffer, so the loop ends when the buffer does (with
    // the silent abort of GetNext) or earlier.
    const int turns = buffer.Count() + buffer.Remain.Count() + 2;
    for (int turn = 0;; ++turn) {
        try {
            if (turn > turns)
                throw EAbort();
            const int index = buffer.IndexOf(name);
            if (index < 0) {
                name = buffer.GetNext();
                continue;
            }
            TDataInf* data = buffer.Data(index);
            if (!data) {
                buffer.SetData(index, std::make_unique<TDataInf>(&buffer, InitialDataInfRec()));
                data = buffer.Data(index);
            }
            BitmapPtr image;
            if (Compose(name, *data, image)) {
                Publish(image.get(), *data, mode);
                return;
            }
            buffer.Remove(name);
            // The retry is a guarded change: it yields to a screen saver or a maximised
            // window, and its own failures are not the caller's.
            retrying = true;
            if (DesktopBusy())
                return;
            name = buffer.GetNext();
        } catch (...) {
            if (retrying)
                return;
            throw;
        }
    }
}

void TChangePipeline::ChangeWallpaper(bool guarded) {
    try {
        if (guarded && DesktopBusy())
            return;
        MakeWallpaper(WallpaperBuffer().GetNext(), cmChange);
    } catch (...) {
        // A change that fails is dropped; the next tick tries again.
    }
}

TChangePipeline& Pipeline() {
    static TChangePipeline pipeline;
    static const bool connected = [] {
        pipeline.Decorations = {&DrawNameList(), &AnnoList(), &CalenderList()};
        pipeline.Effects = &EffectList();
        return true;
    }();
    (void)connected;
    return pipeline;
}

} // namespace muralto
