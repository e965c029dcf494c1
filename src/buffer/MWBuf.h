#pragma once
// The buffers: the registered pictures with their attributes (and the stock, registered
// files kept out of the rotation), the sound list and the texture list. Each chooses its
// next file in cycles without repeats.
#include "DataInf.h"
#include "DirMon.h"
#include "ExtReg.h"
#include "MemoryStream.h"
#include "NameList.h"

#include <array>
#include <functional>
#include <memory>
#include <string>
#include <vector>

namespace muralto {

class TCustomFileBuffer;

using TDataList = TNameList<std::unique_ptr<TDataInf>>;
using TRemainList = TNameList<NoObject>;

// Progress of the bulk operations: the buffer, the total of this pass, a flag to ask for a
// stop, the name at hand, a per-operation value (the index the add returned, or for
// FindExists whether the file exists) and the position in this pass.
using TProgressEvent = std::function<void(TCustomFileBuffer& sender, int total, bool& stop,
                                          const std::string& name, int value, int position)>;
using TFolderEvent = std::function<void(TCustomFileBuffer& sender, const std::string& folder)>;
using TNotifyEvent = std::function<void(TCustomFileBuffer& sender)>;
using TFFCNEvent = std::function<void(TCustomFileBuffer& sender, const std::string& folder)>;

// The result of Filter: names with their records, and the show styles it was made for
// (bit n = show style n, bit 5 = the stock).
struct TStringsEx {
    struct Item {
        std::string name;
        TDataInf* data = nullptr;
    };
    std::vector<Item> items;
    uint8_t Styles = 0;
    int Count() const { return int(items.size()); }
};

class TCustomFileBuffer {
public:
    TCustomFileBuffer();
    virtual ~TCustomFileBuffer();
    TCustomFileBuffer(const TCustomFileBuffer&) = delete;
    TCustomFileBuffer& operator=(const TCustomFileBuffer&) = delete;

    virtual void Changed();
    virtual bool FolderChanged(const std::string& folder);
    virtual void UpdateDone(bool notify);
    virtual void Delete(int index);
    virtual void Remove(const std::string& fileName);
    virtual void Clear();
    virtual void LoadFromStream(TMemoryStream& stream) { (void)stream; }
    virtual void SaveToStream(TMemoryStream& stream) { (void)stream; }
    virtual void RemoveRemain(const std::string& fileName);
    virtual void AddFiles(const std::vector<std::string>& names, const TProgressEvent& progress);
    virtual int Add(const std::string& fileName);
    // The next file of the cycle; raises the silent abort when the buffer is empty or no
    // registered file can be reached.
    virtual std::string GetNext();
    virtual int ScanFolders(const TFolderEvent& onFolder, const TProgressEvent& progress);

    int FindExists(const TProgressEvent& progress);
    int IndexOf(const std::string& fileName) const { return Files.IndexOf(fileName); }
    int Count() const { return Files.Count(); }
    const std::string& Names(int index) const { return Files.Name(index); }
    TDataInf* DataInf(int index) const;
    bool ValidIndex(int index) const { return Files.ValidIndex(index); }

    void AddFolder(const std::string& folder);
    void AddFolders(const std::vector<std::string>& folders);
    int FolderCount() const { return Monitoring.FolderCount(); }
    const std::string& Folders(int index) const { return Monitoring.Folders(index); }
    void SaveFoldersToStream(TMemoryStream& stream) const;
    // Replaces the main list and Remain with stored names (records are not touched).
    void LoadNameLists(const std::vector<std::string>& files,
                       const std::vector<std::string>& remain);

    // Partial: the first name containing the text (ASCII case folded); otherwise the first
    // name equal to it. The result stays as it was when nothing matches.
    void FindName(const std::string& text, bool partial, std::string& result) const;

    void LoadFromFile(const std::string& fileName);
    void SaveToFile(const std::string& fileName);

    void BeginUpdate();
    void EndUpdate(bool notify);
    int UpdateCount() const { return updateCount_; }

    const std::string& Mask() const { return Extention.Mask(); }
    void SetMask(const std::string& mask) { Extention.SetMask(mask); }

