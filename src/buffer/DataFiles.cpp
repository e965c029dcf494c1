#include "DataFiles.h"

#include "MWBuf.h"
#include "StmList.h"
#include "core/CmdParam.h"
#include "platform/Files.h"
#include "platform/Paths.h"
#include "platform/Services.h"
#include "settings/Options.h"

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
    const std::string path = folder + kBufferFileName;
    States()[kBufferFileName] = TDataFileState::Loaded;
    if (FileExists(path)) {
        try {
            LoadBuffers(path);
        } catch (const std::exception& e) {
            States()[kBufferFileName] = TDataFileState::Failed;
            errors.push_back(path + " を読み込めませんでした: " + e.what() +
                             "\r\nこのファイルは変更せず、次の保存の前に \"" + kBufferFileName +
                             ".damaged\" として残します。");
        }
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
    switch (DataFileState(kBufferFileName)) {
    case TDataFileState::Failed:
        KeepAside(path);
        break;
    case TDataFileState::NotLoaded:
        // Writing buffers that were never read over a stored file would lose it.
        if (FileExists(path))
            throw Exception(path + " は読み込まれていないため、上書き保存しません。");
        break;
    case TDataFileState::Loaded:
        break;
    }
    outer.SaveToFile(path);
    States()[kBufferFileName] = TDataFileState::Loaded;
    Setting().SaveIfAllowed();
}

} // namespace muralto
