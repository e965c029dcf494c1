#include "ProgramEntry.h"

#include "CmdParam.h"
#include "Unit1.h"
#include "buffer/DataFiles.h"
#include "buffer/MWBuf.h"
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

std::vector<std::string> DataStartup() {
    Setting();
    WallpaperBuffer();
    WaveBuffer();
    TextuerBuffer();
    if (Setting().LoadAborted)
        return {};
    return LoadData();
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
    UseDesktopServices();

    if (!CheckSingleInstance())
        return 0;
    DataStartup();
    if (Setting().LoadAborted) {
        ReleaseSingleInstance();
        return 0;
    }
    TMTOwner owner;
    owner.FormCreate();
    const int status = owner.Terminated() ? 0 : QApplication::exec();
    owner.FormCloseQuery();
    owner.FormDestroy();
    return status;
}

} // namespace muralto
