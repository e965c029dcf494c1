#include "SPIs.h"

#include "platform/SharedLibrary.h"

#include "compose/MWGraphic.h"
#include "platform/Files.h"
#include "platform/FolderListing.h"
#include "platform/Paths.h"
#include "platform/Registry.h"
#include "platform/Text.h"
#include "settings/Options.h"

#include <unistd.h>

#include <algorithm>
#include <cstring>

namespace muralto {

namespace {

TSPIs* instance = nullptr;

// Only regular files that are shared objects for this machine are loaded as plug-ins.

bool MatchesPattern(const std::string& pattern, const std::string& name) {
    // "*" and "?" as a file search has them, without regard to ASCII case.
    size_t p = 0, n = 0, star = std::string::npos, mark = 0;
    while (n < name.size()) {
        if (p < pattern.size() &&
            (pattern[p] == '?' || FoldAscii(pattern[p]) == FoldAscii(name[n]))) {
            ++p;
            ++n;
        } else if (p < pattern.size() && pattern[p] == '*') {
            star = p++;
            mark = n;
        } else if (star != std::string::npos) {
            p = star + 1;
            n = ++mark;
        } else {
            return false;
        }
    }
    while (p < pattern.size() && pattern[p] == '*')
        ++p;
    return p == pattern.size();
}

std::string WithSlash(std::string folder) {
    if (!folder.empty() && folder.back() != '/')
        folder += '/';
    return folder;
}

uint32_t U32(const uint8_t* p) {
    return uint32_t(p[0]) | (uint32_t(p[1]) << 8) | (uint32_t(p[2]) << 16) | (uint32_t(p[3]) << 24);
}

// The bitmap a plug-in handed back: its information block (a 40-byte header and colour
// table) and its bits. Every size is checked against the blocks' real sizes.
BitmapPtr BuildBitmap(MTLocalHandle infoBlock, MTLocalHandle bitsBlock) {
    const size_t infoSize = mtgdi_local_size(infoBlock), bitsSize = mtgdi_local_size(bitsBlock);
    if (infoSize < 40)
        return nullptr;
    const auto* info = static_cast<const uint8_t*>(mtgdi_local_lock(infoBlock));
    const auto* bits = static_cast<const uint8_t*>(mtgdi_local_lock(bitsBlock));
    const int64_t width = int32_t(U32(info + 4));
    const int64_t height = int32_t(U32(info + 8));
    const int bitCount = info[14] | (info[15] << 8);
    uint64_t colours = U32(info + 32);
    if (colours == 0)
        colours = bitCount == 1 ? 2 : bitCount == 4 ? 16 : bitCount == 8 ? 256 : 0;
    if (bitCount <= 8)
        colours = std::min<uint64_t>(colours, uint64_t(1) << bitCount);
    else
        colours = 0;
    const uint64_t absHeight = uint64_t(height < 0 ? -height : height);
    const uint64_t imageSize =
        ((uint64_t(bitCount) * uint64_t(width > 0 ? width : 0) + 31) / 32) * 4 * absHeight;
    BitmapPtr result;
    if (width > 0 && absHeight > 0 && 40 + 4 * colours <= infoSize && imageSize <= bitsSize &&
        imageSize <= uint64_t(MTGDI_MAX_24BIT_BYTES) * 2) {
        std::string file(14, '\0');
        file[0] = 'B';
        file[1] = 'M';
        const uint64_t offset = 54 + 4 * colours;
        const uint64_t total = offset + imageSize;
        for (int i = 0; i < 4; ++i) {
            file[size_t(2 + i)] = char(total >> (8 * i));
            file[size_t(10 + i)] = char(offset >> (8 * i));
        }
        file.append(reinterpret_cast<const char*>(info), size_t(40 + 4 * colours));
        // The header may claim a larger size of its own: the bitmap reader takes 40.
        file[14] = 40;
        file[15] = file[16] = file[17] = 0;
        file.append(reinterpret_cast<const char*>(bits), size_t(imageSize));
        MTBitmap* raw = nullptr;
        if (mtgdi_read_bmp(reinterpret_cast<const uint8_t*>(file.data()), file.size(), &raw) ==
            MT_OK)
            result.reset(raw);
    }
    mtgdi_local_unlock(infoBlock);
    mtgdi_local_unlock(bitsBlock);
    return result;
}

// What a plug-in's progress calls reach: the reader's handler, and whether it asked to stop.
struct ProgressState {
    const SpiProgress* handler = nullptr;
    bool stopped = false;
};

// The callback handed to GetPicture: 1 to 99 percent to the handler; 1 asks the plug-in to
// stop when the handler wants the reading ended.
int32_t ReportProgress(int32_t current, int32_t total, intptr_t userData) {
    auto* state = reinterpret_cast<ProgressState*>(userData);
    if (!state || !state->handler)
        return 0;
    const int64_t percent = total > 0 ? (int64_t(current) * 98 + total / 2) / total + 1 : 1;
    if ((*state->handler)(int(std::clamp<int64_t>(percent, 1, 99))))
        state->stopped = true;
    return state->stopped ? 1 : 0;
}

// One attempt of one plug-in on a block of data.
BitmapPtr TryPlugin(TSPI& plugin, const std::string& path, const char* data, size_t size,
                    ProgressState& progress) {
    std::vector<char> header(2048, 0);
    std::memcpy(header.data(), data, std::min<size_t>(size, 2048));
    if (!plugin.IsSupported(path.c_str(), header.data()))
        return nullptr;
    // A block shorter than the header is handed over padded; its length stays real.
    const char* block = size < 2048 ? header.data() : data;
    SpiPictureInfo info{};
    if (plugin.GetPictureInfo(block, intptr_t(size), SPI_INPUT_MEMORY, &info) == SPI_SUCCESS &&
        info.hInfo)
        mtgdi_local_free(info.hInfo);
    MTLocalHandle infoBlock = nullptr, bitsBlock = nullptr;
    const int32_t rc = plugin.GetPicture(block, intptr_t(size), SPI_INPUT_MEMORY, &infoBlock,
                                         &bitsBlock, ReportProgress, intptr_t(&progress));
    BitmapPtr bitmap;
    if (rc == SPI_SUCCESS && infoBlock && bitsBlock)
        bitmap = BuildBitmap(infoBlock, bitsBlock);
    mtgdi_local_free(infoBlock);
    mtgdi_local_free(bitsBlock);
    return bitmap;
}

} // namespace

// ---------------------------------------------------------------- TSPI

TSPI::~TSPI() = default;

std::unique_ptr<TSPI> TSPI::Create(const std::string& path) {
    std::unique_ptr<TSPI> plugin(new TSPI);
    plugin->Load(path, {"GetPluginInfo"});
    // The interface version decides what else a plug-in must have.
    if (plugin->version_ == "00IN")
        plugin->Load(path, {"GetPluginInfo", "IsSupported", "GetPictureInfo", "GetPicture"});
    else if (plugin->version_ == "00AM")
        plugin->Load(path,
                     {"GetPluginInfo", "IsSupported", "GetArchiveInfo", "GetFileInfo", "GetFile"});
    return plugin;
}

void TSPI::Load(const std::string& path, const std::vector<const char*>& required) {
    if (!library_) {
        std::string why;
        if (!(library_ = SharedLibrary::Open(path, why)))
            throw ESPIFOpenErrorSPI(path + ":Susie Pluginがロードできませんでした");
        module_ = RealFolder(path);
    }
    for (const char* name : required)
        if (!library_->Symbol(name))
            throw ESPIInvalidAPI(std::string(name) + "は[" + module_ +
                                 "]では使えないSusie Plugin APIです");
    IsSupported = reinterpret_cast<SpiIsSupported>(library_->Symbol("IsSupported"));
    GetPictureInfo = reinterpret_cast<SpiGetPictureInfo>(library_->Symbol("GetPictureInfo"));
    GetPicture = reinterpret_cast<SpiGetPicture>(library_->Symbol("GetPicture"));
    auto info = reinterpret_cast<SpiGetPluginInfo>(library_->Symbol("GetPluginInfo"));
    auto text = [&](int number) {
        char buffer[256] = {};
        const int32_t n = info(number, buffer, 255);
        return n > 0 ? std::string(buffer, size_t(std::min(n, 255))) : std::string();
    };
    version_ = text(0);
    description_ = text(1);
    patterns_.clear();
    names_.clear();
    for (int n = 2;; n += 2) {
        const std::string pattern = text(n), name = text(n + 1);
        if (pattern.empty() || name.empty())
            break;
        patterns_.push_back(pattern);
        names_.push_back(name);
    }
}

// ---------------------------------------------------------------- TSPIs

TSPIs::TSPIs() {
    if (instance)
        throw ESPIDupCreateSPIs();
    instance = this;
}

TSPIs::~TSPIs() {
    UnloadAll();
    instance = nullptr;
}

TSPIs* TSPIs::Instance() {
    return instance;
}

void TSPIs::UnloadAll() {
    TGraphicServer::UnregisterPluginFormats();
    plugins_.clear();
}

int TSPIs::IndexOfFile(const std::string& moduleFileName) const {
    for (size_t i = 0; i < plugins_.size(); ++i)
        if (SameTextAscii(plugins_[i]->ModuleFileName(), moduleFileName))
            return int(i);
    return -1;
}

void TSPIs::Add(std::unique_ptr<TSPI> plugin) {
    TSPI& added = *plugin;
    plugins_.push_back(std::move(plugin));
    if (!added.IsImport())
        return;
    for (size_t i = 0; i < added.Patterns().size(); ++i) {
        const std::string& text = added.Patterns()[i];
        size_t start = 0;
        while (start <= text.size()) {
            size_t end = text.find(';', start);
            if (end == std::string::npos)
                end = text.size();
            const std::string pattern = text.substr(start, end - start);
            const size_t dot = pattern.find('.');
            const std::string extension =
                dot == std::string::npos ? pattern : pattern.substr(dot + 1);
            if (!extension.empty() &&
                (!OnPictureRegister || OnPictureRegister(added, extension, added.FormatNames()[i])))
                TGraphicServer::RegisterPictureFormat(
                    extension, {extension, [](const std::string& path, const TLoadHint&,
                                              BitmapPtr& bitmap, std::string& why) {
                                    return ReadThroughPlugins(path, bitmap, why);
                                }});
            start = end + 1;
        }
    }
}

void TSPIs::SearchFolder(const std::string& folder, const std::string& pattern) {
    const std::string base = WithSlash(folder);
    const std::string real = WithSlash(RealFolder(base));
    std::vector<std::string> found;
    for (const FolderEntry& e : ListFolder(base)) {
        if (e.folder || !MatchesPattern(pattern, e.name))
            continue;
        // A link that leads out of the searched folder is not followed.
        const std::string target = RealFolder(base + e.name);
        if (target.rfind(real, 0) != 0 || IndexOfFile(target) >= 0)
            continue;
        found.push_back(base + e.name);
    }
    for (const std::string& path : found) {
        try {
            if (IndexOfFile(RealFolder(path)) >= 0)
                continue;
            Add(TSPI::Create(path));
        } catch (const ESPIFOpenErrorSPI&) {
        } catch (const ESPIInvalidAPI&) {
        }
    }
}

void TSPIs::LoadPlugins(const std::string& mask) {
    const size_t slash = mask.rfind('/');
    if (slash != std::string::npos) {
        SearchFolder(mask.substr(0, slash + 1), mask.substr(slash + 1));
        return;
    }
    const std::string program = ProgramFolder();
    std::vector<std::string> folders;
    if (SearchOptions & (1u << spsSusieDir)) {
        try {
            const auto value = SettingsRegistry().ReadValue(
                RegistryRoot::CurrentUser, "Software\\Oriel\\Susie\\Plug-in", "Path");
            if (value && value->type == ValueType::String && !value->data.empty())
                folders.push_back(FromStored(value->data));
        } catch (const RegistryError&) {
        }
    }
    if (SearchOptions & (1u << spsAppDir))
        folders.push_back(program);
    if (SearchOptions & (1u << spsCurrentDir)) {
        // Code is only loaded from the current folder when it is one of ours anyway.
        char cwd[4096];
        if (getcwd(cwd, sizeof cwd)) {
            const std::string current = WithSlash(RealFolder(cwd));
            if (current == WithSlash(RealFolder(program)) ||
                (!PluginFolder.empty() && current == WithSlash(RealFolder(PluginFolder))))
                folders.push_back(current);
        }
    }
    if (SearchOptions & (1u << spsSystemDir))
        folders.push_back(SystemFolder());
    if (SearchOptions & (1u << spsWindowsDir))
        folders.push_back(UserDataFolder());
    if (!PluginFolder.empty())
        folders.push_back(PluginFolder);
    for (const std::string& folder : folders)
        SearchFolder(folder, mask);
}

std::vector<TSPI*> TSPIs::FindReaders(const std::string& fileName) const {
    const std::string extension = ExtensionOf(fileName);
    std::vector<TSPI*> first, later;
    for (const auto& plugin : plugins_) {
        if (!plugin->IsImport())
            continue;
        bool announced = false;
        for (const std::string& text : plugin->Patterns()) {
            size_t start = 0;
            while (start <= text.size() && !announced) {
                size_t end = text.find(';', start);
                if (end == std::string::npos)
                    end = text.size();
                const std::string pattern = text.substr(start, end - start);
                const size_t dot = pattern.find('.');
                announced =
                    dot != std::string::npos && SameTextAscii(pattern.substr(dot + 1), extension);
                start = end + 1;
            }
        }
        (announced ? first : later).push_back(plugin.get());
    }
    first.insert(first.end(), later.begin(), later.end());
    return first;
}

bool SPIs1PictureRegister(TSPI&, const std::string& extension, const std::string&) {
    static const char* const refused[] = {"JPG", "JPEG", "PCD",  "MOV", "AVI",
                                          "MPG", "MPEG", "WAVE", "MP3"};
    const std::string upper = UpperAscii(extension);
    for (const char* r : refused)
        if (upper == r)
            return false;
    return true;
}

TSPIs& LoadPictureLoaders() {
    // The format registry is made first, so it outlives the host, which unregisters its
    // formats when the program ends.
    TGraphicServer::Formats();
    static TSPIs host;
    if (host.Count() > 0)
        return host;
    const TSetting& s = Setting();
    // Bits of "SusiePluginLoad": 0 Susie's folder, 1 the program folder, 2 the Windows
    // folder, 3 the system folder, 4 "PluginFolder".
    host.SearchOptions = (1u << spsAppDir);
    if (s.SusiePluginLoadBit(0))
        host.SearchOptions |= 1u << spsSusieDir;
    if (s.SusiePluginLoadBit(2))
        host.SearchOptions |= 1u << spsWindowsDir;
    if (s.SusiePluginLoadBit(3))
        host.SearchOptions |= 1u << spsSystemDir;
    host.PluginFolder = s.SusiePluginLoadBit(4) ? s.PluginFolder : std::string();
    host.OnPictureRegister = SPIs1PictureRegister;
    host.LoadPlugins("*.spi");
    return host;
}

int ReadThroughPlugins(const std::string& path, BitmapPtr& bitmap, std::string& why, TSPI* only,
                       const SpiProgress* progress) {
    std::string bytes;
    if (!ReadPictureBytes(path, bytes, why))
        return MT_ERR_IO;
    return ReadBytesThroughPlugins(path, bytes, bitmap, why, only, progress);
}

int ReadBytesThroughPlugins(const std::string& path, const std::string& bytes, BitmapPtr& bitmap,
                            std::string& why, TSPI* only, const SpiProgress* progress) {
    ProgressState state{progress};
    if (progress && (*progress)(0))
        state.stopped = true;
    auto builtIn = [&] {
        MTBitmap* raw = nullptr;
        if (mtgdi_read_bmp(reinterpret_cast<const uint8_t*>(bytes.data()), bytes.size(), &raw) !=
            MT_OK)
            return false;
        bitmap.reset(raw);
        return true;
    };
    auto plugins = [&] {
        std::vector<TSPI*> readers;
        if (only)
            readers.push_back(only);
        else if (TSPIs* host = TSPIs::Instance())
            readers = host->FindReaders(path);
        for (TSPI* plugin : readers) {
            if (state.stopped || !plugin->IsSupported || !plugin->GetPicture)
                continue;
            BitmapPtr read = TryPlugin(*plugin, path, bytes.data(), bytes.size(), state);
            // Some files carry a 128-byte prefix before the picture.
            if (!read && !state.stopped && bytes.size() > 128)
                read = TryPlugin(*plugin, path, bytes.data() + 128, bytes.size() - 128, state);
            if (read) {
                bitmap = std::move(read);
                return true;
            }
        }
        return false;
    };
    const bool bmp = UpperAscii(ExtensionOf(path)) == "BMP" || ExtensionOf(path).empty();
    const bool read = bmp ? (builtIn() || plugins()) : (plugins() || builtIn());
    if (progress && !state.stopped)
        (*progress)(100);
    if (read && !state.stopped)
        return MT_OK;
    if (state.stopped) {
        bitmap.reset();
        why = "stopped";
        return MT_ERR_UNSUPPORTED;
    }
    why = "認識できない画像形式です";
    return MT_ERR_UNSUPPORTED;
}

} // namespace muralto