    TExtention Extention;
    TMonitoring Monitoring;
    mutable TDataList Files{true};
    TRemainList Remain{true};
    bool RandomMode = true;
    TNotifyEvent OnChange;
    TFFCNEvent OnChangeDir;

protected:
    // Add, with the record a new name gets (a name already there keeps its own).
    int AddWith(const std::string& fileName, std::unique_ptr<TDataInf> data);
    // The draw itself; GetNext of the wallpaper buffer wraps it to record its outcome.
    std::string DrawNext();
    // The bulk additions: one update for all names, progress after each, a stop between
    // two names. True when stopped.
    bool AddBulk(const std::vector<std::string>& names, const TProgressEvent& progress,
                 const std::function<int(const std::string&)>& add);
    int updateCount_ = 0;
};

class TFileBuffer : public TCustomFileBuffer {
public:
    TFileBuffer();
    ~TFileBuffer() override;

    void Changed() override;
    void Delete(int index) override;
    void Clear() override;
    void LoadFromStream(TMemoryStream& stream) override;
    void SaveToStream(TMemoryStream& stream) override;
    std::string GetNext() override;
    int ScanFolders(const TFolderEvent& onFolder, const TProgressEvent& progress) override;

    int AddFileEx(const std::string& fileName, int style, bool setStyle, bool fromStock);
    void AddFilesEx(const std::vector<std::string>& names, int style, bool setStyle, bool fromStock,
                    const TProgressEvent& progress);
    // Registers the files of one folder (its sub-folders too when asked) that are neither
    // registered nor in the stock, with the default show style; returns their names.
    std::vector<std::string> RegisterNewIn(const std::string& folder, bool subFolders,
                                           bool fromStock);
    int AddStock(const std::string& fileName);
    void AddStocks(const std::vector<std::string>& names, const TProgressEvent& progress);
    // Registers the files of a folder (its sub-folders too when asked) as AddFilesEx would,
    // or into the stock as AddStocks would: each folder's files while the next folders are
    // being read. Progress as theirs, folder by folder; a stop ends the reading too.
    void AddFolderFiles(const std::string& folder, bool subFolders, bool toStock, int style,
                        bool setStyle, bool fromStock, const TProgressEvent& progress);
    TDataInf* MoveToStock(const std::string& fileName, TDataInf* data);
    TDataInf* RestoreFromStock(const std::string& fileName, TDataInf* data);
    void ClearFiles();
    void ClearStock();

    TDataInf* Data(int index) const { return DataInf(index); }
    TDataInf* StockData(int index) const;
    int StockCount() const { return Stock.Count(); }
    int IndexOfData(const TDataInf* data) const;
    int IndexOfStockData(const TDataInf* data) const;
    void SetData(int index, std::unique_ptr<TDataInf> data);

    int Filter(TStringsEx& view, uint8_t styles) const;
    // Total, the main-list files of show style 0..4, and the stock.
    std::array<int32_t, 7> Statistics() const;

    // Called by TDataInf::Unregister: drops the record from its list and destroys it.
    void UnregisterRecord(TDataInf* data);

    mutable TDataList Stock{true};
    std::string CurrentFile;
    TDataInf* CurrentData = nullptr;

    static constexpr int32_t kVersion = 0x00010200;

private:
    void ReadCurrentFormat(class TStreamList& list, int blockSize);
};

class TWaveBuffer : public TCustomFileBuffer {
public:
    void LoadFromStream(TMemoryStream& stream) override;
    void SaveToStream(TMemoryStream& stream) override;
    // Plays through the platform's sound player; with wait, returns when it has ended.
    void PlayWave(const std::string& fileName, bool wait);
};

class TTextuerBuffer : public TCustomFileBuffer {
public:
    void LoadFromStream(TMemoryStream& stream) override;
    void SaveToStream(TMemoryStream& stream) override;
};

// The three buffers of the run.
TFileBuffer& WallpaperBuffer();
TWaveBuffer& WaveBuffer();
TTextuerBuffer& TextuerBuffer();

} // namespace muralto
