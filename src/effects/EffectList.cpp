#include "EffectList.h"

#include "buffer/StmList.h"
#include "platform/Text.h"

namespace muralto {

const char* const kEffectFileName = "EFFECT.MWF";

namespace {

constexpr int32_t kEffectFileVersion = 0x00010000;

std::vector<std::string> ReadLines(const TMemoryStream& stream) {
    std::vector<std::string> lines;
    for (const std::string& line : SplitLines(stream.Bytes()))
        lines.push_back(FromStored(line));
    return lines;
}

} // namespace

void TEffectItem::LoadFromStream(TMemoryStream& stream) {
    Effects = ReadLines(stream);
}

void TEffectItem::SaveToStream(TMemoryStream& stream) {
    stream.Write(JoinLines(Effects));
}

TEffectList::TEffectList() : library_(std::make_unique<TEffectLibrary>()) {}

TEffectList::TEffectList(std::unique_ptr<TEffectLibrary> library) : library_(std::move(library)) {}

void TEffectList::LoadFromStream(TMemoryStream& source) {
    TStreamList container;
    container.LoadFromStream(source);
    if (container.Count() < 2)
        return;
    const std::vector<std::string> names = ReadLines(container.Streams(1));
    for (size_t k = 0; k < names.size(); ++k) {
        // Fewer run lists than names raises the list's index error; the patterns read
        // before stay.
        TMemoryStream& runList = container.Streams(int(k) + 2);
        TEffectItem& item = AddItem();
        item.SetStoredName(names[k]);
        item.LoadFromStream(runList);
    }
}

void TEffectList::SaveToStream(TMemoryStream& target) {
    TStreamList container;
    container.Streams(container.Add()).WriteInt32(kEffectFileVersion);
    std::vector<std::string> names;
    for (int i = 0; i < TOptionList::Count(); ++i)
        names.push_back(Items(i).Name());
    container.Streams(container.Add()).Write(JoinLines(names));
    for (int i = 0; i < TOptionList::Count(); ++i)
        Items(i).SaveToStream(container.Streams(container.Add()));
    container.SaveToStream(target);
}

void TEffectList::RunPattern(int index, BitmapPtr& bitmap) {
    if (!IsValidIndex(index))
        return;
    // A copy: an effect must not be able to change the list it is run from.
    const std::vector<std::string> names = Item(index).Effects;
    for (const std::string& name : names)
        library_->RunEffectByName(name, bitmap);
}

void TEffectList::RunPatternByName(const std::string& name, BitmapPtr& bitmap) {
    if (!name.empty())
        RunPattern(IndexOfName(name), bitmap);
}

TEffectList& EffectList() {
    static TEffectList list;
    return list;
}

} // namespace muralto
