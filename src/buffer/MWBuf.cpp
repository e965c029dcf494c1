#include "MWBuf.h"

#include "FolderScan.h"
#include "StmList.h"
#include "core/CmdParam.h"
#include "platform/Files.h"
#include "platform/FolderListing.h"
#include "platform/Paths.h"
#include "platform/Random.h"
#include "platform/Services.h"
#include "platform/Text.h"
#include "settings/Options.h"

#include <algorithm>

namespace muralto {

// ---------------------------------------------------------------- TCustomFileBuffer

TCustomFileBuffer::TCustomFileBuffer() {
    Extention.SetAsterisk(true);
    Monitoring.SetWatchSubTree(ParamOption().HasOption("/WS", "+WS"));
    Monitoring.OnChange = [this](const std::string& folder) { FolderChanged(folder); };
}

TCustomFileBuffer::~TCustomFileBuffer() = default;

void TCustomFileBuffer::Changed() {
    if (OnChange)
        OnChange(*this);
}

bool TCustomFileBuffer::FolderChanged(const std::string& folder) {
    if (!OnChangeDir)
        return false;
    OnChangeDir(*this, folder);
    return true;
}

void TCustomFileBuffer::UpdateDone(bool notify) {
    if (notify && updateCount_ <= 0) {
        Changed();
        updateCount_ = 0;
    }
}

void TCustomFileBuffer::BeginUpdate() {
    ++updateCount_;
}

void TCustomFileBuffer::EndUpdate(bool notify) {
    if (updateCount_ <= 0)
        return;
    --updateCount_;
    UpdateDone(notify);
}

void TCustomFileBuffer::Delete(int index) {
    if (!Files.ValidIndex(index))
        return;
    Files.Delete(index);
    Changed();
}

void TCustomFileBuffer::Remove(const std::string& fileName) {
    Delete(IndexOf(fileName));
}

void TCustomFileBuffer::Clear() {
    Files.Clear();
    Remain.Clear();
    Changed();
}

void TCustomFileBuffer::RemoveRemain(const std::string& fileName) {
    Remain.Remove(fileName);
}

TDataInf* TCustomFileBuffer::DataInf(int index) const {
    return Files.ValidIndex(index) ? Files.Object(index).get() : nullptr;
}

int TCustomFileBuffer::Add(const std::string& fileName) {
    return AddWith(fileName, nullptr);
}

int TCustomFileBuffer::AddWith(const std::string& fileName, std::unique_ptr<TDataInf> data) {
    // A registered name keeps its place whatever the mask says now.
    if (Mask() != "*.*" && !Extention.Accepts(fileName))
        return Files.Contains(fileName) ? Files.IndexOf(fileName) : -1;
    const auto [index, added] = Files.Add(fileName, std::move(data));
    if (added)
        Remain.Insert(fileName);
    return index;
}

bool TCustomFileBuffer::AddBulk(const std::vector<std::string>& names,
                                const TProgressEvent& progress,
                                const std::function<int(const std::string&)>& add) {
    BeginUpdate();
    Files.Reserve(Files.Count() + int(names.size()));
    Remain.Reserve(Remain.Count() + int(names.size()));
    bool stop = false;
    try {
        const int total = int(names.size());
        constexpr int kAhead = 8;
        for (int i = 0; i < total && !stop; ++i) {
            if (i + kAhead < total) {
                const size_t hash = NameHash(names[size_t(i + kAhead)]);
                Files.Prefetch(hash);
                Remain.Prefetch(hash);
            }
            const int index = add(names[size_t(i)]);
            if (progress)
                progress(*this, total, stop, names[size_t(i)], index, i);
        }
    } catch (...) {
        EndUpdate(true);
        throw;
    }
    EndUpdate(true);
    return stop;
}

void TCustomFileBuffer::AddFiles(const std::vector<std::string>& names,
                                 const TProgressEvent& progress) {
    AddBulk(names, progress, [this](const std::string& name) { return Add(name); });
}

std::string TCustomFileBuffer::GetNext() {
    return DrawNext();
}

std::string TCustomFileBuffer::DrawNext() {
    // One loop, bounded by what the buffer holds: every turn takes a name out of Remain,
    // and a refill happens only when Remain is empty.
    // Past the names left in this cycle plus one full cycle, every unreachable name has
    // had its chance.
    const int limit = Remain.Count() + Files.Count();
    int unreachable = 0;
    for (;;) {
        if (Files.Empty())
            throw EAbort();
        if (Remain.Empty())
            Files.ForEach([this](const std::string& name, auto&) { Remain.Add(name); });
        std::string name;
        if (Remain.Count() > 1 && RandomMode) {
            const int k = Random(Remain.Count());
            name = Remain.Name(k);
            Remain.Delete(k);
            if (!Files.Contains(name))
                continue; // deleted while it waited for its turn
        } else {
            name = Remain.Name(0);
            Remain.Delete(0);
        }
        if (FileExists(name))
            return name;
        // A file whose folder is gone as a whole (an unmounted disk, say) is passed over
        // for this draw but stays registered; a file gone from its folder is dropped.
        if (!FolderExists(FolderOf(name))) {
            if (++unreachable > limit)
                throw EAbort();
            continue;
        }
        Remove(name);
    }
}

int TCustomFileBuffer::FindExists(const TProgressEvent& progress) {
    const int n = Files.Count();
    int removed = 0;
    BeginUpdate();
    try {
        bool stop = false;
        for (int index = n - 1; index >= 0; --index) {
            const std::string name = Files.Name(index);
            const bool exists = FileExists(name);
            if (progress)
                progress(*this, n, stop, name, exists ? 1 : 0, n - 1 - index);
            if (!exists) {
                Delete(index);
                ++removed;
            }
            if (stop)
                break;
        }
    } catch (...) {
        EndUpdate(true);
        throw;
    }
    EndUpdate(true);
    if (removed > 0)
        Changed();
    std::vector<std::string> gone;
    Remain.ForEach([&](const std::string& name, auto&) {
        if (!Files.Contains(name))
            gone.push_back(name);
    });
    for (const std::string& name : gone)
        Remain.Remove(name);
    return removed;
}

int TCustomFileBuffer::ScanFolders(const TFolderEvent& onFolder, const TProgressEvent& progress) {
    TExtention matcher;
    matcher.SetMask(Mask());
    const bool subFolders = ParamOption().HasOption("/SUB", "+SUB");
    const bool fromStock = ParamOption().HasOption("/FME", "+FME");
    auto* wallpapers = dynamic_cast<TFileBuffer*>(this);
    std::vector<std::string> names;
    size_t walked = 0; // names before this point were handled by an earlier folder
    int count = 0;
    bool stop = false;
    for (int f = 0; f < FolderCount(); ++f) {
        if (stop)
            return count;
        const std::string folder = Folders(f);
        if (onFolder)
            onFolder(*this, folder);
        if (subFolders)
            matcher.ListFilesRecursive(folder, names);
        else
            matcher.ListFiles(folder, names);
        for (; walked < names.size(); ++walked) {
            if (stop)
                return count;
            const std::string& name = names[walked];
            if (Files.Contains(name) || (wallpapers && wallpapers->Stock.Contains(name)))
                continue;
            const int index = wallpapers ? wallpapers->AddFileEx(name, Setting().DefaultShowStyle,
                                                                 true, fromStock)
                                         : Add(name);
            if (progress)
                progress(*this, int(names.size()), stop, name, index, int(walked));
            ++count;
        }
    }
    return count;
}

void TCustomFileBuffer::AddFolder(const std::string& folder) {
    Monitoring.AddFolder(folder, true);
}

void TCustomFileBuffer::AddFolders(const std::vector<std::string>& folders) {
    for (const std::string& folder : folders)
        AddFolder(folder);
}

void TCustomFileBuffer::SaveFoldersToStream(TMemoryStream& stream) const {
    stream.Write(JoinLines(Monitoring.SortedFolders()));
}

void TCustomFileBuffer::FindName(const std::string& text, bool partial, std::string& result) const {
    const std::string wanted = partial ? UpperAscii(text) : text;
    bool found = false;
    Files.ForEach([&](const std::string& name, const auto&) {
        if (found)
            return;
        if (partial ? UpperAscii(name).find(wanted) != std::string::npos : name == wanted) {
            result = name;
            found = true;
        }
    });
}

void TCustomFileBuffer::LoadFromFile(const std::string& fileName) {
    TMemoryStream source(ReadWholeFile(fileName));
    LoadFromStream(source);
}

void TCustomFileBuffer::SaveToFile(const std::string& fileName) {
    TMemoryStream target;
    SaveToStream(target);
    WriteFileAtomically(fileName, target.Bytes());
}

void TCustomFileBuffer::LoadNameLists(const std::vector<std::string>& files,
                                      const std::vector<std::string>& remain) {
    Files.Clear();
    Remain.Clear();
    for (const std::string& name : files)
        Files.Add(name);
    for (const std::string& name : remain)
        Remain.Add(name);
}

// ---------------------------------------------------------------- stored name lists

namespace {

// Stored names are UTF-8, or Shift-JIS from the Windows-era program; a name in neither
// that is a file here (a Linux name in another encoding) is kept byte for byte.
std::vector<std::string> ReadNameList(TMemoryStream& stream) {
    std::vector<std::string> names = SplitLines(stream.Bytes());
    for (std::string& name : names)
        if (!IsValidUtf8(name) && !FileExists(name) && !FolderExists(name))
            name = FromStored(name);
    return names;
}

// The bytes of a list's names, each followed by CR LF.
template <class T> size_t NamesSize(const TNameList<T>& names) {
    size_t total = 0;
    names.ForEach([&](const std::string& name, const T&) { total += name.size() + 2; });
    return total;
}

// The names of a list, each followed by CR LF, written straight from the list.
template <class T> void WriteNameList(TMemoryStream& stream, const TNameList<T>& names) {
    names.ForEach([&](const std::string& name, const T&) {
        stream.Write(name);
        stream.Write("\r\n", 2);
    });
}

void WriteRecords(TMemoryStream& stream, TDataList& list) {
    list.ForEach(
        [&](const std::string&, std::unique_ptr<TDataInf>& data) { data->WriteToStream(stream); });
}

const char* const kUnknownVersion = "未対応のバージョンのバッファデータです。";

} // namespace

// ---------------------------------------------------------------- TFileBuffer

TFileBuffer::TFileBuffer() = default;

TFileBuffer::~TFileBuffer() {
    CurrentData = nullptr;
    Stock.Clear();
    Files.Clear();
}

void TFileBuffer::Changed() {
    if (updateCount_ == 0)
        TCustomFileBuffer::Changed();
}

void TFileBuffer::Delete(int index) {
    if (!Files.ValidIndex(index))
        return;
    if (Files.Object(index).get() == CurrentData)
        CurrentData = nullptr;
    Files.Object(index).reset(); // the record goes first, so its OnDestroy sees the list intact
    Files.Delete(index);
    Changed();
}

void TFileBuffer::Clear() {
    CurrentData = nullptr;
    Files.ForEach([](const std::string&, std::unique_ptr<TDataInf>& data) { data.reset(); });
    Stock.Clear();
    TCustomFileBuffer::Clear();
}

void TFileBuffer::ClearFiles() {
    CurrentData = nullptr;
    Files.ForEach([](const std::string&, std::unique_ptr<TDataInf>& data) { data.reset(); });
    TCustomFileBuffer::Clear();
}

void TFileBuffer::ClearStock() {
    Stock.Clear();
}

std::string TFileBuffer::GetNext() {
    const std::string name = DrawNext();
    const int index = Files.IndexOf(name);
    if (index >= 0) {
        CurrentFile = name;
        CurrentData = Files.Object(index).get();
    } else {
        CurrentFile.clear();
        CurrentData = nullptr;
    }
    return name;
}

int TFileBuffer::ScanFolders(const TFolderEvent& onFolder, const TProgressEvent& progress) {
    return TCustomFileBuffer::ScanFolders(onFolder, progress);
}

int TFileBuffer::AddFileEx(const std::string& fileName, int style, bool setStyle, bool fromStock) {
    const int stockIndex = Stock.Empty() ? -1 : Stock.IndexOf(fileName);
    if (stockIndex >= 0) {
        if (!fromStock)
            return stockIndex;
        std::unique_ptr<TDataInf> data = Stock.Object(stockIndex)->Copy();
        data->InStock = false;
        if (setStyle)
            data->Data.ShowStyle = uint8_t(style);
        Stock.Delete(stockIndex);
        const int index = Files.Add(fileName, std::move(data)).first;
        Changed();
        return index;
    }
    auto newRecord = [&] {
        auto data = std::make_unique<TDataInf>(this, InitialDataInfRec());
        if (setStyle)
            data->Data.ShowStyle = uint8_t(style);
        return data;
    };
    const int before = Files.Count();
    const int index = AddWith(fileName, newRecord());
    // A name registered before without a record gets one now.
    if (index >= 0 && Files.Count() == before)
        if (std::unique_ptr<TDataInf>* slot = Files.Find(fileName); slot && !*slot)
            *slot = newRecord();
    Changed();
    return index;
}

void TFileBuffer::AddFilesEx(const std::vector<std::string>& names, int style, bool setStyle,
                             bool fromStock, const TProgressEvent& progress) {
    AddBulk(names, progress,
            [&](const std::string& name) { return AddFileEx(name, style, setStyle, fromStock); });
    Changed();
}

std::vector<std::string> TFileBuffer::RegisterNewIn(const std::string& folder, bool subFolders,
                                                    bool fromStock) {
    TExtention matcher;
    matcher.SetMask(Mask());
    std::vector<std::string> names, added;
    if (subFolders)
        matcher.ListFilesRecursive(folder, names);
    else
        matcher.ListFiles(folder, names);
    for (const std::string& name : names)
        if (!Files.Contains(name) && !Stock.Contains(name) &&
            AddFileEx(name, Setting().DefaultShowStyle, true, fromStock) >= 0)
            added.push_back(name);
    return added;
}

int TFileBuffer::AddStock(const std::string& fileName) {
    if (const int index = Files.IndexOf(fileName); index >= 0)
        return index;
    auto data = std::make_unique<TDataInf>(this, InitialDataInfRec());
    data->InStock = true;
    const int index = Stock.Add(fileName, std::move(data)).first;
    Changed();
    return index;
}

void TFileBuffer::AddStocks(const std::vector<std::string>& names, const TProgressEvent& progress) {
    AddBulk(names, progress, [this](const std::string& name) { return AddStock(name); });
    Changed();
}

void TFileBuffer::AddFolderFiles(const std::string& folder, bool subFolders, bool toStock,
                                 int style, bool setStyle, bool fromStock,
                                 const TProgressEvent& progress) {
    const std::function<int(const std::string&)> add = [&](const std::string& name) {
        return toStock ? AddStock(name) : AddFileEx(name, style, setStyle, fromStock);
    };
    TFolderScan scan(Extention, folder, subFolders);
    std::vector<std::string> names;
    while (scan.Next(names))
        if (AddBulk(names, progress, add))
            break; // the scan stops as it goes out of scope
    Changed();
}

TDataInf* TFileBuffer::MoveToStock(const std::string& fileName, TDataInf* data) {
    std::unique_ptr<TDataInf> copy = data->Copy();
    copy->InStock = true;
    const int stockIndex = Stock.Add(fileName, std::move(copy)).first;
    Remove(fileName);
    Changed();
    return Stock.Object(stockIndex).get();
}

TDataInf* TFileBuffer::RestoreFromStock(const std::string& fileName, TDataInf* data) {
    std::unique_ptr<TDataInf> copy = data->Copy();
    copy->InStock = false;
    const int index = Files.Add(fileName, std::move(copy)).first;
    Stock.Remove(fileName);
    return Files.Object(index).get();
}

TDataInf* TFileBuffer::StockData(int index) const {
    return Stock.ValidIndex(index) ? Stock.Object(index).get() : nullptr;
}

namespace {
int IndexOfObject(const TDataList& list, const TDataInf* data) {
    int found = -1, index = 0;
    list.ForEach([&](const std::string&, const std::unique_ptr<TDataInf>& object) {
        if (found < 0 && object.get() == data)
            found = index;
        ++index;
    });
    return found;
}
} // namespace

int TFileBuffer::IndexOfData(const TDataInf* data) const {
    return IndexOfObject(Files, data);
}

int TFileBuffer::IndexOfStockData(const TDataInf* data) const {
    return IndexOfObject(Stock, data);
}

void TFileBuffer::SetData(int index, std::unique_ptr<TDataInf> data) {
    if (!Files.ValidIndex(index))
        return;
    if (Files.Object(index).get() == CurrentData)
        CurrentData = data.get();
    Files.Object(index) = std::move(data);
}

void TFileBuffer::UnregisterRecord(TDataInf* data) {
    if (data == CurrentData)
        CurrentData = nullptr;
    // The record is looked up rather than trusted by its ListIndex, which a later change
    // of the lists may have made stale.
    if (data->InStock) {
        if (const int index = IndexOfStockData(data); index >= 0)
            Stock.Delete(index);
        return;
    }
    if (const int index = IndexOfData(data); index >= 0) {
        const std::string name = Files.Name(index);
        Files.Delete(index);
        Remain.Remove(name);
    }
}

int TFileBuffer::Filter(TStringsEx& view, uint8_t styles) const {
    view.Styles = styles;
    view.items.clear();
    int index = 0;
    Files.ForEach([&](const std::string& name, const std::unique_ptr<TDataInf>& data) {
        const int style = data ? data->Data.ShowStyle : -1;
        if (style >= 0 && style <= 4 && (styles >> style) & 1) {
            data->ListIndex = index;
            data->InStock = false;
            view.items.push_back({name, data.get()});
        }
        ++index;
    });
    if (styles & 0x20) {
        index = 0;
        Stock.ForEach([&](const std::string& name, const std::unique_ptr<TDataInf>& data) {
            data->ListIndex = index++;
            data->InStock = true;
            view.items.push_back({name, data.get()});
        });
    }
    return view.Count();
}

std::array<int32_t, 7> TFileBuffer::Statistics() const {
    std::array<int32_t, 7> counts{};
    counts[0] = Files.Count() + Stock.Count();
    Files.ForEach([&](const std::string&, const std::unique_ptr<TDataInf>& data) {
        if (data && data->Data.ShowStyle <= 4)
            ++counts[size_t(1 + data->Data.ShowStyle)];
    });
    counts[6] = Stock.Count();
    return counts;
}

void TFileBuffer::SaveToStream(TMemoryStream& target) {
    Files.ForEach([&](const std::string&, std::unique_ptr<TDataInf>& data) {
        if (!data)
            data = std::make_unique<TDataInf>(this, InitialDataInfRec());
    });
    // Room for everything at once (the buffer of a large collection is megabytes), taking
    // records without names, as most are: reading every record only to size it would cost
    // more than growing the stream for the few with names.
    const size_t recordsSize = size_t(Files.Count() + Stock.Count()) * TDataInf::kBareSize;
    target.Reserve(target.Size() + recordsSize + NamesSize(Files) + NamesSize(Remain) +
                   NamesSize(Stock) + 1024 + CurrentFile.size());
    TStreamListWriter writer(target, 8);
    WriteRecords(writer.Next(), Files);
    WriteNameList(writer.Next(), Files);
    WriteNameList(writer.Next(), Remain);
    SaveFoldersToStream(writer.Next());
    WriteRecords(writer.Next(), Stock);
    WriteNameList(writer.Next(), Stock);
    TMemoryStream& current = writer.Next();
    current.WriteInt32(int32_t(CurrentFile.size() + 1));
    current.Write(CurrentFile.data(), CurrentFile.size());
    current.Write("", 1);
    writer.Next().WriteInt32(kVersion);
    writer.Finish();
}

void TFileBuffer::LoadFromStream(TMemoryStream& source) {
    TStreamList list;
    list.LoadFromStream(source);
    int blockSize = 0;
    if (list.Count() == 8) {
        TMemoryStream& versionStream = list.Streams(7);
        versionStream.Seek(0);
        const int32_t version = versionStream.Remaining() >= 4 ? versionStream.ReadInt32() : 0;
        const char* versionText = nullptr;
        if (version == 0x00010000) {
            versionText = "Version 2.0 Beta 1";
            blockSize = 39;
        } else if (version == 0x00010100) {
            versionText = "Version 2.0 Beta 1.5";
            blockSize = 43;
        } else if (version == kVersion) {
            blockSize = 44;
        }
        if (versionText)
            Platform().prompt->Inform(std::string("バッファデータのファイルバージョンが ") +
                                      versionText +
                                      "の物です。\r\nこれよりファイルバッファのデータ変換を"
                                      "行います。");
    } else if (list.Count() == 7) {
        blockSize = 39;
    }
    // Anything else would read as an empty buffer, and the next save would then write
    // that emptiness over the user's file: it is refused instead.
    if (blockSize == 0)
        throw EStreamListError(kUnknownVersion);
    ReadCurrentFormat(list, blockSize);
}

void TFileBuffer::ReadCurrentFormat(TStreamList& list, int blockSize) {
    // Everything is read into fresh lists first, so a damaged file leaves the buffer as
    // it was.
    TDataList files(false);
    TRemainList remain(false);
    TDataList stock(true);
    const std::vector<std::string> fileNames = ReadNameList(list.Streams(1));
    const std::vector<std::string> remainNames = ReadNameList(list.Streams(2));
    const std::vector<std::string> folders = ReadNameList(list.Streams(3));

    TMemoryStream& records = list.Streams(0);
    records.Seek(0);
    files.Reserve(int(fileNames.size()));
    for (const std::string& name : fileNames) {
        auto data = std::make_unique<TDataInf>();
        data->ReadFromStream(records, blockSize);
        data->Owner = this;
        files.Add(name, std::move(data)); // a repeated name keeps its first record
    }
    remain.Reserve(int(remainNames.size()));
    for (const std::string& name : remainNames)
        remain.Add(name);

    TMemoryStream& stockRecords = list.Streams(4);
    stockRecords.Seek(0);
    for (const std::string& name : ReadNameList(list.Streams(5))) {
        auto data = std::make_unique<TDataInf>();
        data->ReadFromStream(stockRecords);
        data->Owner = this;
        data->InStock = true;
        stock.Add(name, std::move(data));
    }

    std::string current;
    if (list.Count() > 6) {
        TMemoryStream& currentStream = list.Streams(6);
        currentStream.Seek(0);
        const int32_t length = currentStream.ReadInt32();
        if (length >= 1) {
            const std::string_view stored = currentStream.ReadView(size_t(length));
            current = FromStored(stored.substr(0, stored.find('\0')));
        }
    }

    Clear();
    Files.Swap(files);
    Remain.Swap(remain);
    Stock.Swap(stock);
    AddFolders(folders);
    CurrentFile = current;
    const int index = Files.IndexOf(CurrentFile);
    CurrentData = index >= 0 ? Files.Object(index).get() : nullptr;
    Changed();
}

// ---------------------------------------------------------------- sounds and textures

namespace {

void LoadPlainBuffer(TCustomFileBuffer& buffer, TMemoryStream& source) {
    TStreamList list;
    list.LoadFromStream(source);
    std::vector<std::string> folders, files, remain;
    if (list.Count() == 2) {
        files = ReadNameList(list.Streams(0));
        remain = ReadNameList(list.Streams(1));
    } else {
        folders = ReadNameList(list.Streams(1));
        files = ReadNameList(list.Streams(2));
        remain = ReadNameList(list.Streams(3));
    }
    buffer.AddFolders(folders);
    buffer.LoadNameLists(files, remain);
}

void SavePlainBuffer(TCustomFileBuffer& buffer, TMemoryStream& target) {
    TStreamListWriter writer(target, 4);
    writer.Next().WriteInt32(TFileBuffer::kVersion);
    buffer.SaveFoldersToStream(writer.Next());
    WriteNameList(writer.Next(), buffer.Files);
    WriteNameList(writer.Next(), buffer.Remain);
    writer.Finish();
}

} // namespace

void TWaveBuffer::LoadFromStream(TMemoryStream& stream) {
    LoadPlainBuffer(*this, stream);
}

void TWaveBuffer::SaveToStream(TMemoryStream& stream) {
    SavePlainBuffer(*this, stream);
}

void TWaveBuffer::PlayWave(const std::string& fileName, bool wait) {
    Platform().sound->Play(fileName, wait);
}

void TTextuerBuffer::LoadFromStream(TMemoryStream& stream) {
    LoadPlainBuffer(*this, stream);
}

void TTextuerBuffer::SaveToStream(TMemoryStream& stream) {
    SavePlainBuffer(*this, stream);
}

// ---------------------------------------------------------------- the run's buffers

TFileBuffer& WallpaperBuffer() {
    static TFileBuffer buffer;
    return buffer;
}

TWaveBuffer& WaveBuffer() {
    static TWaveBuffer buffer;
    return buffer;
}

TTextuerBuffer& TextuerBuffer() {
    static TTextuerBuffer buffer;
    return buffer;
}

} // namespace muralto
