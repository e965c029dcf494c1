#pragma once
// Named patterns: the calendar, date and file-name lists (and the base of the effect
// list). Every registered picture refers to its patterns by name. Each item's packed
// record is its state and its stored form; the font travels beside it and is copied into
// the record just before saving and out of it just after loading.
#include "buffer/MemoryStream.h"
#include "compose/ChangePipeline.h"
#include "core/Errors.h"

#include <bit>
#include <cstddef>
#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

namespace muralto {

static_assert(std::endian::native == std::endian::little,
              "the stored records are little-endian and read in place");

// A name that another pattern of the list already bears.
class EOverlapNameError : public Exception {
public:
    using Exception::Exception;
};

enum TFontStyleBit : uint8_t { fsBold = 1, fsItalic = 2, fsUnderline = 4, fsStrikeOut = 8 };

// The font of a pattern: its face as stored, its size in points, its style bits and colour.
struct TPatternFont {
    std::string Name = "ＭＳ Ｐゴシック";
    int Size = 14;
    uint8_t Style = 0;
    TColor Color = 0; // black, the class library's default
};

#pragma pack(push, 1)
struct TCalenderRec {
    uint8_t AlphaLevel = 0;
    uint8_t FontStyle = 0;
    uint32_t FontColor = 0;
    uint8_t FontSize = 0;
    int32_t FontNameLen = 0;
    uint8_t Options = 3;
    uint8_t DrawType = 0;
    uint32_t TodayColor = 0x0000FF00;
    uint32_t SundayColor = 0x000000FF;
    uint32_t MondayColor = 0x00FFFFFF;
    uint32_t TuesdayColor = 0x00FFFFFF;
    uint32_t WednesdayColor = 0x00FFFFFF;
    uint32_t ThursdayColor = 0x00FFFFFF;
    uint32_t FridayColor = 0x00FFFFFF;
    uint32_t SaturdayColor = 0x00FFFF00;
    uint32_t HolidayColor = 0x00FF00FF;
    uint32_t FrameColor = 0;
    uint32_t ShadowColor = 0;
    int16_t MarginX = 0;
    int16_t MarginY = 0;
    uint8_t HSpace = 0;
    uint8_t VSpace = 0;
    uint8_t Position = 0;
    int32_t NameLen = 0;
};

struct TAnnoRec {
    uint8_t AlphaLevel = 0;
    uint8_t DateParts = 0;
    uint8_t FontStyle = 0;
    uint32_t FontColor = 0x00FFFFFF;
    uint8_t FontSize = 0;
    int32_t FontNameLen = 0;
    int16_t MarginX = 0;
    int16_t MarginY = 0;
    uint8_t Reserved = 0;
    uint8_t Position = 0;
    uint8_t Options = 1;
    uint32_t FrameColor = 0;
    uint32_t ShadowColor = 0;
    int32_t NameLen = 0;
    int32_t FormatLen = 0;
    int32_t SeparatorLen = 0;
};

struct TDrawNameRec {
    uint8_t AlphaLevel = 0;
    uint8_t FontStyle = 0;
    uint32_t FontColor = 0x00FFFFFF;
    uint8_t FontSize = 0;
    int32_t FontNameLen = 0;
    uint8_t Options = 0x21;
    uint32_t FrameColor = 0;
    uint32_t ShadowColor = 0;
    int16_t MarginX = 0;
    int16_t MarginY = 0;
    uint8_t Position = 0;
    int32_t NameLen = 0;
};
#pragma pack(pop)
static_assert(sizeof(TCalenderRec) == 68);
static_assert(offsetof(TCalenderRec, Options) == 11);
static_assert(offsetof(TCalenderRec, TodayColor) == 13);
static_assert(offsetof(TCalenderRec, MarginX) == 57);
static_assert(offsetof(TCalenderRec, NameLen) == 64);
static_assert(sizeof(TAnnoRec) == 39);
static_assert(offsetof(TAnnoRec, MarginX) == 12);
static_assert(offsetof(TAnnoRec, Options) == 18);
static_assert(offsetof(TAnnoRec, NameLen) == 27);
static_assert(sizeof(TDrawNameRec) == 29);
static_assert(offsetof(TDrawNameRec, FrameColor) == 12);
static_assert(offsetof(TDrawNameRec, Position) == 24);

// Option bits. The calendar's bit 1 is reserved and kept as read.
enum TCalenderOption { coDrawFrame = 0, coDrawShadow = 2, coItalicShadow = 3 };
enum TTextOption {
    toDrawFrame = 0,
    toAlphaChannel = 1,
    toDrawShadow = 2,
    toItalicShadow = 3,
    toUseFormat = 4,     // date patterns
    toHideExtension = 4, // file-name patterns
    toFullPath = 5       // file-name patterns
};
enum TDatePart { dpShowAD = 0, dpShowMonth = 1, dpShowDay = 2 };

class TOptionList;

class TOptionItem {
public:
    explicit TOptionItem(TOptionList& owner) : owner_(owner) {}
    virtual ~TOptionItem() = default;
    TOptionItem(const TOptionItem&) = delete;
    TOptionItem& operator=(const TOptionItem&) = delete;

