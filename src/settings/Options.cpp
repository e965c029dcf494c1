#include "Options.h"

#include "QXReg.h"
#include "core/CmdParam.h"
#include "core/Errors.h"
#include "platform/Files.h"
#include "platform/Paths.h"
#include "platform/Priority.h"
#include "platform/Registry.h"
#include "platform/Services.h"
#include "platform/Text.h"

#include <cinttypes>
#include <cstdio>
#include <cstring>

namespace muralto {

const char* const kProductKey = "Software\\Heliodor\\Muralto";

TFormatNames::TFormatNames()
    : ShortDayNames{"日", "月", "火", "水", "木", "金", "土"}, LongDayNames{"日曜日", "月曜日",
                                                                            "火曜日", "水曜日",
                                                                            "木曜日", "金曜日",
                                                                            "土曜日"},
      CalendarDayNames{"Sun", "Mon", "Tue", "Wed", "Thu", "Fri", "Sat"} {
    for (int m = 0; m < 12; ++m) {
        ShortMonthNames[size_t(m)] = std::to_string(m + 1);
        LongMonthNames[size_t(m)] = std::to_string(m + 1) + "月";
    }
}

TFormatNames& FormatNames() {
    static TFormatNames names;
    return names;
}

namespace {

// ---------------------------------------------------------------- the value table

// One stored value: where it lives, its kind, the field it fills and whether
// ResetDefaults assigns it. Defaults are the field's value in a fresh store.
struct ValueRow {
    const char* subkey;
    std::string name;
    char kind; // see TSettingInfo
    std::function<void*(TSetting&)> field;
    size_t size;
    bool reset;
    // Where the read default comes from when it is not a fresh store's field.
    std::function<void*()> defaultField;
};

const TSetting& Pristine() {
    static const TSetting pristine{TSetting::WithDefaults{}};
    return pristine;
}

const TFormatNames& PristineNames() {
    static const TFormatNames names;
    return names;
}

template <class T>
ValueRow Field(const char* subkey, const char* name, char kind, T TSetting::*member, bool reset) {
    return {subkey,    name,  kind,   [member](TSetting& s) -> void* { return &(s.*member); },
            sizeof(T), reset, nullptr};
}

const char* const S = "Setting";
const char* const W = "Setting\\Window";
const char* const P = "Previews";
const char* const G = "Setting\\GDS";

std::vector<ValueRow> BuildTable() {
    std::vector<ValueRow> t = {
        Field(S, "Hour", 'b', &TSetting::Hour, true),
        Field(S, "Minute", 'b', &TSetting::Minute, true),
        Field(S, "SuspendTime", 'b', &TSetting::SuspendTime, true),
        Field(S, "Buttons", 'x', &TSetting::Buttons, true),
        Field(S, "ButtonsEx", 'x', &TSetting::ButtonsEx, true),
        Field(S, "SystemBools", 'x', &TSetting::SystemBools, true),
        Field(W, "RegisterFile", 'x', &TSetting::RegisterFile, true),
        Field(P, "CatalogSize", 'x', &TSetting::CatalogSize, true),
        Field(W, "PropertyEditer", 'x', &TSetting::PropertyEditer, true),
        Field(S, "FileWindowBools", 'x', &TSetting::FileWindowBools, true),
        Field(W, "MainWindow", 'x', &TSetting::MainWindow, true),
        Field(S, "EffectTiming", 'x', &TSetting::EffectTiming, true),
        Field(S, "Resize32Settiing", 'x', &TSetting::Resize32Settiing, true),
        Field(W, "ColumnWidth", 'x', &TSetting::ColumnWidth, true),
        Field(W, "TreeViewWidth", 'x', &TSetting::TreeViewWidth, true),
        Field(S, "TreeFontStyle", 'x', &TSetting::TreeFontStyle, true),
        Field(S, "ListFontStyle", 'x', &TSetting::ListFontStyle, true),
        Field(S, "TreeViewFontName", 's', &TSetting::TreeViewFontName, true),
        Field(S, "ListViewFontName", 's', &TSetting::ListViewFontName, true),
        Field(S, "TreeViewFontSize", 'i', &TSetting::TreeViewFontSize, true),
        Field(S, "ListViewFontSize", 'i', &TSetting::ListViewFontSize, true),
        Field(S, "DefaultShowStyle", 'x', &TSetting::DefaultShowStyle, true),
        Field(S, "DefaultResizeStyle", 'x', &TSetting::DefaultResizeStyle, true),
        Field(S, "DefaultCalenderType", 'x', &TSetting::DefaultCalenderType, true),
        Field(S, "DefaultAnnoDominiType", 'x', &TSetting::DefaultAnnoDominiType, true),
        Field(S, "DefaultDrawFileNameType", 'x', &TSetting::DefaultDrawFileNameType, true),
        Field(S, "DefaultWallpeperStyle", 'x', &TSetting::DefaultShowStyle, true),
        Field(S, "DefaultEffectType", 'x', &TSetting::DefaultEffectType, true),
        Field(S, "DefaultWaveFile", 's', &TSetting::DefaultWaveFile, true),
        Field(S, "DefaultCalenderPattern", 's', &TSetting::DefaultCalenderPattern, true),
        Field(S, "DefaultAnnoDominiPattern", 's', &TSetting::DefaultAnnoDominiPattern, true),
        Field(S, "DefaultDrawFileNamePattern", 's', &TSetting::DefaultDrawFileNamePattern, true),
        Field(S, "DefaultEffectPattern", 's', &TSetting::DefaultEffectPattern, true),
        Field(S, "DefaultTextuerFile", 's', &TSetting::DefaultTextuerFile, false),
        Field(S, "DefaultTransparentColor", 'i', &TSetting::DefaultTransparentColor, false),
        Field(S, "DefaultTransPos", 'x', &TSetting::DefaultTransPos, false),
        Field(S, "DefaultBackColor", 'i', &TSetting::DefaultBackColor, false),
        Field(S, "DefaultBrightness", 'x', &TSetting::DefaultBrightness, false),
        Field(S, "DefaultContrast", 'x', &TSetting::DefaultContrast, false),
        Field(S, "SusiePluginLoad", 'x', &TSetting::SusiePluginLoad, true),
        Field(S, "Calculation", 'i', &TSetting::Calculation, false),
        Field(S, "ItemClick", 'b', &TSetting::ItemClick, true),
        Field(P, "IconWidth", 'b', &TSetting::IconWidth, true),
        Field(P, "IconHeight", 'b', &TSetting::IconHeight, true),
        Field(S, "ProcLevel", 'b', &TSetting::ProcLevel, true),
        Field(S, "LastChangeTime", 'f', &TSetting::LastChangeTime, false),
        Field(P, "StayOnTop", 'o', &TSetting::StayOnTop, true),
        Field(S, "FolderScan", 'o', &TSetting::FolderScan, true),
    };
    // The day and month names default to the program's constants.
    auto names = [](std::string key, auto member, size_t index) {
        return ValueRow{
            G,
            std::move(key),
            's',
            [member, index](TSetting&) -> void* { return &(FormatNames().*member)[index]; },
            0,
            false,
            [member, index]() -> void* {
                return &(const_cast<TFormatNames&>(PristineNames()).*member)[index];
            }};
    };
    for (size_t d = 0; d < 7; ++d) {
        const std::string n = std::to_string(d + 1);
        t.push_back(names("SDN" + n, &TFormatNames::ShortDayNames, d));
        t.push_back(names("LDN" + n, &TFormatNames::LongDayNames, d));
        t.push_back(names("CDN" + n, &TFormatNames::CalendarDayNames, d));
    }
    for (size_t m = 0; m < 12; ++m) {
        const std::string n = std::to_string(m + 1);
        t.push_back(names("SMN" + n, &TFormatNames::ShortMonthNames, m));
        t.push_back(names("LMN" + n, &TFormatNames::LongMonthNames, m));
    }
    // The formats default to the values in use.
    const std::pair<const char*, std::string TFormatNames::*> formats[] = {
        {"DateSeparator", &TFormatNames::DateSeparator},
        {"ShortDateFormat", &TFormatNames::ShortDateFormat},
        {"LongDateFormat", &TFormatNames::LongDateFormat},
        {"TimeSeparator", &TFormatNames::TimeSeparator},
        {"TimeAMString", &TFormatNames::TimeAMString},
        {"TimePMString", &TFormatNames::TimePMString},
        {"ShortTimeFormat", &TFormatNames::ShortTimeFormat},
        {"LongTimeFormat", &TFormatNames::LongTimeFormat},
    };
    for (const auto& [key, member] : formats) {
        auto current = [member = member]() -> void* { return &(FormatNames().*member); };
        t.push_back({G, key, 's', [current](TSetting&) { return current(); }, 0, false, current});
    }
    const std::vector<ValueRow> tail = {
        Field(S, "PluginFolder", 's', &TSetting::PluginFolder, false),
        Field(S, "DrawPosLastSelFile", 's', &TSetting::DrawPosLastSelFile, false),
        Field(S, "CalenderSampleFile", 's', &TSetting::CalenderSampleFile, false),
        Field(S, "AnnoDominiSampleFile", 's', &TSetting::AnnoDominiSampleFile, false),
        Field(S, "DrawNameSampleFile", 's', &TSetting::DrawNameSampleFile, false),
        Field(S, "DrawOptionSet", 'x', &TSetting::DrawOptionSet, false),
        Field(S, "CCache", 'x', &TSetting::CCache, true),
        Field(S, "VCache", 'x', &TSetting::VCache, true),
        Field(S, "Quality", 'i', &TSetting::Quality, false),
        Field(W, "TextuerCatalogLeft", 'i', &TSetting::TextuerCatalogLeft, false),
        Field(W, "TextuerCatalogHeight", 'i', &TSetting::TextuerCatalogHeight, false),
        Field(W, "TextuerCatalogTop", 'i', &TSetting::TextuerCatalogTop, false),
        Field(W, "TextuerCatalogWidth", 'i', &TSetting::TextuerCatalogWidth, false),
    };
    t.insert(t.end(), tail.begin(), tail.end());
    return t;
}

const std::vector<ValueRow>& Table() {
    static const std::vector<ValueRow> table = BuildTable();
    return table;
}

const ValueRow& Find(const std::string& name) {
    for (const ValueRow& row : Table())
        if (SameTextAscii(row.name, name))
            return row;
    throw Exception("unknown setting: " + name);
}

void* DefaultOf(const ValueRow& row) {
    return row.defaultField ? row.defaultField() : row.field(const_cast<TSetting&>(Pristine()));
}

void ReadValue(TQXRegistry& reg, const ValueRow& row, TSetting& s) {
    void* field = row.field(s);
    const void* def = DefaultOf(row);
    switch (row.kind) {
    case 'i':
        *static_cast<int32_t*>(field) =
            reg.ReadInteger(row.subkey, row.name, *static_cast<const int32_t*>(def));
        break;
    case 'b':
        *static_cast<uint8_t*>(field) =
            uint8_t(reg.ReadInteger(row.subkey, row.name, *static_cast<const uint8_t*>(def)));
        break;
    case 's':
        *static_cast<std::string*>(field) =
            reg.ReadString(row.subkey, row.name, *static_cast<const std::string*>(def));
        break;
    case 'o':
        *static_cast<bool*>(field) =
            reg.ReadBool(row.subkey, row.name, *static_cast<const bool*>(def));
        break;
    case 'f':
        // A missing time of the last change is now.
        *static_cast<double*>(field) = reg.ReadFloat(row.subkey, row.name, Platform().clock->Now());
        break;
    default:
        reg.ReadBinary(row.subkey, row.name, row.size, field);
        break;
    }
}

void WriteValue(TQXRegistry& reg, const ValueRow& row, TSetting& s) {
    void* field = row.field(s);
    switch (row.kind) {
    case 'i':
        reg.WriteInteger(row.subkey, row.name, *static_cast<int32_t*>(field));
        break;
    case 'b':
        reg.WriteInteger(row.subkey, row.name, *static_cast<uint8_t*>(field));
        break;
    case 's':
        reg.WriteString(row.subkey, row.name, *static_cast<std::string*>(field));
        break;
    case 'o':
        reg.WriteBool(row.subkey, row.name, *static_cast<bool*>(field));
        break;
    case 'f':
        reg.WriteFloat(row.subkey, row.name, *static_cast<double*>(field));
        break;
    default:
        reg.WriteBinary(row.subkey, row.name, field, row.size);
        break;
    }
}

void Assign(const ValueRow& row, void* target, const void* source) {
    switch (row.kind) {
    case 's':
        *static_cast<std::string*>(target) = *static_cast<const std::string*>(source);
        break;
    case 'i':
        std::memcpy(target, source, 4);
        break;
    case 'b':
    case 'o':
        std::memcpy(target, source, 1);
        break;
    case 'f':
        std::memcpy(target, source, 8);
        break;
    default:
        std::memcpy(target, source, row.size);
        break;
    }
}

bool Bit(uint32_t bits, int bit, int highest) {
    return bit >= 0 && bit <= highest && ((bits >> bit) & 1u);
}

template <class T> void SetBit(T& bits, int bit, int highest, bool on) {
    if (bit < 0 || bit > highest)
        return;
    if (on)
        bits = T(bits | (T(1) << bit));
    else
        bits = T(bits & ~(T(1) << bit));
}

uint8_t Folded(uint8_t& type, uint8_t self) {
    if (type == self)
        type = 0;
    return type;
}

std::string UsersKey() {
    return std::string(kProductKey) + "\\Users";
}

void CopyKeyTree(Registry& registry, const std::string& from, const std::string& to) {
    registry.CreateKey(RegistryRoot::CurrentUser, to);
    for (const RegistryValue& v : registry.Values(RegistryRoot::CurrentUser, from))
        registry.WriteValue(RegistryRoot::CurrentUser, to, v.name, v.type, v.data);
    for (const std::string& sub : registry.SubKeys(RegistryRoot::CurrentUser, from))
        CopyKeyTree(registry, from + "\\" + sub, to + "\\" + sub);
}

} // namespace

// ---------------------------------------------------------------- TSetting

TSetting::TSetting() {
    for (const ValueRow& row : Table())
        if (row.kind == 'x')
            std::memset(row.field(*this), 0, row.size);
}

bool TSetting::SystemBool(int bit) const {
    return Bit(SystemBools, bit, 31);
}
void TSetting::SetSystemBool(int bit, bool on) {
    SetBit(SystemBools, bit, 31, on);
}
bool TSetting::FileWindowBool(int bit) const {
    return Bit(FileWindowBools, bit, 7);
}
void TSetting::SetFileWindowBool(int bit, bool on) {
    SetBit(FileWindowBools, bit, 7, on);
}
bool TSetting::SusiePluginLoadBit(int bit) const {
    return Bit(SusiePluginLoad, bit, 7);
}
void TSetting::SetSusiePluginLoadBit(int bit, bool on) {
    SetBit(SusiePluginLoad, bit, 7, on);
}
bool TSetting::DrawOption(int bit) const {
    return Bit(DrawOptionSet, bit, 15);
}
void TSetting::SetDrawOption(int bit, bool on) {
    SetBit(DrawOptionSet, bit, 15, on);
}

uint8_t TSetting::GetDefaultCalenderType() {
    return Folded(DefaultCalenderType, 3);
}
uint8_t TSetting::GetDefaultAnnoDominiType() {
    return Folded(DefaultAnnoDominiType, 3);
}
uint8_t TSetting::GetDefaultDrawFileNameType() {
    return Folded(DefaultDrawFileNameType, 3);
}
uint8_t TSetting::GetDefaultEffectType() {
    return Folded(DefaultEffectType, 4);
}

std::string TSetting::DataFolder() const {
    return WritableProgramFolder() + "Data/" + CurrentUser + "/";
}

std::string TSetting::UserKey() const {
    return std::string(kProductKey) + "\\" + CurrentUser;
}

void TSetting::ResetDefaults() {
    for (const ValueRow& row : Table())
        if (row.reset)
            Assign(row, row.field(*this), DefaultOf(row));
    NoSave = false;
}

void TSetting::Load() {
    Registry::Transaction transaction(SettingsRegistry());
    TQXRegistry product(RegistryRoot::CurrentUser, kProductKey);
    BootCount = product.ReadInteger("", "BootCount", 0) + 1;
    if (BootCount == 1) {
        ResetDefaults();
        if (OnFirstBoot)
            OnFirstBoot(*this);
    }
    if (!LoadAborted && (CurrentUser.empty() || !IsValidGroupName(CurrentUser)))
        LoadUsers();
    if (LoadAborted) {
        transaction.Commit();
        return;
    }
    TQXRegistry user(RegistryRoot::CurrentUser, UserKey());
    const auto version = uint32_t(user.ReadInteger(S, "ProgramVersion", kProgramVersion));
    if (version < uint32_t(kProgramVersion) && OnVersionUp)
        OnVersionUp(*this, version);
    const uint8_t procLevel = ProcLevel;
    for (const ValueRow& row : Table())
        ReadValue(user, row, *this);
    const uint8_t stored = ProcLevel;
    ProcLevel = procLevel;
    SetProcLevel(stored);
    DeskTop().SetCalculation(Calculation == 1 ? ctWorkArea : ctScreen);
    transaction.Commit();
}

void TSetting::LoadUsers() {
    TQXRegistry users(RegistryRoot::CurrentUser, UsersKey());
    const int32_t count = users.ReadInteger("", "UserCount", 0);
    for (int32_t i = 0; i < count; ++i) {
        const std::string n = std::to_string(i);
        const std::string name = users.ReadString("", "UserGroup_" + n, "");
        // A stored name that could leave the data folder or the key is no group.
        if (!IsValidGroupName(name) || Users.IndexOf(name) >= 0)
            continue;
        TUserItem& item = Users.Add();
        item.SetGroupName(name);
        item.UserName = users.ReadString("", "UserName_" + n, "");
        item.Comment = users.ReadString("", "GroupComment_" + n, "");
    }
    if (Users.Count() > 0) {
        CurrentUser = users.ReadString("", "CurrentUser", "");
        if (!IsValidGroupName(CurrentUser))
            CurrentUser = Users.Item(0).GroupName();
        return;
    }
    if (OnNoUser)
        OnNoUser(*this);
    if (Users.Count() == 0) {
        LoadAborted = true;
        throw Exception("ユーザーアカウントを作成して下さい。");
    }
    CurrentUser = Users.Item(0).GroupName();
}

void TSetting::Save() {
    Registry::Transaction transaction(SettingsRegistry());
    TQXRegistry product(RegistryRoot::CurrentUser, kProductKey);
    product.WriteInteger("", "BootCount", BootCount);
    TQXRegistry users(RegistryRoot::CurrentUser, UsersKey());
    int k = 0;
    for (int i = 0; i < Users.Count(); ++i) {
        const TUserItem& item = Users.Item(i);
        if (item.GroupName().empty())
            continue;
        const std::string n = std::to_string(k++);
        users.WriteString("", "UserGroup_" + n, item.GroupName());
        users.WriteString("", "UserName_" + n, item.UserName);
        users.WriteString("", "GroupComment_" + n, item.Comment);
    }
    users.WriteInteger("", "UserCount", k);
    users.WriteString("", "CurrentUser", CurrentUser);
    if (IsValidGroupName(CurrentUser)) {
        Calculation = DeskTop().Calculation();
        TQXRegistry user(RegistryRoot::CurrentUser, UserKey());
        user.WriteInteger(S, "ProgramVersion", kProgramVersion);
        for (const ValueRow& row : Table())
            WriteValue(user, row, *this);
    }
    transaction.Commit();
}

void TSetting::SaveIfAllowed() {
    if (!NoSave && !LoadAborted)
        Save();
}

void TSetting::SaveLastChangeTime() {
    if (NoSave || LoadAborted || !IsValidGroupName(CurrentUser))
        return;
    TQXRegistry(RegistryRoot::CurrentUser, UserKey())
        .WriteFloat(S, "LastChangeTime", LastChangeTime);
}

void TSetting::SelectUser(const std::string& name) {
    if (Users.IndexOf(name) < 0 || !IsValidGroupName(name))
        throw Exception("無効なユーザー名です");
    if (name == CurrentUser)
        return;
    CurrentUser = name;
    ResetDefaults();
    if (OnUserChanged)
        OnUserChanged(*this, name);
}

void TSetting::DeleteUser(int index) {
    if (index < 0 || index >= Users.Count())
        return;
    const std::string name = Users.Item(index).GroupName();
    if (IsValidGroupName(name)) {
        MoveToTrash(WritableProgramFolder() + "Data/" + name);
        try {
            TQXRegistry(RegistryRoot::CurrentUser, UsersKey())
                .DeleteValue("", "UserName_" + std::to_string(index));
            TQXRegistry(RegistryRoot::CurrentUser, kProductKey).DeleteKey(name);
        } catch (const RegistryError&) {
            // The list below still loses the group; the next save rewrites it.
        }
    }
    Users.Delete(index);
}

void TSetting::RenameUser(int index, const std::string& newName) {
    if (const std::string problem = GroupNameProblem(newName); !problem.empty())
        throw Exception(problem);
    TUserItem& item = Users.Item(index);
    const std::string oldName = item.GroupName();
    if (oldName == newName)
        return;
    item.SetGroupName(newName); // raises for a name in use
    RenameFile(WritableProgramFolder() + "Data/" + oldName,
               WritableProgramFolder() + "Data/" + newName);
    Registry& registry = SettingsRegistry();
    Registry::Transaction transaction(registry);
    const std::string from = std::string(kProductKey) + "\\" + oldName;
    if (registry.KeyExists(RegistryRoot::CurrentUser, from)) {
        CopyKeyTree(registry, from, std::string(kProductKey) + "\\" + newName);
        registry.DeleteKey(RegistryRoot::CurrentUser, from);
    }
    transaction.Commit();
    if (CurrentUser == oldName)
        CurrentUser = newName;
}

TUserItem& TSetting::AddUser(const std::string& name, const std::string& userName,
                             const std::string& comment) {
    if (const std::string problem = GroupNameProblem(name); !problem.empty())
        throw Exception(problem);
    if (Users.IndexOf(name) >= 0)
        throw Exception("グループ名「" + name +
                        "」は既に存在します。\r\n別の名前を設定して下さい。");
    TUserItem& item = Users.Add();
    item.SetGroupName(name);
    item.UserName = userName;
    item.Comment = comment;
    return item;
}

void TSetting::BackupRegistry(const std::string& fileName) {
    TQXRegistry::ExportKey(RegistryRoot::CurrentUser, kProductKey, fileName);
}

void TSetting::BuildDefaultData() {
    if (!ParamOption().HasOption("/DEF"))
        return;
    TDataInfRec rec = InitialDataInfRec();
    rec.ShowStyle = DefaultShowStyle;
    rec.ResizeStyle = DefaultResizeStyle;
    rec.AnnoDominiType = GetDefaultAnnoDominiType();
    rec.CalenderType = GetDefaultCalenderType();
    rec.DrawFileNameType = GetDefaultDrawFileNameType();
    rec.PlaySound = SystemBool(sbDefPlaySound) ? 1 : 0;
    rec.EffectType = GetDefaultEffectType();
    rec.Brightness = DefaultBrightness;
    rec.Contrast = DefaultContrast;
    rec.TransparentColor = uint32_t(DefaultTransparentColor);
    rec.BackColor = uint32_t(DefaultBackColor);
    rec.TransPos = DefaultTransPos;
    uint8_t flags = rec.Flags;
    SetBit(flags, difSndRandom, 7, SystemBool(sbDefSoundRandom));
    SetBit(flags, difTexRandom, 7, SystemBool(sbDefTextureRandom));
    SetBit(flags, difBackGround, 7, SystemBool(sbDefBackColor));
    SetBit(flags, difTransColor, 7, SystemBool(sbDefTransColor));
    rec.Flags = flags;
    DefaultData = rec;
}

void TSetting::SetProcLevel(uint8_t level) {
    if (level == ProcLevel)
        return;
    ProcLevel = level;
    ApplyProcLevel(level);
}

TSetting& Setting() {
    static TSetting setting;
    return setting;
}

// ---------------------------------------------------------------- values as text

std::vector<TSettingInfo> SettingNames() {
    std::vector<TSettingInfo> names;
    for (const ValueRow& row : Table())
        names.push_back({row.subkey, row.name, row.kind, row.size});
    return names;
}

std::string SettingText(TSetting& setting, const std::string& name) {
    const ValueRow& row = Find(name);
    const void* field = row.field(setting);
    char buffer[64];
    switch (row.kind) {
    case 'i':
        return std::to_string(*static_cast<const int32_t*>(field));
    case 'b':
        return std::to_string(*static_cast<const uint8_t*>(field));
    case 's':
        return *static_cast<const std::string*>(field);
    case 'o':
        return *static_cast<const bool*>(field) ? "1" : "0";
    case 'f':
        std::snprintf(buffer, sizeof buffer, "%.10f", *static_cast<const double*>(field));
        return buffer;
    default: {
        std::string out;
        for (size_t i = 0; i < row.size; ++i) {
            std::snprintf(buffer, sizeof buffer, i ? ",%02x" : "%02x",
                          unsigned(static_cast<const uint8_t*>(field)[i]));
            out += buffer;
        }
        return out;
    }
    }
}

void SetSettingText(TSetting& setting, const std::string& name, const std::string& text) {
    const ValueRow& row = Find(name);
    void* field = row.field(setting);
    auto integer = [&](long long low, long long high) {
        char* end = nullptr;
        errno = 0;
        const long long v = std::strtoll(text.c_str(), &end, 0);
        if (text.empty() || *end || errno || v < low || v > high)
            throw Exception(row.name + " takes a whole number from " + std::to_string(low) +
                            " to " + std::to_string(high) + ", not \"" + text + "\"");
        return v;
    };
    switch (row.kind) {
    case 'i':
        *static_cast<int32_t*>(field) = int32_t(integer(INT32_MIN, UINT32_MAX));
        break;
    case 'b':
        *static_cast<uint8_t*>(field) = uint8_t(integer(0, 255));
        break;
    case 's':
        *static_cast<std::string*>(field) = text;
        break;
    case 'o':
        *static_cast<bool*>(field) = integer(0, 1) != 0;
        break;
    case 'f': {
        char* end = nullptr;
        const double v = std::strtod(text.c_str(), &end);
        if (text.empty() || *end)
            throw Exception(row.name + " takes a number of days, not \"" + text + "\"");
        *static_cast<double*>(field) = v;
        break;
    }
    default: {
        std::string hex;
        for (const char c : text)
            if (c != ',' && c != ' ')
                hex += c;
        if (hex.size() != row.size * 2 ||
            hex.find_first_not_of("0123456789abcdefABCDEF") != std::string::npos)
            throw Exception(row.name + " takes " + std::to_string(row.size) +
                            " bytes as hexadecimal pairs (for example " +
                            std::string(row.size > 1 ? "01,fe" : "0a") + "), not \"" + text + "\"");
        auto* bytes = static_cast<uint8_t*>(field);
        for (size_t i = 0; i < row.size; ++i)
            bytes[i] = uint8_t(std::stoi(hex.substr(2 * i, 2), nullptr, 16));
        break;
    }
    }
}

} // namespace muralto
