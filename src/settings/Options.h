#pragma once
// The settings store: every option of the group in use, the defaults new files receive,
// window positions and the date formats, kept in the registry per user group; plus the
// program-wide start counter and the list of groups.
#include "UsrList.h"
#include "buffer/DataInf.h"
#include "platform/DateTime.h"

#include <array>
#include <cstdint>
#include <functional>
#include <string>

namespace muralto {

enum TSystemBool {
    sbNoChangeScreenSaver = 0,
    sbNoChangeMaximized = 1,
    sbChangeAtStartup = 2,
    sbFileOnlyAtExit = 3,
    sbTimerResident = 4,
    sbTurbo = 5,
    sbSlowStart = 6,
    sbSlowStartOnlyAutoExit = 7,
    sbReduceTo256 = 8,
    sbVerticalBar = 9,
    sbShowMainWindow = 10,
    sbPlaySound = 11,
    sbCalendarDrawn = 13,
    sbDefPlaySound = 14,
    sbDefSoundRandom = 15,
    sbDefTextureRandom = 16,
    sbDefTransColor = 17,
    sbAutoExit = 18,
    sbCacheThumbnails = 19,
    sbDefBackColor = 20
};

extern const char* const kProductKey; // "Software\Heliodor\Muralto"
constexpr int32_t kProgramVersion = 0x02000200;

struct TRect32 {
    int32_t Left, Top, Right, Bottom;
};
struct TPoint32 {
    int32_t X, Y;
};

// Field values below are the defaults; a new store zeroes the binary ones.

// The names and formats every date text of the program uses ("Setting\GDS").
struct TFormatNames {
    std::array<std::string, 7> ShortDayNames, LongDayNames, CalendarDayNames;
    std::array<std::string, 12> ShortMonthNames, LongMonthNames;
    std::string DateSeparator = "/";
    std::string ShortDateFormat = "yyyy/mm/dd";
    std::string LongDateFormat = "yyyy'年'm'月'd'日'";
    std::string TimeSeparator = ":";
    std::string TimeAMString = "午前";
    std::string TimePMString = "午後";
    std::string ShortTimeFormat = "h:mm";
    std::string LongTimeFormat = "h:mm:ss";
    TFormatNames();
};
TFormatNames& FormatNames();

class TSetting {
public:
    // A new store: the fields of the binary values are zero until read or reset, so a
    // binary value missing at the first load of a run reads as zero.
    TSetting();
    // A store holding every default (the reference for reads and resets).
    struct WithDefaults {};
    explicit TSetting(WithDefaults) {}

    bool SystemBool(int bit) const;
    void SetSystemBool(int bit, bool on);
    bool FileWindowBool(int bit) const;
    void SetFileWindowBool(int bit, bool on);
    bool SusiePluginLoadBit(int bit) const;
    void SetSusiePluginLoadBit(int bit, bool on);
    bool DrawOption(int bit) const;
    void SetDrawOption(int bit, bool on);

    // The default run types fold a stored "use the default" (3, or 4 for effects) to 0,
    // since a default cannot refer to itself.
    uint8_t GetDefaultCalenderType();
    uint8_t GetDefaultAnnoDominiType();
    uint8_t GetDefaultDrawFileNameType();
    uint8_t GetDefaultEffectType();

    void ResetDefaults();
    void Load();
    void LoadUsers();
    void Save();
    void SaveIfAllowed();
    // Writes the time of the last change at once, so it survives a crash.
    void SaveLastChangeTime();
    void SelectUser(const std::string& name);
    void DeleteUser(int index);
    // Renames a group: its data folder and its settings key move with it, and a group in
    // use stays in use under the new name.
    void RenameUser(int index, const std::string& newName);
    // Appends a group after checking its name; raises with the message when it is not a
    // valid or a new name.
    TUserItem& AddUser(const std::string& name, const std::string& userName,
                       const std::string& comment);
    void BackupRegistry(const std::string& fileName);
    void BuildDefaultData();
    void SetProcLevel(uint8_t level);

    // The group's data folder: the program folder, "Data", the group name; ends with '/'.
    std::string DataFolder() const;
    std::string UserKey() const;