    const std::string& Name() const { return name_; }
    // Raises for an empty name or one another item bears; the item is then unchanged.
    void SetName(const std::string& name);
    TOptionList& Owner() const { return owner_; }

    // One stream of the pattern file: the record, then the item's strings.
    virtual void LoadFromStream(TMemoryStream& stream) = 0;
    virtual void SaveToStream(TMemoryStream& stream) = 0;

protected:
    // A stored name is taken as it is, repeated or not.
    void AssignStoredName(std::string name) { name_ = std::move(name); }

private:
    friend class TOptionList;
    TOptionList& owner_;
    std::string name_;
};

// An item drawn with a font: the three decoration patterns.
template <class Rec> class TDecorItem : public TOptionItem {
public:
    using TOptionItem::TOptionItem;
    Rec Data;
    TPatternFont Font;
    bool Option(int bit) const { return (Data.Options >> bit) & 1; }
    void SetOption(int bit, bool on) {
        Data.Options = uint8_t(on ? Data.Options | (1u << bit) : Data.Options & ~(1u << bit));
    }
};

class TCalenderItem : public TDecorItem<TCalenderRec> {
public:
    explicit TCalenderItem(TOptionList& owner) : TDecorItem(owner) {}
    // 0 font, 1 frame, 2 shadow, 3 today, 4 Sunday ... 10 Saturday, 11 holiday; any other
    // index reads white and writes nothing.
    TColor Color(int index) const;
    void SetColor(int index, TColor colour);
    void LoadFromStream(TMemoryStream& stream) override;
    void SaveToStream(TMemoryStream& stream) override;
};

class TAnnoItem : public TDecorItem<TAnnoRec> {
public:
    explicit TAnnoItem(TOptionList& owner);
    std::string FormatString = "dddddd";
    std::string Separator = ".";
    bool DatePart(int bit) const { return (Data.DateParts >> bit) & 1; }
    void SetDatePart(int bit, bool on);
    // 0 font, 1 frame, 2 shadow; others read white and write nothing.
    TColor Color(int index) const;
    void SetColor(int index, TColor colour);
    // Takes style, size and colour (and the face, when given) into the font and the whole
    // record into the item.
    void SetFont(const TAnnoRec& rec, const std::string* fontName = nullptr);
    void LoadFromStream(TMemoryStream& stream) override;
    void SaveToStream(TMemoryStream& stream) override;
};

class TDrawNameItem : public TDecorItem<TDrawNameRec> {
public:
    explicit TDrawNameItem(TOptionList& owner);
    TColor Color(int index) const;
    void SetColor(int index, TColor colour);
    void SetFont(const TDrawNameRec& rec, const std::string* fontName = nullptr);
    void LoadFromStream(TMemoryStream& stream) override;
    void SaveToStream(TMemoryStream& stream) override;
};

class TOptionList {
public:
    virtual ~TOptionList() = default;
    TOptionList(const TOptionList&) = delete;
    TOptionList& operator=(const TOptionList&) = delete;

    int Count() const { return int(items_.size()); }
    // Raises the list index error for an index out of range.
    TOptionItem& Items(int index) const;
    bool IsValidIndex(int index) const { return index >= 0 && index < Count(); }
    // A new item with the defaults and the first free default name.
    TOptionItem& Add();
    void Delete(int index);
    void Exchange(int index1, int index2);
    void Move(int curIndex, int newIndex);
    void Clear() { items_.clear(); }
    // Exact, case-sensitive comparison.
    int IndexOfName(const std::string& name) const;
    bool IsNameFree(const std::string& name) const { return IndexOfName(name) == -1; }
    TOptionItem* FindByName(const std::string& name) const;

