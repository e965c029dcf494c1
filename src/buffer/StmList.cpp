#include "StmList.h"

#include "platform/Files.h"

#include <cmath>
#include <cstring>
#include <utility>

namespace muralto {

const char* const kUnsupportedFormat = "未対応のファイル形式です。";

namespace {
const char* const kNothingToSave = "保存するストリームがありません。";
const char* const kCannotAddNil = "nilを追加する事はできません。";
const char* const kCannotCopyNil = "nilをコピーする事はできません。";
const char* const kWriteAborted = "書き込みが中断されました。";
const char* const kStreamTooLarge = "ストリームが大きすぎます。";
const char* const kReadAborted = "読み込みが中断されました。";

// The container's header: its mark, its signature and the number of streams.
void WriteHeader(TMemoryStream& target, int count) {
    target.WriteInt32(int32_t(TStreamList::kMagic));
    target.Write(TStreamList::kSignature, 15);
    target.WriteInt32(count);
}

std::unique_ptr<TMemoryStream> CopyOf(const TMemoryStream& source) {
    auto copy = std::make_unique<TMemoryStream>(source.Bytes());
    copy->Seek(0);
    return copy;
}

// Runs OnEnd when the load or save leaves, however it leaves.
class EndGuard {
public:
    explicit EndGuard(std::function<void()> end) : end_(std::move(end)) {}
    ~EndGuard() {
        if (end_)
            end_();
    }
    EndGuard(const EndGuard&) = delete;
    EndGuard& operator=(const EndGuard&) = delete;

private:
    std::function<void()> end_;
};
} // namespace

int ProgressPercent(int index, int count) {
    if (count <= 0)
        return 0;
    return int(std::nearbyint((index + 1) * 100.0 / count));
}

void TStreamList::CheckIndex(int index) const {
    if (index < 0 || index >= Count())
        throw EListError("リストのインデックスが範囲を超えています (" + std::to_string(index) +
                         ")");
}

TMemoryStream& TStreamList::Streams(int index) const {
    CheckIndex(index);
    return *entries_[size_t(index)].stream;
}

bool TStreamList::Owns(int index) const {
    CheckIndex(index);
    return entries_[size_t(index)].owned != nullptr;
}

void TStreamList::Changed() {
    if (updateCount_ == 0 && OnChange)
        OnChange(*this);
}

void TStreamList::Changing() {
    if (updateCount_ == 0 && OnChanging)
        OnChanging(*this);
}

void TStreamList::BeginUpdate() {
    if (updateCount_ == 0)
        Update(true);
    ++updateCount_;
}

void TStreamList::EndUpdate() {
    if (updateCount_ <= 0)
        return;
    if (--updateCount_ == 0)
        Update(false);
}

int TStreamList::AddOwned(std::unique_ptr<TMemoryStream> stream) {
    Entry entry;
    entry.stream = stream.get();
    entry.owned = std::move(stream);
    entries_.push_back(std::move(entry));
    return Count() - 1;
}

int TStreamList::Add(TMemoryStream* stream) {
    Changing();
    int index;
    if (stream) {
        entries_.push_back(Entry{stream, nullptr});
        index = Count() - 1;
    } else {
        index = AddOwned(std::make_unique<TMemoryStream>());
    }
    Changed();
    return index;
}

int TStreamList::AddCopy(const TMemoryStream& stream) {
    Changing();
    const int index = AddOwned(CopyOf(stream));
    Changed();
    return index;
}

void TStreamList::AppendLike(const TStreamList& list, bool copyAll, bool keepEmpty) {
    for (const Entry& entry : list.entries_) {
        if (!entry.stream) {
            if (keepEmpty)
                AddOwned(std::make_unique<TMemoryStream>());
            continue;
        }
        if (copyAll || entry.owned)
            AddOwned(CopyOf(*entry.stream));
        else
            entries_.push_back(Entry{entry.stream, nullptr});
    }
}

void TStreamList::AddStreams(const TStreamList* list) {
    if (!list)
        throw EStreamListError(kCannotAddNil);
    Changing();
    AppendLike(*list, false, false);
    Changed();
}

void TStreamList::AddCopies(const TStreamList* list) {
    if (!list)
        throw EStreamListError(kCannotCopyNil);
    Changing();
    AppendLike(*list, true, false);
    Changed();
}

void TStreamList::CopyFrom(const TStreamList* list) {
    Changing();
    BeginUpdate();
    Clear();
    EndUpdate();
    if (!list)
        throw EStreamListError(kCannotCopyNil);
    AppendLike(*list, true, true);
    Changed();
}

void TStreamList::Assign(const TStreamList& source) {
    if (&source == this)
        return;
    BeginUpdate();
    Clear();
    EndUpdate();
    AddStreams(&source);
}

void TStreamList::Delete(int index) {
    CheckIndex(index);
    Changing();
    entries_.erase(entries_.begin() + index);
    Changed();
}

int TStreamList::Remove(TMemoryStream* stream) {
    const int index = IndexOf(stream);
    if (index >= 0)
        Delete(index);
    return index;
}

void TStreamList::Insert(int index, TMemoryStream* stream) {
    if (index < 0 || index > Count())
        CheckIndex(index);
    Changing();
    entries_.insert(entries_.begin() + index, Entry{stream, nullptr});
    Changed();
}

void TStreamList::Exchange(int index1, int index2) {
    if (index1 == index2)
        return;
    CheckIndex(index1);
    CheckIndex(index2);
    Changing();
    std::swap(entries_[size_t(index1)], entries_[size_t(index2)]);
    Changed();
}

void TStreamList::Move(int curIndex, int newIndex) {
    if (curIndex == newIndex)
        return;
    CheckIndex(curIndex);
    CheckIndex(newIndex);
    Changing();
    Entry entry = std::move(entries_[size_t(curIndex)]);
    entries_.erase(entries_.begin() + curIndex);
    entries_.insert(entries_.begin() + newIndex, std::move(entry));
    Changed();
}

int TStreamList::IndexOf(const TMemoryStream* stream) const {
    for (size_t i = 0; i < entries_.size(); ++i)
        if (entries_[i].stream == stream)
            return int(i);
    return -1;
}

void TStreamList::Clear() {
    if (entries_.empty())
        return;
    Changing();
    entries_.clear();
    Changed();
}

void TStreamList::FireEnd() {
    if (OnEnd)
        OnEnd(*this);
}

std::vector<std::string_view> TStreamList::SavePieces(TMemoryStream& framing) {
    if (entries_.empty())
        throw EStreamListError(kNothingToSave);
    bool abort = false;
    if (OnBegin)
        OnBegin(*this, Count(), abort);
    if (abort)
        throw EInternalStreamListError(kWriteAborted);

    const int n = Count();
    framing.Clear();
    framing.Reserve(kHeaderSize + 4 * size_t(n)); // never grows past it: the views stay valid
    WriteHeader(framing, n);
    std::vector<std::string_view> pieces{std::string_view(framing.Bytes())};
    for (int i = 0; i < n; ++i) {
        TMemoryStream* stream = entries_[size_t(i)].stream;
        const size_t size = stream ? stream->Size() : 0;
        if (OnProgress && stream) {
            OnProgress(*this, *stream, i, ProgressPercent(i, n), size, abort);
            if (abort)
                throw EInternalStreamListError(kWriteAborted);
        }
        if (size > 0x7FFFFFFFu)
            throw EStreamListError(kStreamTooLarge);
        const size_t at = framing.Size();
        framing.WriteInt32(int32_t(size));
        pieces.push_back(std::string_view(framing.Bytes()).substr(at, 4));
        if (size)
            pieces.push_back(stream->Bytes());
    }
    return pieces;
}

void TStreamList::SaveToStream(TMemoryStream& target) {
    EndGuard end([this] { FireEnd(); });
    TMemoryStream framing;
    const std::vector<std::string_view> pieces = SavePieces(framing);
    size_t total = 0;
    for (const std::string_view piece : pieces)
        total += piece.size();
    target.Reserve(target.Position() + total);
    for (const std::string_view piece : pieces)
        target.Write(piece);
}

void TStreamList::LoadFromStream(TMemoryStream& source) {
    char header[kHeaderSize] = {};
    source.Read(header, kHeaderSize);
    uint32_t magic;
    std::memcpy(&magic, header, 4);
    if (magic != kMagic || std::memcmp(header + 4, kSignature, 15) != 0)
        throw EStreamListError(kUnsupportedFormat);
    int32_t count;
    std::memcpy(&count, header + 19, 4);

    bool abort = false;
    if (OnBegin)
        OnBegin(*this, count, abort);
    EndGuard end([this] { FireEnd(); });
    if (abort)
        throw EInternalStreamListError(kReadAborted);

    // Every entry takes at least its 4-byte size: a count beyond that is a lie.
    if (count < 0 || size_t(count) > source.Remaining() / 4)
        throw EReadError();
    while (Count() < count)
        Add();

    for (int i = 0; i < count; ++i) {
        const int32_t size = source.ReadInt32();
        if (size < 0)
            throw EReadError();
        TMemoryStream& stream = *entries_[size_t(i)].stream;
        if (size > 0)
            stream.Write(source.ReadView(size_t(size)));
        stream.Seek(0);
        if (OnProgress) {
            OnProgress(*this, stream, i, ProgressPercent(i, count), stream.Size(), abort);
            if (abort)
                throw EInternalStreamListError(kReadAborted);
        }
    }
}

void TStreamList::LoadFromFile(const std::string& fileName) {
    TMemoryStream source(ReadWholeFile(fileName));
    try {
        LoadFromStream(source);
    } catch (const EInternalStreamListError&) {
        // Stopped on request: what was read so far stays.
    }
}

void TStreamList::SaveToFile(const std::string& fileName) {
    EndGuard end([this] { FireEnd(); });
    TMemoryStream framing;
    std::vector<std::string_view> pieces;
    try {
        pieces = SavePieces(framing);
    } catch (const EInternalStreamListError&) {
        return; // stopped on request: the file on disk stays as it was
    }
    // The streams go to the file as they are, without being joined in memory first.
    WriteFileAtomically(fileName, pieces);
}

TStreamListWriter::TStreamListWriter(TMemoryStream& target, int count)
    : target_(target), count_(count) {
    WriteHeader(target_, count);
}

TMemoryStream& TStreamListWriter::Next() {
    Close();
    if (written_ == count_)
        throw EStreamListError("予定より多いストリームを書き込もうとしました。");
    ++written_;
    sizeAt_ = target_.Position();
    target_.WriteInt32(0);
    return target_;
}

void TStreamListWriter::Finish() {
    Close();
    if (written_ != count_)
        throw EStreamListError("予定より少ないストリームしか書き込まれていません。");
}

void TStreamListWriter::Close() {
    if (written_ == 0 || sizeAt_ == kClosed)
        return;
    const size_t end = target_.Position();
    const size_t size = end - sizeAt_ - 4;
    if (size > 0x7FFFFFFFu)
        throw EStreamListError(kStreamTooLarge);
    target_.Seek(sizeAt_);
    target_.WriteInt32(int32_t(size));
    target_.Seek(end);
    sizeAt_ = kClosed;
}

} // namespace muralto
