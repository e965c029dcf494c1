#include "OptList.h"

#include "ADDraw.h"
#include "CalDraw1.h"
#include "NameDraw.h"
#include "buffer/DataInf.h"
#include "buffer/StmList.h"
#include "platform/Files.h"
#include "platform/Paths.h"
#include "platform/Text.h"

#include <cstdio>
#include <cstring>

namespace muralto {

const char* const kHolidayFileName = "祝日.txt";
const char* const kCalenderFileName = "CALENDER.MWF";
const char* const kAnnoFileName = "ANNODOMINI.MWF";
const char* const kDrawNameFileName = "DRAWFILENAME.MWF";

namespace {

constexpr uint32_t kPatternFileVersion = 0x00010000;
constexpr TColor kWhite = 0x00FFFFFF;

template <class Rec> void ReadRecord(TMemoryStream& stream, Rec& rec) {
    stream.ReadBuffer(&rec, sizeof rec);
}

template <class Rec> void WriteRecord(TMemoryStream& stream, const Rec& rec) {
    stream.Write(&rec, sizeof rec);
}

template <class Rec> void FontIntoRecord(const TPatternFont& font, Rec& rec) {
    rec.FontStyle = font.Style;
    rec.FontColor = font.Color;
    rec.FontSize = uint8_t(font.Size); // only the low byte is kept
    rec.FontNameLen = StoredNameLength(font.Name);
}

template <class Rec> void FontFromRecord(const Rec& rec, TPatternFont& font) {
    font.Style = rec.FontStyle;
    font.Color = rec.FontColor;
    font.Size = rec.FontSize;
}

// Colour slots 0 font, 1 frame, 2 shadow of the text patterns.
template <class Item> TColor TextColor(const Item& item, int index) {
    switch (index) {
    case 0:
        return item.Font.Color;
    case 1:
        return item.Data.FrameColor;
    case 2:
        return item.Data.ShadowColor;
    default:
        return kWhite;
    }
}

template <class Item> void SetTextColor(Item& item, int index, TColor colour) {
    switch (index) {
    case 0:
        item.Font.Color = colour;
        item.Data.FontColor = colour;
        break;
    case 1:
        item.Data.FrameColor = colour;
        break;
    case 2:
        item.Data.ShadowColor = colour;
        break;
    default:
        break;
    }
}

template <class Item, class Rec>
void SetFontOf(Item& item, const Rec& rec, const std::string* fontName) {
    item.Data = rec;
    FontFromRecord(rec, item.Font);
    if (fontName)
        item.Font.Name = *fontName;
}

// Where a colour index lives in the record; the fields are packed, so they are copied
// rather than pointed at.
constexpr size_t kNoSlot = 0;
size_t CalenderSlot(int index) {
    switch (index) {
    case 1:
        return offsetof(TCalenderRec, FrameColor);
    case 2:
        return offsetof(TCalenderRec, ShadowColor);
    case 3:
        return offsetof(TCalenderRec, TodayColor);
    case 4:
        return offsetof(TCalenderRec, SundayColor);
    case 5:
        return offsetof(TCalenderRec, MondayColor);
    case 6:
        return offsetof(TCalenderRec, TuesdayColor);
    case 7:
        return offsetof(TCalenderRec, WednesdayColor);
    case 8:
        return offsetof(TCalenderRec, ThursdayColor);
    case 9:
        return offsetof(TCalenderRec, FridayColor);
    case 10:
        return offsetof(TCalenderRec, SaturdayColor);
    case 11:
        return offsetof(TCalenderRec, HolidayColor);
    default:
        return kNoSlot;
    }
}

} // namespace

// ---------------------------------------------------------------- items

void TOptionItem::SetName(const std::string& name) {
    if (name == name_)
        return;
    if (name.empty())
        throw Exception("名前を設定してください。");
    if (!owner_.IsNameFree(name))
        throw EOverlapNameError("既に同名の設定が登録されています。");
    const std::string old = name_;
    name_ = name;
    if (owner_.OnRename)
        owner_.OnRename(*this, old);
}

TColor TCalenderItem::Color(int index) const {
    if (index == 0)
        return Font.Color;
    const size_t slot = CalenderSlot(index);
    if (slot == kNoSlot)
        return kWhite;
    TColor colour;
    std::memcpy(&colour, reinterpret_cast<const char*>(&Data) + slot, sizeof colour);
    return colour;
}

void TCalenderItem::SetColor(int index, TColor colour) {
    if (index == 0) {
        Font.Color = colour;
        Data.FontColor = colour;
    } else if (const size_t slot = CalenderSlot(index); slot != kNoSlot) {
        std::memcpy(reinterpret_cast<char*>(&Data) + slot, &colour, sizeof colour);
    }
}

void TCalenderItem::LoadFromStream(TMemoryStream& stream) {
    ReadRecord(stream, Data);
    AssignStoredName(ReadStoredName(stream, Data.NameLen));
    Font.Name = ReadStoredName(stream, Data.FontNameLen);
    FontFromRecord(Data, Font);
}

void TCalenderItem::SaveToStream(TMemoryStream& stream) {
    FontIntoRecord(Font, Data);
    Data.NameLen = StoredNameLength(Name());
    WriteRecord(stream, Data);
    WriteStoredName(stream, Name());
    WriteStoredName(stream, Font.Name);
}

TAnnoItem::TAnnoItem(TOptionList& owner) : TDecorItem(owner) {
    Font.Color = Data.FontColor;
}

void TAnnoItem::SetDatePart(int bit, bool on) {
    Data.DateParts = uint8_t(on ? Data.DateParts | (1u << bit) : Data.DateParts & ~(1u << bit));
}

TColor TAnnoItem::Color(int index) const {
    return TextColor(*this, index);
}

void TAnnoItem::SetColor(int index, TColor colour) {
    SetTextColor(*this, index, colour);
}

void TAnnoItem::SetFont(const TAnnoRec& rec, const std::string* fontName) {
    SetFontOf(*this, rec, fontName);
}

void TAnnoItem::LoadFromStream(TMemoryStream& stream) {
    ReadRecord(stream, Data);
    Font.Name = ReadStoredName(stream, Data.FontNameLen);
    FormatString = ReadStoredName(stream, Data.FormatLen);
    AssignStoredName(ReadStoredName(stream, Data.NameLen));
    Separator = ReadStoredName(stream, Data.SeparatorLen);
    FontFromRecord(Data, Font);
}

void TAnnoItem::SaveToStream(TMemoryStream& stream) {
    FontIntoRecord(Font, Data);
    Data.NameLen = StoredNameLength(Name());
    Data.FormatLen = StoredNameLength(FormatString);
    Data.SeparatorLen = StoredNameLength(Separator);
    WriteRecord(stream, Data);
    WriteStoredName(stream, Font.Name);
    WriteStoredName(stream, FormatString);
    WriteStoredName(stream, Name());
    WriteStoredName(stream, Separator);
}

TDrawNameItem::TDrawNameItem(TOptionList& owner) : TDecorItem(owner) {
    Font.Color = Data.FontColor;
}

TColor TDrawNameItem::Color(int index) const {
    return TextColor(*this, index);
}

void TDrawNameItem::SetColor(int index, TColor colour) {
    SetTextColor(*this, index, colour);
}

void TDrawNameItem::SetFont(const TDrawNameRec& rec, const std::string* fontName) {
    SetFontOf(*this, rec, fontName);
}

void TDrawNameItem::LoadFromStream(TMemoryStream& stream) {
    ReadRecord(stream, Data);
    Font.Name = ReadStoredName(stream, Data.FontNameLen);
    AssignStoredName(ReadStoredName(stream, Data.NameLen));
    FontFromRecord(Data, Font);
}

void TDrawNameItem::SaveToStream(TMemoryStream& stream) {
    FontIntoRecord(Font, Data);
    Data.NameLen = StoredNameLength(Name());
    WriteRecord(stream, Data);
    WriteStoredName(stream, Font.Name);
    WriteStoredName(stream, Name());
}

// ---------------------------------------------------------------- the list

TOptionItem& TOptionList::Items(int index) const {
    if (!IsValidIndex(index))
        throw EListError("リストのインデックスが範囲を超えています (" + std::to_string(index) +
                         ")");
    return *items_[size_t(index)];
}

TOptionItem& TOptionList::Add() {
    std::unique_ptr<TOptionItem> item = NewItem();
    char name[128];
    for (int n = 1;; ++n) {
        std::snprintf(name, sizeof name, NameTemplate(), n);
        if (IsNameFree(name))
            break;
    }
    item->name_ = name;
    items_.push_back(std::move(item));
    return *items_.back();
}

void TOptionList::Delete(int index) {
    Items(index);
    items_.erase(items_.begin() + index);
}

void TOptionList::Exchange(int index1, int index2) {
    Items(index1);
    Items(index2);
    std::swap(items_[size_t(index1)], items_[size_t(index2)]);
}

void TOptionList::Move(int curIndex, int newIndex) {
    if (curIndex == newIndex)
        return;
    Items(curIndex);
    Items(newIndex);
    std::unique_ptr<TOptionItem> item = std::move(items_[size_t(curIndex)]);
    items_.erase(items_.begin() + curIndex);
    items_.insert(items_.begin() + newIndex, std::move(item));
}

int TOptionList::IndexOfName(const std::string& name) const {
    for (size_t i = 0; i < items_.size(); ++i)
        if (items_[i]->Name() == name)
            return int(i);
    return -1;
}

TOptionItem* TOptionList::FindByName(const std::string& name) const {
    const int index = IndexOfName(name);
    return index < 0 ? nullptr : items_[size_t(index)].get();
}

void TOptionList::LoadFromStream(TMemoryStream& source) {
    TStreamList container;
    container.LoadFromStream(source);
    // Stream 0 holds the version, which is not checked.
    for (int i = 1; i < container.Count(); ++i) {
        TMemoryStream& stream = container.Streams(i);
        stream.Seek(0);
        TOptionItem& item = Add();
        try {
            item.LoadFromStream(stream);
        } catch (...) {
            items_.pop_back(); // half an item is no pattern; those before it stay
            throw;
        }
    }
}

void TOptionList::SaveToStream(TMemoryStream& target) {
    TStreamList container;
    container.Streams(container.Add()).WriteInt32(int32_t(kPatternFileVersion));
    for (const auto& item : items_)
        item->SaveToStream(container.Streams(container.Add()));
    container.SaveToStream(target);
}

void TOptionList::LoadFromFile(const std::string& fileName) {
    TMemoryStream stream(ReadWholeFile(fileName));
    LoadFromStream(stream);
}

void TOptionList::SaveToFile(const std::string& fileName) {
    TMemoryStream stream;
    SaveToStream(stream);
    WriteFileAtomically(fileName, stream.Bytes());
}

// ---------------------------------------------------------------- holidays

THolidayList::THolidayList(const std::string& fileName) {
    if (!FileExists(fileName))
        return;
    try {
        LoadFromText(ReadWholeFile(fileName));
    } catch (const FileError&) {
        // An unreadable holiday file is no error: the calendar then marks no holidays.
    }
}

void THolidayList::LoadFromText(const std::string& text) {
    keys_.clear();
    for (const std::string& line : SplitLines(text)) {
        size_t at = line.find_first_not_of(" \t");
        long value = 0;
        bool negative = false;
        if (at != std::string::npos && (line[at] == '-' || line[at] == '+'))
            negative = line[at++] == '-';
        const size_t digits =
            at == std::string::npos ? 0 : line.find_first_not_of("0123456789", at);
        const size_t end = digits == std::string::npos ? line.size() : digits;
        const bool number = at != std::string::npos && end > at && end - at <= 9 &&
                            line.find_first_not_of(" \t", end) == std::string::npos;
        if (number)
            value = std::stol(line.substr(at, end - at)) * (negative ? -1 : 1);
        keys_.push_back(uint16_t(value));
    }
}

int THolidayList::IndexOf(int key) const {
    for (size_t i = 0; i < keys_.size(); ++i)
        if (keys_[i] == uint16_t(key))
            return int(i);
    return -1;
}

// ---------------------------------------------------------------- drawing entry points

TCalenderList::TCalenderList() : holidays_(ProgramFolder() + kHolidayFileName) {}

void TCalenderList::DrawItem(BitmapPtr& bitmap, TCalenderItem* item) {
    if (item)
        TCalenderDraw(*item).Draw(bitmap, false);
}

void TAnnoList::DrawItem(BitmapPtr& bitmap, TAnnoItem* item) {
    if (item)
        TAnnoDraw(*item).Draw(bitmap);
}

void TDrawNameList::DrawByName(const std::string& name, BitmapPtr& bitmap) {
    if (!name.empty())
        DrawItem(bitmap, Find(name));
}

void TDrawNameList::DrawItem(BitmapPtr& bitmap, TDrawNameItem* item) {
    if (item)
        TDrawFileName(*item).Draw(bitmap, FileName);
}

TCalenderList& CalenderList() {
    static TCalenderList list;
    return list;
}

TAnnoList& AnnoList() {
    static TAnnoList list;
    return list;
}

TDrawNameList& DrawNameList() {
    static TDrawNameList list;
    return list;
}

} // namespace muralto
