#include "ProgramEntry.h"

#include "CmdParam.h"
#include "Unit1.h"
#include "buffer/DataFiles.h"
#include "buffer/ExtReg.h"
#include "buffer/MWBuf.h"
#include "platform/Files.h"
#include "platform/FolderListing.h"
#include "platform/Paths.h"
#include "platform/Services.h"
#include "platform/SingleInstance.h"
#include "settings/Options.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QThread>

#include <cstdlib>

namespace muralto {

namespace {

const char* const kStaleInstance =
    "Muraltoが起動した形跡がありますがウインドウが見つかりません。\r\n"
    "異常終了させられた可能性があります。\r\nMuraltoを再起動しますか？";

bool ownsMarker = false;

// A program that has just started may not have its window yet: give it a moment.
bool WaitForWindow(const InstanceMarker& marker) {
    QElapsedTimer timer;
    timer.start();
    while (timer.elapsed() < 5000) {
        if (SignalRunningInstance(200))
            return true;
        if (!marker.Exists() || marker.OwnerProcess() == 0)
            return false;
        QThread::msleep(50);
    }
    return false;
}

// Without a display the program runs on Qt's off-screen platform.
void ChooseDisplayPlatform() {
    if (Environment("DISPLAY").empty() && Environment("WAYLAND_DISPLAY").empty() &&
        Environment("QT_QPA_PLATFORM").empty())
        setenv("QT_QPA_PLATFORM", "offscreen", 1);
}

} // namespace

bool CheckSingleInstance() {
    InstanceMarker marker;
    if (ParamOption().HasOption("/DA"))
        return true;
    for (int attempt = 0; attempt < 2; ++attempt) {
        if (marker.Exists()) {
            if (SignalRunningInstance(500))
                return false;
            if (marker.OwnerProcess() != 0 && WaitForWindow(marker))
                return false;
            if (!Platform().prompt->AskYesNo(kStaleInstance))
                return false;
            marker.Delete();
        }
        if (marker.Add()) {
            ownsMarker = true;
            return true;
        }
        // Another start made the marker between our look and our write: look again.
    }
    return false;
}

void ReleaseSingleInstance() {
    if (ownsMarker)
        InstanceMarker().Delete();
    ownsMarker = false;
}

void PrepareSettingsEvents(TSetting& setting) {
    setting.OnNoUser = [](TSetting& s) {
        // The first group, until the group form can ask for one.
        s.AddUser("Default", Environment("USER"), "");
    };
    setting.OnVersionUp = [](TSetting&, uint32_t stored) {
        if (stored != 0x01FF0200)
            return;
        Platform().prompt->Inform("β２とFinalβではカタログの互換性がありません。\r"
                                  "全てのカタログを消去します。");
        TExtention catalogues;
        catalogues.SetMask("*.jp_;*.clo");
        for (const std::string& file : ListFiles(WritableProgramFolder(), true))
            if (catalogues.Accepts(file))
                RemoveFile(file);
    };
}

std::vector<std::string> DataStartup() {
    TSetting& setting = Setting();
    PrepareSettingsEvents(setting);
    try {
        setting.Load();
    } catch (const std::exception& e) {
        // No group, or a settings database that cannot be used: nothing may be saved
        // over it, and the program ends after saying why.
        setting.LoadAborted = true;
        setting.NoSave = true;
        Platform().prompt->ShowError(e.what());
        return {e.what()};
    }
    WallpaperBuffer();
    WaveBuffer();
    TextuerBuffer();
    std::vector<std::string> errors = LoadData();
    setting.OnUserChanged = [](TSetting& s, const std::string&) {
        s.Load();
        LoadData();
    };
    return errors;
}

void DataShutdown() {
    ReleaseSingleInstance();
    try {
        SaveData();
    } catch (const std::exception& e) {
        Platform().prompt->ShowError(e.what());
    }
}

int RunProgram(int argc, char** argv) {
    ParamOption() = TParamOption::FromMain(argc, argv);
    ChooseDisplayPlatform();
    QApplication application(argc, argv);
    QApplication::setApplicationName("Muralto");
    QApplication::setQuitOnLastWindowClosed(false);
    // A silent automatic exit shows no window at all: its messages go to standard error.
    const bool silent = ParamOption().HasOption("/NS") && ParamOption().HasOption("/E", "+E");
    if (!silent)
        UseDesktopServices();

    if (!CheckSingleInstance())
        return 0;
    const bool failed = !DataStartup().empty();
    if (Setting().LoadAborted) {
        ReleaseSingleInstance();
        return failed ? 1 : 0;
    }
    TMTOwner owner;
    owner.FormCreate();
    int status = owner.Terminated() ? 0 : QApplication::exec();
    owner.FormCloseQuery();
    owner.FormDestroy();
    if (owner.StartFailed())
        status = 1;
    return status;
}

} // namespace muralto
