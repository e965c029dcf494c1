#pragma once
// The settings of the group in use: program flags, the defaults new files receive and
// the values the change pipeline reads. Persistence comes with the registry.
#include "buffer/DataInf.h"
#include "platform/DateTime.h"

#include <cstdint>
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
    sbAutoExit = 18,
    sbCacheThumbnails = 19
};

class TSetting {
public:
    TSetting();

    bool SystemBool(int bit) const;
    void SetSystemBool(int bit, bool on);

    // The default run types: a stored "use the default" (3, or 4 for effects) folds to 0,
    // since a default cannot refer to itself.
    uint8_t GetDefaultCalenderType();
    uint8_t GetDefaultAnnoDominiType();
    uint8_t GetDefaultDrawFileNameType();
    uint8_t GetDefaultEffectType();

    // The folder of the group's data files, ending with '/'.
    std::string DataFolder() const;

    uint32_t SystemBools = 0x00000401;
    uint8_t EffectTiming = 0;
    uint8_t Resize32Settiing = 1;
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
    TDataInfRec DefaultData{}; // all zero until the start-up script builds it
    TDateTime LastChangeTime = 0;

    std::string CurrentUser = "Default";
    bool NoSave = false;
    bool LoadAborted = false;
};

// The one settings store of the run.
TSetting& Setting();

} // namespace muralto
