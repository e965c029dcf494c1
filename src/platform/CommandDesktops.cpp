#include "CommandDesktops.h"

#include "Files.h"
#include "Paths.h"
#include "SingleInstance.h"
#include "WallpaperCopies.h"

#include <QProcess>
#include <QSettings>
#include <QStringList>
#include <QThread>

#include <csignal>
#include <fstream>

namespace muralto {

namespace {

std::string ConfigFolder() {
    std::string base = Environment("XDG_CONFIG_HOME");
    if (base.empty())
        base = Environment("HOME") + "/.config";
    return base + "/";
}

// A zombie no longer draws anything, so it counts as ended.
bool Alive(long pid) {
    if (pid <= 0)
        return false;
    std::ifstream stat("/proc/" + std::to_string(pid) + "/stat");
    std::string line;
    if (!std::getline(stat, line))
        return false;
    const auto nameEnd = line.rfind(')');
    return nameEnd != std::string::npos && nameEnd + 2 < line.size() && line[nameEnd + 2] != 'Z';
}

// Waits a little for the old background to go, so two never stay on screen.
void EndAndWait(long pid) {
    kill(pid_t(pid), SIGTERM);
    for (int waited = 0; waited < 100 && Alive(pid); ++waited)
        QThread::msleep(10);
}

std::string SwaybgRecord() {
    return RuntimeFolder() + "muralto-swaybg.pid";
}

} // namespace

PcmanfmSetter::PcmanfmSetter(std::string program, std::string settingsFile, std::string key)
    : program_(std::move(program)), settingsFile_(std::move(settingsFile)), key_(std::move(key)) {}

SetResult PcmanfmSetter::SetWallpaper(const std::string& bitmapPath) {
    // These desktops have no interface for it but their file manager's command line.
    const std::string fresh = FreshWallpaperName(bitmapPath);
    QProcess process;
    process.start(QString::fromStdString(program_),
                  {"--set-wallpaper", QString::fromStdString(fresh), "--wallpaper-mode", "center"});
    if (!process.waitForFinished(15000) || process.exitStatus() != QProcess::NormalExit ||
        process.exitCode() != 0) {
        RemoveFreshName(fresh);
        const std::string error =
            process.error() == QProcess::FailedToStart
                ? program_ + " is not installed"
                : program_ + " failed: " + process.readAllStandardError().trimmed().toStdString();
        return SetResult::Failed(error);
    }
    const std::string file = ConfigFolder() + settingsFile_;
    if (FileExists(file)) {
        QSettings settings(QString::fromStdString(file), QSettings::IniFormat);
        const QString stored = settings.value(QString::fromStdString(key_)).toString();
        if (stored.toStdString() != fresh) {
            RemoveFreshName(fresh);
            return SetResult::Failed(file + " names " + stored.toStdString() + " after setting " +
                                     fresh);
        }
    }
    PruneWallpaperNames(bitmapPath, fresh);
    return SetResult::Done();
}

long RunningSwaybg() {
    try {
        const long pid = std::stol(ReadWholeFile(SwaybgRecord()));
        return Alive(pid) ? pid : 0;
    } catch (const std::exception&) {
        return 0;
    }
}

SetResult SwaybgSetter::SetWallpaper(const std::string& bitmapPath) {
    const long previous = RunningSwaybg();
    qint64 pid = 0;
    if (!QProcess::startDetached(
            "swaybg", {"-o", "*", "-i", QString::fromStdString(bitmapPath), "-m", "center"},
            QString(), &pid) ||
        pid <= 0)
        return SetResult::Failed("swaybg could not be started (is it installed?)");
    // Give the new background time to draw; one that ends at once could not connect.
    QThread::msleep(300);
    if (!Alive(long(pid)))
        return SetResult::Failed("swaybg ended at once: no wlroots compositor accepted it");
    WriteFileAtomically(SwaybgRecord(), std::to_string(pid) + "\n");
    if (previous && previous != long(pid))
        EndAndWait(previous);
    return SetResult::Done();
}

} // namespace muralto
