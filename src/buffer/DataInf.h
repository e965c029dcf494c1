#pragma once
// The attributes of one registered picture: the 44-byte block stored in the buffer file
// and in the settings, and the six names that go with it.
#include "MemoryStream.h"

#include <bit>
#include <cstddef>
#include <cstdint>
#include <functional>
#include <memory>
#include <string>

namespace muralto {

static_assert(std::endian::native == std::endian::little,
              "the stored blocks are little-endian and read in place");

#pragma pack(push, 1)
struct TDataInfRec {
    uint8_t ShowStyle = 0;
    uint8_t ResizeStyle = 0;
    uint8_t AnnoDominiType = 0;
    int32_t AnnoDominiPatternLen = 0;
    uint8_t CalenderType = 0;
    int32_t CalenderPatternLen = 0;
    uint8_t DrawFileNameType = 0;
    int32_t DrawFileNamePatternLen = 0;
    uint8_t Reserved = 0;
    uint8_t PlaySound = 0;
    int32_t WaveFileLen = 0;
    uint8_t EffectType = 0;
    int8_t Brightness = 0;
    int8_t Contrast = 0;
    int32_t EffectPatternLen = 0;
    int32_t TextuerFileLen = 0;
    uint32_t TransparentColor = 0;
    uint32_t BackColor = 0;
    uint8_t Flags = 0;
    uint8_t TransPos = 0;
};
#pragma pack(pop)
static_assert(sizeof(TDataInfRec) == 44);
static_assert(offsetof(TDataInfRec, CalenderPatternLen) == 8);
static_assert(offsetof(TDataInfRec, WaveFileLen) == 19);
static_assert(offsetof(TDataInfRec, EffectPatternLen) == 26);
static_assert(offsetof(TDataInfRec, TransparentColor) == 34);
static_assert(offsetof(TDataInfRec, Flags) == 42);

enum TDataInfFlag { difTransColor = 0, difTexRandom = 1, difSndRandom = 2, difBackGround = 3 };

// The names stored after a record: each length field counts the closing 0 byte, the text
// ends at the first 0 byte, and a length below 1 reads as empty. A length past the end of
// the stream raises the read error before anything is read.
std::string ReadStoredName(TMemoryStream& stream, int32_t length);
void WriteStoredName(TMemoryStream& stream, const std::string& name);
int32_t StoredNameLength(const std::string& name);

// What a newly registered file gets outside default-data mode.
TDataInfRec InitialDataInfRec();

class TFileBuffer;

class TDataInf {
public:
    // A bare record, as the file readers make them.
    TDataInf() = default;
    // A new registration: the source block, or in default-data mode the settings' defaults.
    TDataInf(TFileBuffer* owner, const TDataInfRec& source);
    ~TDataInf();
    TDataInf(const TDataInf&) = delete;
    TDataInf& operator=(const TDataInf&) = delete;

    void Assign(const TDataInf& source);
    std::unique_ptr<TDataInf> Copy() const;

    // One record entry: the block with its length fields filled in, then the six names,
    // each followed by a zero byte.
    void WriteToStream(TMemoryStream& stream);
    // The bytes WriteToStream writes for a record whose six names are empty.
    static constexpr size_t kBareSize = sizeof(TDataInfRec) + 6;
    void ReadFromStream(TMemoryStream& stream);
    // Entries of the two older versions carry a 39- or 43-byte block; it is converted.
    void ReadFromStream(TMemoryStream& stream, int blockSize);

    bool Flag(int bit) const;
    void SetFlag(int bit, bool on);

    // Removes the record from the list that holds it and destroys it.
    void Unregister();

    TDataInfRec Data{};
    TFileBuffer* Owner = nullptr;
    std::string WaveFile;
    std::string CalenderPattern;
    std::string EffectPattern;
    std::string AnnoDominiPattern;
    std::string DrawFileNamePattern;
    std::string TextuerFile;
    int32_t ListIndex = 0;
    bool InStock = false; // the design's StockList reference: set while in the stock
    std::function<void(TDataInf&)> OnDestroy;

private:
    void ReadNames(TMemoryStream& stream, const TDataInfRec& lengths);
};

// Default-data mode: while on, new registrations take the settings' defaults.
bool DefaultDataMode();
void SetDefaultDataMode(bool on);

} // namespace muralto
