#include "DataFiles.h"

#include "MWBuf.h"
#include "StmList.h"
#include "core/CmdParam.h"
#include "decor/OptList.h"
#include "effects/EffectList.h"
#include "platform/Files.h"
#include "platform/Paths.h"
#include "platform/Services.h"
#include "settings/Options.h"

#include <functional>
#include <map>

namespace muralto {

const char* const kBufferFileName = "BUFFERS.MWF";

namespace {

std::map<std::string, TDataFileState>& States() {
    static std::map<std::string, TDataFileState> states;
    return states;
}

std::string PrepareDataFolder() {
    const std::string folder = Setting().DataFolder();
    CreateFolder(WritableProgramFolder() + "Data");
    CreateFolders(folder);
    return folder;
}

// The pattern lists and their files, in the order they are loaded and saved.
struct PatternFile {
    const char* fileName;
    TOptionList& list;
};
std::vector<PatternFile> PatternFiles() {
    return {{kCalenderFileName, CalenderList()},
            {kAnnoFileName, AnnoList()},
            {kDrawNameFileName, DrawNameList()},
            {kEffectFileName, EffectList()}};
}

std::string LoadFailure(const std::string& path, const char* fileName, const std::exception& e) {
    return path + " を読み込めませんでした: " + e.what() +
           "\r\nこのファイルは変更せず、次の保存の前に \"" + fileName +
           ".damaged\" として残します。";
}

// Loads one data file if it exists; a failure is recorded and told, never fatal.
void LoadDataFile(const std::string& folder, const char* fileName,
                  const std::function<void(const std::string&)>& load,
                  std::vector<std::string>& errors) {
    const std::string path = folder + fileName;
    States()[fileName] = TDataFileState::Loaded;
    if (!FileExists(path))
        return;
    try {
        load(path);
    } catch (const std::exception& e) {
        States()[fileName] = TDataFileState::Failed;
        errors.push_back(LoadFailure(path, fileName, e));
    }
}

// Before a data file is written over: a file that failed to load is kept aside, and one
// that was never read is not overwritten.
void PrepareOverwrite(const std::string& path, const char* fileName) {
    switch (DataFileState(fileName)) {
    case TDataFileState::Failed:
        KeepAside(path);
        break;
    case TDataFileState::NotLoaded:
        if (FileExists(path))
            throw Exception(path + " は読み込まれていないため、上書き保存しません。");
        break;
    case TDataFileState::Loaded:
        break;
    }
}

void LoadBuffers(const std::string& path) {
    TStreamList outer;
    outer.LoadFromFile(path);
    WallpaperBuffer().LoadFromStream(outer.Streams(0));
    WaveBuffer().LoadFromStream(outer.Streams(1));
    TextuerBuffer().LoadFromStream(outer.Streams(2));
}

} // namespace

TDataFileState DataFileState(const std::string& fileName) {
    const auto found = States().find(fileName);
    return found == States().end() ? TDataFileState::NotLoaded : found->second;
}

void ResetDataFileStates() {
    States().clear();
}

std::vector<std::string> LoadData() {
    std::vector<std::string> errors;
    const std::string folder = PrepareDataFolder();
    for (TCustomFileBuffer* buffer : {static_cast<TCustomFileBuffer*>(&WallpaperBuffer()),
                                      static_cast<TCustomFileBuffer*>(&WaveBuffer()),
                                      static_cast<TCustomFileBuffer*>(&TextuerBuffer())}) {
        buffer->Clear();
        buffer->Monitoring.Clear();
    }
    LoadDataFile(folder, kBufferFileName, LoadBuffers, errors);
    for (const PatternFile& file : PatternFiles()) {
        file.list.Clear();
        // Items read before a damaged part stay; the file itself is kept aside.
        LoadDataFile(
            folder, file.fileName, [&](const std::string& path) { file.list.LoadFromFile(path); },
            errors);
    }
    SetDefaultDataMode(ParamOption().HasOption("/DEF"));
    for (const std::string& error : errors)
        Platform().prompt->ShowError(error);
    return errors;
}

void SaveData() {
    if (Setting().NoSave)
        return;
    const std::string folder = PrepareDataFolder();
    TFileBuffer& wallpapers = WallpaperBuffer();
    wallpapers.Files.SetSorted(true);

    TStreamList outer;
    wallpapers.SaveToStream(outer.Streams(outer.Add()));
    WaveBuffer().SaveToStream(outer.Streams(outer.Add()));
    TextuerBuffer().SaveToStream(outer.Streams(outer.Add()));

    const std::string path = folder + kBufferFileName;
    PrepareOverwrite(path, kBufferFileName);
    outer.SaveToFile(path);
    States()[kBufferFileName] = TDataFileState::Loaded;
    for (const PatternFile& file : PatternFiles()) {
        const std::string patternPath = folder + file.fileName;
        PrepareOverwrite(patternPath, file.fileName);
        // A list without patterns has no file.
        if (file.list.Count() == 0)
            RemoveFile(patternPath);
        else
            file.list.SaveToFile(patternPath);
        States()[file.fileName] = TDataFileState::Loaded;
    }
    Setting().SaveIfAllowed();
}

} // namespace muralto
