#pragma once
// Effect patterns: named sequences of effects run one after another on the wallpaper,
// kept in "EFFECT.MWF". The list owns the effect libraries of the run.
#include "EffectLib.h"
#include "compose/ChangePipeline.h"
#include "decor/OptList.h"

#include <memory>
#include <string>
#include <vector>

namespace muralto {

class TEffectItem : public TOptionItem {
public:
    using TOptionItem::TOptionItem;
    // Display names, duplicates allowed, possibly of effects no library offers.
    std::vector<std::string> Effects;
    // One stream of the file: the run list, one name per line.
    void LoadFromStream(TMemoryStream& stream) override;
    void SaveToStream(TMemoryStream& stream) override;

private:
    friend class TEffectList;
    void SetStoredName(std::string name) { AssignStoredName(std::move(name)); }
};

class TEffectList : public TOptionList, public TEffectRunner {
public:
    // Loads the effect libraries of the program folder and the system folder.
    TEffectList();
    explicit TEffectList(std::unique_ptr<TEffectLibrary> library);

    TEffectLibrary& Library() { return *library_; }
    TEffectItem& Item(int index) const { return static_cast<TEffectItem&>(Items(index)); }
    TEffectItem& AddItem() { return static_cast<TEffectItem&>(Add()); }

    // Stream 1 the names, stream 1 + k the run list of pattern k.
    void LoadFromStream(TMemoryStream& source) override;
    void SaveToStream(TMemoryStream& target) override;

    // Each effect of the pattern in turn; nothing for an invalid index.
    void RunPattern(int index, BitmapPtr& bitmap) override;
    // Nothing for an empty or unknown name.
    void RunPatternByName(const std::string& name, BitmapPtr& bitmap) override;
    void RunEffectByName(const std::string& name, BitmapPtr& bitmap) override {
        library_->RunEffectByName(name, bitmap);
    }
    int Count() const override { return TOptionList::Count(); }

protected:
    std::unique_ptr<TOptionItem> NewItem() override { return std::make_unique<TEffectItem>(*this); }
    const char* NameTemplate() const override { return "Effect Pattern %d"; }

private:
    std::unique_ptr<TEffectLibrary> library_;
};

extern const char* const kEffectFileName; // "EFFECT.MWF"

// The effect patterns and libraries of the run.
TEffectList& EffectList();

} // namespace muralto
