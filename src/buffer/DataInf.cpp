#include "DataInf.h"

#include "MWBuf.h"
#include "platform/Text.h"
#include "settings/Options.h"

#include <cstring>

namespace muralto {

namespace {

bool defaultDataMode = false;

} // namespace

std::string ReadStoredName(TMemoryStream& stream, int32_t length) {
    if (length < 1)
        return {};
    const std::string_view stored = stream.ReadView(size_t(length));
    return FromStored(stored.substr(0, stored.find('\0')));
}

void WriteStoredName(TMemoryStream& stream, const std::string& name) {
    stream.Write(name.data(), name.size());
    stream.Write("", 1);
}

int32_t StoredNameLength(const std::string& name) {
    return int32_t(name.size() + 1);
}

bool DefaultDataMode() {
    return defaultDataMode;
}
void SetDefaultDataMode(bool on) {
    defaultDataMode = on;
}

TDataInfRec InitialDataInfRec() {
    TDataInfRec rec;
    rec.AnnoDominiType = 3;
    rec.CalenderType = 3;
    rec.DrawFileNameType = 3;
    rec.Reserved = 1;
    rec.EffectType = 4;
    return rec;
}

TDataInf::TDataInf(TFileBuffer* owner, const TDataInfRec& source) : Owner(owner) {
    if (!defaultDataMode) {
        Data = source;
        return;
    }
    const TSetting& setting = Setting();
    Data = setting.DefaultData;
    TextuerFile = setting.DefaultTextuerFile;
    WaveFile = setting.DefaultWaveFile;
    CalenderPattern = setting.DefaultCalenderPattern;
    AnnoDominiPattern = setting.DefaultAnnoDominiPattern;
    DrawFileNamePattern = setting.DefaultDrawFileNamePattern;
    EffectPattern = setting.DefaultEffectPattern;
}

TDataInf::~TDataInf() {
    if (OnDestroy)
        OnDestroy(*this);
}

void TDataInf::Assign(const TDataInf& source) {
    if (&source == this)
        return;
    Data = source.Data;
    WaveFile = source.WaveFile;
    CalenderPattern = source.CalenderPattern;
    EffectPattern = source.EffectPattern;
    AnnoDominiPattern = source.AnnoDominiPattern;
    DrawFileNamePattern = source.DrawFileNamePattern;
    TextuerFile = source.TextuerFile;
}

std::unique_ptr<TDataInf> TDataInf::Copy() const {
    auto copy = std::make_unique<TDataInf>();
    copy->Owner = Owner;
    copy->Assign(*this);
    return copy;
}

void TDataInf::WriteToStream(TMemoryStream& stream) {
    Data.AnnoDominiPatternLen = StoredNameLength(AnnoDominiPattern);
    Data.CalenderPatternLen = StoredNameLength(CalenderPattern);
    Data.DrawFileNamePatternLen = StoredNameLength(DrawFileNamePattern);
    Data.EffectPatternLen = StoredNameLength(EffectPattern);
    Data.WaveFileLen = StoredNameLength(WaveFile);
    Data.TextuerFileLen = StoredNameLength(TextuerFile);
    // Most records have no names: the block and its six zero bytes go in one write.
    if (AnnoDominiPattern.empty() && CalenderPattern.empty() && DrawFileNamePattern.empty() &&
        EffectPattern.empty() && WaveFile.empty() && TextuerFile.empty()) {
        char bare[kBareSize] = {};
        std::memcpy(bare, &Data, sizeof Data);
        stream.Write(bare, sizeof bare);
        return;
    }
    stream.Write(&Data, sizeof Data);
    WriteStoredName(stream, AnnoDominiPattern);
    WriteStoredName(stream, CalenderPattern);
    WriteStoredName(stream, DrawFileNamePattern);
    WriteStoredName(stream, EffectPattern);
    WriteStoredName(stream, WaveFile);
    WriteStoredName(stream, TextuerFile);
}

void TDataInf::ReadNames(TMemoryStream& stream, const TDataInfRec& lengths) {
    AnnoDominiPattern = ReadStoredName(stream, lengths.AnnoDominiPatternLen);
    CalenderPattern = ReadStoredName(stream, lengths.CalenderPatternLen);
    DrawFileNamePattern = ReadStoredName(stream, lengths.DrawFileNamePatternLen);
    EffectPattern = ReadStoredName(stream, lengths.EffectPatternLen);
    WaveFile = ReadStoredName(stream, lengths.WaveFileLen);
    TextuerFile = ReadStoredName(stream, lengths.TextuerFileLen);
}

void TDataInf::ReadFromStream(TMemoryStream& stream) {
    stream.ReadBuffer(&Data, sizeof Data);
    ReadNames(stream, Data);
}

void TDataInf::ReadFromStream(TMemoryStream& stream, int blockSize) {
    if (blockSize == int(sizeof(TDataInfRec))) {
        ReadFromStream(stream);
        return;
    }
    // Older blocks agree with the current one at bytes 0..29 (the length fields at 3, 8,
    // 13, 19, 26 and the texture's at 30) and 34..37; the flags sit at their last byte.
    uint8_t old[44] = {};
    stream.ReadBuffer(old, size_t(blockSize));
    TDataInfRec rec{};
    auto* bytes = reinterpret_cast<uint8_t*>(&rec);
    std::memcpy(bytes, old, 30);
    std::memcpy(bytes + 30, old + 30, 4);
    std::memcpy(bytes + 34, old + 34, 4);
    rec.Flags = old[blockSize - 1];
    Data = rec;
    ReadNames(stream, Data);
}

bool TDataInf::Flag(int bit) const {
    return bit >= 0 && bit <= 7 && (Data.Flags >> bit) & 1;
}

void TDataInf::SetFlag(int bit, bool on) {
    if (bit < 0 || bit > 7)
        return;
    if (on)
        Data.Flags = uint8_t(Data.Flags | (1u << bit));
    else
        Data.Flags = uint8_t(Data.Flags & ~(1u << bit));
}

void TDataInf::Unregister() {
    if (Owner)
        Owner->UnregisterRecord(this);
}

} // namespace muralto
