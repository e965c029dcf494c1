#pragma once
// The picture-loader plug-in host: finds and loads "*.spi" plug-ins, keeps them by kind,
// registers each import plug-in's extensions as picture formats, and reads pictures
// through them.
#include "core/Errors.h"
#include "platform/SharedLibrary.h"
#include "platform/mtgdi/Bitmap.h"
#include "susie/spi.h"

#include <functional>
#include <memory>
#include <string>
#include <vector>

namespace muralto {

class ESPIFOpenErrorSPI : public Exception {
public:
    using Exception::Exception;
};
class ESPIInvalidAPI : public Exception {
public:
    using Exception::Exception;
};
class ESPIDupCreateSPIs : public Exception {
public:
    ESPIDupCreateSPIs() : Exception("TSPIs は複数生成できません") {}
};

// One loaded plug-in; its kind follows its interface version.
class TSPI {
public:
    virtual ~TSPI();
    // Loads and checks a plug-in; raises ESPIFOpenErrorSPI or ESPIInvalidAPI.
    static std::unique_ptr<TSPI> Create(const std::string& path);

    const std::string& ModuleFileName() const { return module_; }
    const std::string& Version() const { return version_; }
    const std::string& Description() const { return description_; }
    const std::vector<std::string>& Patterns() const { return patterns_; }
    const std::vector<std::string>& FormatNames() const { return names_; }
    bool IsImport() const { return version_ == "00IN"; }

    SpiIsSupported IsSupported = nullptr;
    SpiGetPictureInfo GetPictureInfo = nullptr;
    SpiGetPicture GetPicture = nullptr;

protected:
    TSPI() = default;
    void Load(const std::string& path, const std::vector<const char*>& required);

private:
    std::unique_ptr<SharedLibrary> library_;
    std::string module_, version_, description_;
    std::vector<std::string> patterns_, names_;
};

enum TSPISearchOption { spsSusieDir, spsAppDir, spsCurrentDir, spsSystemDir, spsWindowsDir };

class TSPIs {
public:
    TSPIs(); // raises ESPIDupCreateSPIs for a second one
    ~TSPIs();
    TSPIs(const TSPIs&) = delete;
    TSPIs& operator=(const TSPIs&) = delete;

    // "*.spi", or a folder and a name pattern; folders by SearchOptions otherwise.
    void LoadPlugins(const std::string& mask);
    void UnloadAll();
    int Count() const { return int(plugins_.size()); }
    TSPI& Items(int index) const { return *plugins_.at(size_t(index)); }
    int IndexOfFile(const std::string& moduleFileName) const;
    void Add(std::unique_ptr<TSPI> plugin);
    // Every import plug-in, those announcing the file's extension first, each group in
    // load order.
    std::vector<TSPI*> FindReaders(const std::string& fileName) const;

    unsigned SearchOptions = (1u << spsSusieDir) | (1u << spsAppDir);
    std::string PluginFolder; // searched as well when not empty
    // Before an extension is registered; answering false keeps it out.
    std::function<bool(TSPI& plugin, const std::string& extension, const std::string& name)>
        OnPictureRegister;

    static TSPIs* Instance();

private:
    void SearchFolder(const std::string& folder, const std::string& pattern);
    std::vector<std::unique_ptr<TSPI>> plugins_;
};

// The registration filter of the program: JPEG, movie and sound extensions are never read
// through plug-ins.
bool SPIs1PictureRegister(TSPI& plugin, const std::string& extension, const std::string& name);

// The program's host: made once, searching the folders "SusiePluginLoad" and
// "PluginFolder" name and always the program folder, whose plug-ins ship with the
// program; the registration filter installed. Returns the host.
TSPIs& LoadPictureLoaders();

// Reads a file through the plug-ins (and the built-in bitmap reader) as a picture of
// their formats is read: 0 and the bitmap, or an mtgdi error code and the reason.
// A reading's progress: 0 at the start, 1 to 99 while a plug-in decodes, 100 at the end;
// answering true stops the reading, which then gives no picture.
using SpiProgress = std::function<bool(int percent)>;
int ReadThroughPlugins(const std::string& path, BitmapPtr& bitmap, std::string& why,
                       TSPI* only = nullptr, const SpiProgress* progress = nullptr);
// The same on a file's bytes already in memory; the path names the file to the plug-ins.
int ReadBytesThroughPlugins(const std::string& path, const std::string& bytes, BitmapPtr& bitmap,
                            std::string& why, TSPI* only = nullptr,
                            const SpiProgress* progress = nullptr);

} // namespace muralto
