#include "Unit1.h"

#include "CmdParam.h"
#include "ProgramEntry.h"
#include "buffer/MWBuf.h"
#include "compose/ChangePipeline.h"
#include "compose/MWGraphic.h"
#include "sources/SPIs.h"
#include "platform/Services.h"
#include "platform/Signals.h"
#include "settings/Options.h"

#include <QApplication>

namespace muralto {

TMTOwner::TMTOwner(QWidget* parent) : QWidget(parent) {
    setWindowTitle("Muralto");
    window_.Listen();
    connect(&window_, &InstanceWindow::Activated, this, [] {
        // A second start was refused; nothing else to do until the bar can be raised.
    });
    QuitOnTerminationSignals(this, [] { QApplication::quit(); });
}

TMTOwner::~TMTOwner() {
    FormDestroy();
}

void TMTOwner::FormCreate() {
    try {
        RunFormCreate();
    } catch (const std::exception& e) {
        // The rest of the start-up is skipped; the program runs with what it has.
        startFailed_ = true;
        Platform().prompt->ShowError(e.what());
    }
}

bool TMTOwner::AutoExitCountdown() {
    // The countdown window is not there yet: the countdown runs out at once, as it does
    // silently with "/NS".
    return true;
}

void TMTOwner::RefreshCalendarIfDateChanged() {
    // Redrawing after a day change needs the calendar; nothing to refresh without it.
}

void TMTOwner::RunFormCreate() {
    TSetting& s = Setting();
    const TParamOption& options = ParamOption();
    if (s.NoSave)
        return;

    LoadPictureLoaders(); // their formats join the registry before the masks are made
    const std::string mask = TGraphicServer::FormatMask();
    WallpaperBuffer().SetMask(mask);
    WallpaperBuffer().Files.SetSorted(true);
    TextuerBuffer().SetMask(mask);
    WaveBuffer().SetMask("*.wav");
    // New pictures in the watched wallpaper folders are registered as they arrive.
    WallpaperBuffer().OnChangeDir = [](TCustomFileBuffer& buffer, const std::string& folder) {
        static_cast<TFileBuffer&>(buffer).RegisterNewIn(folder,
                                                        ParamOption().HasOption("/SUB", "+SUB"),
                                                        ParamOption().HasOption("/FME", "+FME"));
    };
    WallpaperBuffer().Monitoring.SetInterval(2000);
    WallpaperBuffer().Monitoring.SetActive(true);

    const bool shift = Platform().keyboard->ShiftHeld();
    const bool changeAtStart = s.SystemBool(sbChangeAtStartup) || options.HasOption("/C");
    if (options.HasOption("/E", "+E") || s.SystemBool(sbAutoExit)) {
        if (AutoExitCountdown()) {
            if (!shift) {
                if (changeAtStart) {
                    try {
                        Pipeline().MakeWallpaper(WallpaperBuffer().GetNext(), cmSilent);
                    } catch (const EAbort&) {
                    }
                } else {
                    RefreshCalendarIfDateChanged();
                }
            }
            terminated_ = true;
            return;
        }
    }
    if (s.SystemBool(sbShowMainWindow))
        hide(); // the bar itself arrives with the main window
    if (!shift) {
        if (changeAtStart) {
            Pipeline().ChangeWallpaper(false);
        } else {
            RefreshCalendarIfDateChanged();
            if (options.HasOption("/F")) {
                try {
                    Pipeline().MakeWallpaper(WallpaperBuffer().GetNext(), cmRenderOnly);
                } catch (const EAbort&) {
                }
            }
        }
    }
}

void TMTOwner::FormCloseQuery() {
    hide();
}

void TMTOwner::FormDestroy() {
    if (destroyed_)
        return;
    destroyed_ = true;
    try {
        if (Setting().SystemBool(sbFileOnlyAtExit) && !Setting().NoSave) {
            try {
                Pipeline().MakeWallpaper(WallpaperBuffer().GetNext(), cmRenderOnly);
            } catch (const EAbort&) {
            }
        }
    } catch (const std::exception& e) {
        Platform().prompt->ShowError(e.what());
    }
    DataShutdown();
}

} // namespace muralto