    // Appends the items of a pattern file (the list is not cleared first, stored names
    // are not checked); on a damaged stream the items read before it stay.
    virtual void LoadFromStream(TMemoryStream& source);
    virtual void SaveToStream(TMemoryStream& target);
    void LoadFromFile(const std::string& fileName);
    // Through a temporary file, so a failed save leaves the old file.
    void SaveToFile(const std::string& fileName);

    // Told after an item was renamed (the program sets none).
    std::function<void(TOptionItem& item, const std::string& oldName)> OnRename;

protected:
    TOptionList() = default;
    virtual std::unique_ptr<TOptionItem> NewItem() = 0;
    // The printf template of default names, with one %d.
    virtual const char* NameTemplate() const = 0;

private:
    std::vector<std::unique_ptr<TOptionItem>> items_;
};

// 16-bit keys month * 100 + day, one per line of the holiday file.
class THolidayList {
public:
    THolidayList() = default;
    // A missing file gives an empty list; a line that is no decimal number gives 0.
    explicit THolidayList(const std::string& fileName);
    void LoadFromText(const std::string& text);
    int Count() const { return int(keys_.size()); }
    uint16_t Keys(int index) const { return keys_.at(size_t(index)); }
    int IndexOf(int key) const;
    bool IsHoliday(int month, int day) const { return IndexOf(month * 100 + day) >= 0; }

private:
    std::vector<uint16_t> keys_;
};

// The lists that the pipeline draws from implement its small interface as well.
template <class ItemT> class TDecorList : public TOptionList, public TDecorationList {
public:
    ItemT& Item(int index) const { return static_cast<ItemT&>(Items(index)); }
    ItemT& AddItem() { return static_cast<ItemT&>(Add()); }
    ItemT* Find(const std::string& name) const { return static_cast<ItemT*>(FindByName(name)); }

    int IndexOfName(const std::string& name) const override {
        return TOptionList::IndexOfName(name);
    }
    int Count() const override { return TOptionList::Count(); }
    void DrawByName(const std::string& name, BitmapPtr& bitmap) override {
        DrawItem(bitmap, Find(name));
    }
    void DrawByIndex(int index, BitmapPtr& bitmap) override { DrawItem(bitmap, &Item(index)); }
    // Nothing for none; otherwise draws on the bitmap in place.
    virtual void DrawItem(BitmapPtr& bitmap, ItemT* item) = 0;

protected:
    std::unique_ptr<TOptionItem> NewItem() override { return std::make_unique<ItemT>(*this); }
};

class TCalenderList : public TDecorList<TCalenderItem> {
public:
    // Reads "祝日.txt" beside the program.
    TCalenderList();
    explicit TCalenderList(const std::string& holidayFile) : holidays_(holidayFile) {}
    THolidayList& Holidays() { return holidays_; }
    const THolidayList& Holidays() const { return holidays_; }
    void DrawItem(BitmapPtr& bitmap, TCalenderItem* item) override;

protected:
    const char* NameTemplate() const override { return "ｶﾚﾝﾀﾞｰ描画ﾊﾟﾀｰﾝ %d"; }

private:
    THolidayList holidays_;
};

class TAnnoList : public TDecorList<TAnnoItem> {
public:
    void DrawItem(BitmapPtr& bitmap, TAnnoItem* item) override;

protected:
    const char* NameTemplate() const override { return "西暦描画ﾊﾟﾀｰﾝ %d"; }
};

class TDrawNameList : public TDecorList<TDrawNameItem> {
public:
    // The path that the following draws show.
    std::string FileName;
    void SetFileName(const std::string& fileName) override { FileName = fileName; }
    // An empty name draws nothing.
    void DrawByName(const std::string& name, BitmapPtr& bitmap) override;
    void DrawItem(BitmapPtr& bitmap, TDrawNameItem* item) override;

protected:
    const char* NameTemplate() const override { return "ﾌｧｲﾙ名描画ﾊﾟﾀｰﾝ %d"; }
};

extern const char* const kHolidayFileName;  // "祝日.txt"
extern const char* const kCalenderFileName; // "CALENDER.MWF"
extern const char* const kAnnoFileName;     // "ANNODOMINI.MWF"
extern const char* const kDrawNameFileName; // "DRAWFILENAME.MWF"

// The lists of the run.
TCalenderList& CalenderList();
TAnnoList& AnnoList();
TDrawNameList& DrawNameList();

} // namespace muralto