    int32_t BootCount = 0;
    TUserList Users;
    std::string CurrentUser;
    bool NoSave = false;
    bool LoadAborted = false;
    TDataInfRec DefaultData{}; // all zero until the start-up script builds it

    uint8_t Hour = 0, Minute = 15, SuspendTime = 30;
    uint16_t Buttons = 0x01FE;
    std::array<uint8_t, 13> ButtonsEx{1, 2, 5, 6, 7, 8, 3, 4, 0, 0, 0, 0, 0};
    uint32_t SystemBools = 0x00000401;
    uint8_t FileWindowBools = 0x05;
    TRect32 RegisterFile{20, 20, 660, 500};
    TRect32 PropertyEditer{20, 20, 660, 500};
    TPoint32 MainWindow{20, 20};
    uint8_t EffectTiming = 0;
    uint8_t Resize32Settiing = 1;
    std::array<int16_t, 24> ColumnWidth{150, 150, 70, 150, 150, 70, 80, 150, 150, 70, 80, 150,
                                        150, 70,  80, 150, 150, 70, 80, 150, 150, 40, 50, 150};
    std::array<int16_t, 6> TreeViewWidth{151, 151, 151, 151, 151, 151};
    uint8_t TreeFontStyle = 0, ListFontStyle = 0;
    std::string TreeViewFontName = "ＭＳ Ｐゴシック";
    std::string ListViewFontName = "ＭＳ Ｐゴシック";
    int32_t TreeViewFontSize = 9, ListViewFontSize = 9;
    uint8_t DefaultShowStyle = 0;
    uint8_t DefaultResizeStyle = 1;
    uint8_t DefaultCalenderType = 0;
    uint8_t DefaultAnnoDominiType = 0;
    uint8_t DefaultDrawFileNameType = 0;
    uint8_t DefaultEffectType = 0;
    std::string DefaultWaveFile;
    std::string DefaultCalenderPattern = "Default Pattern";
    std::string DefaultAnnoDominiPattern = "Default Pattern";
    std::string DefaultDrawFileNamePattern = "Default Pattern";
    std::string DefaultEffectPattern = "Default Pattern";
    std::string DefaultTextuerFile;
    int32_t DefaultTransparentColor = 0;
    uint8_t DefaultTransPos = 0;
    int32_t DefaultBackColor = 0;
    int8_t DefaultBrightness = 0, DefaultContrast = 0;
    uint8_t SusiePluginLoad = 0x09;
    std::string PluginFolder;
    uint8_t ProcLevel = 9;
    uint8_t IconWidth = 64, IconHeight = 64;
    TRect32 CatalogSize{20, 20, 340, 260};
    bool StayOnTop = false;
    uint8_t ItemClick = 0;
    TDateTime LastChangeTime = 0;
    int32_t Calculation = 0;
    bool FolderScan = false;
    std::string DrawPosLastSelFile, CalenderSampleFile, AnnoDominiSampleFile, DrawNameSampleFile;
    uint16_t DrawOptionSet = 0;
    uint8_t CCache = 30, VCache = 60;
    int32_t Quality = 70;
    int32_t TextuerCatalogLeft = 0, TextuerCatalogTop = 0, TextuerCatalogWidth = 320,
            TextuerCatalogHeight = 240;

    std::function<void(TSetting&)> OnFirstBoot;
    std::function<void(TSetting&, uint32_t storedVersion)> OnVersionUp;
    std::function<void(TSetting&)> OnNoUser;
    std::function<void(TSetting&, const std::string& name)> OnUserChanged;
};

// The one settings store of the run.
TSetting& Setting();

// Every per-group value by its registry name, for tools that list and change them.
struct TSettingInfo {
    std::string subkey;
    std::string name;
    char kind; // 'i' integer, 'b' byte-sized integer, 's' string, 'o' bool, 'f' float,
               // 'x' binary
    size_t size;
};
std::vector<TSettingInfo> SettingNames();
// The value as text: integers in decimal, bools 0 or 1, floats as numbers, binaries as
// lower-case hexadecimal bytes separated by commas. Raises for an unknown name.
std::string SettingText(TSetting& setting, const std::string& name);
// Parses text of the same forms into the value; raises with a message on bad text.
void SetSettingText(TSetting& setting, const std::string& name, const std::string& text);

} // namespace muralto
