#pragma once
// The effect libraries of the run: found beside the program and in the system folder,
// loaded once, their effects kept in one table addressed by display name or position.
#include "core/Errors.h"
#include "platform/SharedLibrary.h"
#include "platform/mtgdi/Bitmap.h"
#include "plugins/common/EffectFunc.h"

#include <functional>
#include <memory>
#include <string>
#include <vector>

namespace muralto {

// A failure an effect library passed on, with its message.
class EEffectError : public Exception {
public:
    using Exception::Exception;
};

class TEffectLibrary {
public:
    // Scans the program folder, then the system folder.
    TEffectLibrary();
    // Scans the given folders in order (tests, tools).
    explicit TEffectLibrary(const std::vector<std::string>& folders);
    ~TEffectLibrary() { UnloadAll(); }
    TEffectLibrary(const TEffectLibrary&) = delete;
    TEffectLibrary& operator=(const TEffectLibrary&) = delete;

    int LibraryCount() const { return int(libraries_.size()); }
    // GETLIBINFO kind 1; empty without one.
    std::string LibraryTitle(int index) const;
    std::string LibraryPath(int index) const;
    int EffectCount() const { return int(effects_.size()); }
    std::string EffectName(int index) const;
    std::string EffectExportName(int index) const;
    // The path of the library of an effect.
    std::string EffectLibraryPath(int index) const;
    // The first effect of that display name, ASCII case ignored; -1 when none.
    int IndexOfEffect(const std::string& name) const;

    // Runs an effect on the bitmap in place. An index out of range raises the list error;
    // a failure the library passes on raises EEffectError. A library that hands back no
    // bitmap of ours leaves the picture as it was.
    void RunEffect(int index, BitmapPtr& bitmap);
    // Nothing for an unknown name.
    void RunEffectByName(const std::string& name, BitmapPtr& bitmap);

    void ScanFolder(const std::string& folder);
    void LoadLibraries(const std::vector<std::string>& paths);
    // Registers the effects of the libraries loaded since the last call; a library
    // without the two information exports, or whose GETLIBINFO(0) is not 0, is unloaded.
    void RegisterEffects();
    void DropMissing();
    void UnloadAll();

    std::function<void(TEffectLibrary& sender)> OnChange;
    // Percent done and an abort flag the handler may set; passed to the libraries only
    // when assigned (the program assigns none).
    std::function<void(uint16_t percent, bool& abort)> OnProgress;

    // More than this many effects in one library is taken for a broken library.
    static constexpr int kMaxEffects = 4096;

private:
    struct Library {
        std::unique_ptr<SharedLibrary> module;
        bool registered = false;
    };
    struct Effect {
        std::string name, exportName;
        EglEffect entry = nullptr;
        const SharedLibrary* library = nullptr;
    };
    bool Register(Library& library);

    std::vector<Library> libraries_;
    std::vector<Effect> effects_;
};

} // namespace muralto
