#include "EffectLib.h"

#include "platform/FolderListing.h"
#include "platform/Paths.h"
#include "platform/Text.h"

#include <algorithm>
#include <cstring>

namespace muralto {

namespace {

// The host's 256-byte buffer with size 255, in a larger block, so a library that writes
// past what it was allowed harms nothing, and its text ends at 255 bytes whatever it did.
class TextBuffer {
public:
    char* Data() { return bytes_; }
    std::string Text() const { return FromStored(std::string(bytes_, strnlen(bytes_, 255))); }

private:
    char bytes_[4096] = {};
};

// The library being called, for the progress trampoline.
thread_local TEffectLibrary* calling = nullptr;

int32_t Progress(int32_t percent, int32_t* abortFlag) {
    bool abort = false;
    if (calling && calling->OnProgress)
        calling->OnProgress(uint16_t(percent), abort);
    if (abortFlag)
        *abortFlag = abort ? -1 : 0;
    return 0;
}

} // namespace

TEffectLibrary::TEffectLibrary() : TEffectLibrary({ProgramFolder(), SystemFolder()}) {}

TEffectLibrary::TEffectLibrary(const std::vector<std::string>& folders) {
    for (const std::string& folder : folders)
        ScanFolder(folder);
    RegisterEffects();
}

void TEffectLibrary::ScanFolder(const std::string& given) {
    const std::string folder = given.empty() || given.back() == '/' ? given : given + "/";
    std::vector<std::string> paths;
    for (const FolderEntry& entry : ListFolder(folder)) {
        if (entry.folder || !SameTextAscii(ExtensionOf(entry.name), "egl"))
            continue;
        // A library of the same file name was found first, in an earlier folder.
        const bool loaded =
            std::any_of(libraries_.begin(), libraries_.end(),
                        [&](const Library& l) { return NameOf(l.module->Path()) == entry.name; });
        if (!loaded)
            paths.push_back(folder + entry.name);
    }
    LoadLibraries(paths);
}

void TEffectLibrary::LoadLibraries(const std::vector<std::string>& paths) {
    for (const std::string& path : paths) {
        std::string why;
        if (auto module = SharedLibrary::Open(path, why))
            libraries_.push_back({std::move(module), false});
    }
}

bool TEffectLibrary::Register(Library& library) {
    const SharedLibrary& module = *library.module;
    const auto info = reinterpret_cast<EglGetLibInfo>(module.Symbol("GETLIBINFO"));
    const auto exportOf = reinterpret_cast<EglIndexOfName>(module.Symbol("INDEXOFNAME"));
    if (!info || !exportOf || info(0, nullptr, 0) != 0)
        return false;
    const int32_t count = info(2, nullptr, 0);
    if (count > kMaxEffects)
        return false;
    for (int32_t k = 1; k <= count; ++k) {
        TextBuffer display, exported;
        info(k + 2, display.Data(), 255);
        exportOf(k, exported.Data(), 255);
        const std::string exportName = exported.Text();
        void* entry = exportName.empty() ? nullptr : module.Symbol(exportName.c_str());
        if (!entry)
            continue; // an effect without its function is left out, name and all
        effects_.push_back(
            {display.Text(), exportName, reinterpret_cast<EglEffect>(entry), &module});
        if (OnChange)
            OnChange(*this);
    }
    return true;
}

void TEffectLibrary::RegisterEffects() {
    for (size_t i = 0; i < libraries_.size();) {
        Library& library = libraries_[i];
        if (library.registered) {
            ++i;
            continue;
        }
        library.registered = true;
        if (Register(library))
            ++i;
        else
            libraries_.erase(libraries_.begin() + long(i));
    }
}

void TEffectLibrary::DropMissing() {
    effects_.erase(std::remove_if(effects_.begin(), effects_.end(),
                                  [](const Effect& e) { return e.entry == nullptr; }),
                   effects_.end());
}

void TEffectLibrary::UnloadAll() {
    effects_.clear();
    libraries_.clear();
}

std::string TEffectLibrary::LibraryTitle(int index) const {
    const SharedLibrary& module = *libraries_.at(size_t(index)).module;
    const auto info = reinterpret_cast<EglGetLibInfo>(module.Symbol("GETLIBINFO"));
    if (!info)
        return {};
    TextBuffer text;
    info(1, text.Data(), 255);
    return text.Text();
}

std::string TEffectLibrary::LibraryPath(int index) const {
    return libraries_.at(size_t(index)).module->Path();
}

std::string TEffectLibrary::EffectName(int index) const {
    return effects_.at(size_t(index)).name;
}

std::string TEffectLibrary::EffectExportName(int index) const {
    return effects_.at(size_t(index)).exportName;
}

std::string TEffectLibrary::EffectLibraryPath(int index) const {
    return effects_.at(size_t(index)).library->Path();
}

int TEffectLibrary::IndexOfEffect(const std::string& name) const {
    for (size_t i = 0; i < effects_.size(); ++i)
        if (SameTextAscii(effects_[i].name, name))
            return int(i);
    return -1;
}

void TEffectLibrary::RunEffect(int index, BitmapPtr& bitmap) {
    if (index < 0 || index >= EffectCount())
        throw EListError("リストのインデックスが範囲を超えています (" + std::to_string(index) +
                         ")");
    if (!bitmap)
        return;
    const Effect& effect = effects_[size_t(index)];
    // The library takes over a copy, so whatever it does with it or hands back, the
    // picture stays valid until a bitmap of ours comes back.
    MTBitmap* handle = mtgdi_clone(bitmap.get());
    if (!handle)
        throw Exception("エフェクトの画像を用意できません（メモリ不足）。");
    TEffectLibrary* const previous = calling;
    calling = this;
    const int32_t result = effect.entry(nullptr, &handle, OnProgress ? Progress : nullptr);
    calling = previous;
    if (mtgdi_is_bitmap(handle))
        bitmap.reset(handle);
    if (result == EGL_FAILED) {
        std::string message = "エフェクト「" + effect.name + "」が失敗しました";
        if (const auto lastError =
                reinterpret_cast<EglLastError>(effect.library->Symbol("GETLASTERROR"))) {
            TextBuffer text;
            lastError(text.Data(), 255);
            if (!text.Text().empty())
                message += ": " + text.Text();
        }
        throw EEffectError(message);
    }
}

void TEffectLibrary::RunEffectByName(const std::string& name, BitmapPtr& bitmap) {
    const int index = IndexOfEffect(name);
    if (index >= 0)
        RunEffect(index, bitmap);
}

} // namespace muralto
