#pragma once
// The container file of numbered streams in which every data file is written. A stream
// may itself hold a whole container, which is how one file keeps several buffers.
#include "MemoryStream.h"
#include "core/Errors.h"

#include <functional>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

namespace muralto {

class EStreamListError : public Exception {
public:
    using Exception::Exception;
};

// A load or save stopped through the Abort flag of an event.
class EInternalStreamListError : public Exception {
public:
    using Exception::Exception;
};

extern const char* const kUnsupportedFormat; // "未対応のファイル形式です。"

class TStreamList {
public:
    using BeginEvent = std::function<void(TStreamList& sender, int count, bool& abort)>;
    using ProgressEvent = std::function<void(TStreamList& sender, TMemoryStream& stream, int index,
                                             int percent, size_t size, bool& abort)>;
    using NotifyEvent = std::function<void(TStreamList& sender)>;

    static constexpr uint32_t kMagic = 0x3AD5CEFF;
    static constexpr char kSignature[] = "TStreamListData";
    static constexpr size_t kHeaderSize = 23;

    TStreamList() = default;
    TStreamList(const TStreamList&) = delete;
    TStreamList& operator=(const TStreamList&) = delete;
    virtual ~TStreamList() = default;

    int Count() const { return int(entries_.size()); }
    TMemoryStream& Streams(int index) const;
    bool Owns(int index) const;

    // Without a stream: a new owned empty stream. With one: a reference the caller keeps.
    int Add(TMemoryStream* stream = nullptr);
    int AddCopy(const TMemoryStream& stream);
    void AddStreams(const TStreamList* list);
    void AddCopies(const TStreamList* list);
    void CopyFrom(const TStreamList* list);
    void Assign(const TStreamList& source);
    void Delete(int index);
    int Remove(TMemoryStream* stream);
    void Insert(int index, TMemoryStream* stream);
    void Exchange(int index1, int index2);
    void Move(int curIndex, int newIndex);
    int IndexOf(const TMemoryStream* stream) const;
    virtual void Clear();

    void BeginUpdate();
    void EndUpdate();

    void LoadFromStream(TMemoryStream& source);
    void SaveToStream(TMemoryStream& target);
    // Loading a missing or unreadable file raises; a load stopped by an event keeps what
    // was read. Saving goes through a temporary file, so a failed or stopped save leaves
    // the previous file as it was.
    void LoadFromFile(const std::string& fileName);
    void SaveToFile(const std::string& fileName);

    BeginEvent OnBegin;
    ProgressEvent OnProgress;
    NotifyEvent OnEnd;
    NotifyEvent OnChange;
    NotifyEvent OnChanging;

protected:
    virtual void Update(bool updating) { (void)updating; }
    virtual void Changed();
    virtual void Changing();

private:
    struct Entry {
        TMemoryStream* stream = nullptr;
        std::unique_ptr<TMemoryStream> owned;
    };
    // The saved bytes as pieces: the header and each stream's size (kept in framing) with
    // the streams' own bytes in between, after the events had their say.
    std::vector<std::string_view> SavePieces(TMemoryStream& framing);
    void CheckIndex(int index) const;
    void AppendLike(const TStreamList& list, bool copyAll, bool keepEmpty);
    int AddOwned(std::unique_ptr<TMemoryStream> stream);
    void FireEnd();

    std::vector<Entry> entries_;
    int updateCount_ = 0;
};

// Writes a container straight into a stream, one inner stream after the other, so a large
// nested container is not built apart and copied in.
class TStreamListWriter {
public:
    // Writes the header of a container of count streams.
    TStreamListWriter(TMemoryStream& target, int count);
    TStreamListWriter(const TStreamListWriter&) = delete;
    TStreamListWriter& operator=(const TStreamListWriter&) = delete;
    // Ends the stream before and returns the target, positioned for the next stream's bytes.
    TMemoryStream& Next();
    // Ends the last stream; raises when fewer streams were written than announced.
    void Finish();

private:
    static constexpr size_t kClosed = size_t(-1);
    void Close();
    TMemoryStream& target_;
    int count_;
    int written_ = 0;
    size_t sizeAt_ = kClosed; // where the open stream's size goes
};

// Percentage of the progress events: round((index + 1) / count * 100), halves to even.
int ProgressPercent(int index, int count);

} // namespace muralto
