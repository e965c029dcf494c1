#include "Commands.h"

#include "DecorCommands.h"
#include "EffectCommands.h"
#include "Support.h"

#include "buffer/DataFiles.h"
#include "buffer/MWBuf.h"
#include "compose/ChangePipeline.h"
#include "compose/MWGraphic.h"
#include "core/CmdParam.h"
#include "core/ProgramEntry.h"
#include "platform/Files.h"
#include "platform/FolderListing.h"
#include "platform/Paths.h"
#include "platform/Services.h"
#include "platform/Signals.h"
#include "platform/Text.h"
#include "settings/Options.h"
#include "settings/QXReg.h"
#include "sources/SPIs.h"

#include <unistd.h>

#include <QCoreApplication>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <filesystem>
#include <sstream>

namespace muraltoctl {

using namespace muralto;

std::string OneLine(std::string text) {
    for (size_t at; (at = text.find("\r\n")) != std::string::npos;)
        text.replace(at, 2, " ");
    return text;
}

std::string Absolute(const std::string& path) {
    return std::filesystem::absolute(path).lexically_normal().string();
}

namespace {
// The group named by --group, empty for the group in use.
std::string chosenGroup;
std::string groupInUse;
} // namespace

// Loads the settings of the group in use, or of the group named by --group (without
// making it the group in use).
void OpenSettings() {
    TSetting& s = Setting();
    PrepareSettingsEvents(s);
    s.OnUserChanged = [](TSetting& setting, const std::string&) { setting.Load(); };
    s.Load();
    groupInUse = s.CurrentUser;
    if (!chosenGroup.empty() && chosenGroup != s.CurrentUser) {
        if (s.Users.IndexOf(chosenGroup) < 0)
            throw UserError("no group named " + chosenGroup + "; see muraltoctl group list");
        s.SelectUser(chosenGroup);
    }
}

// Loads the group's data files; a file that fails to load stops the command before
// anything could be saved over it.
void OpenData() {
    OpenSettings();
    LoadPictureLoaders();
    WallpaperBuffer().SetMask(TGraphicServer::FormatMask());
    TextuerBuffer().SetMask(TGraphicServer::FormatMask());
    WaveBuffer().SetMask("*.wav");
    std::vector<std::string> errors = LoadData();
    if (!errors.empty()) {
        throw UserError(OneLine(errors.front()));
    }
    WallpaperBuffer().Files.SetSorted(true);
}

void RequireArguments(const Arguments& args, size_t count, const char* usage) {
    if (args.size() < count)
        throw UserError(std::string("missing argument; usage: muraltoctl ") + usage);
}

// "--screen WxH" and "--workarea X,Y,W,H": a virtual desktop of that size.
void UseVirtualDesktop(const std::string& screen, const std::string& workArea) {
    DesktopGeometry g;
    if (std::sscanf(screen.c_str(), "%dx%d", &g.screen.width, &g.screen.height) != 2 ||
        g.screen.width < 1 || g.screen.height < 1 || g.screen.width > MTGDI_MAX_SIDE ||
        g.screen.height > MTGDI_MAX_SIDE)
        throw UserError("--screen takes WIDTHxHEIGHT, for example 1920x1080");
    g.workArea = {0, 0, g.screen.width, g.screen.height};
    if (!workArea.empty()) {
        int x, y, w, h;
        if (std::sscanf(workArea.c_str(), "%d,%d,%d,%d", &x, &y, &w, &h) != 4 || w < 1 || h < 1 ||
            x < 0 || y < 0 || x + w > g.screen.width || y + h > g.screen.height)
            throw UserError("--workarea takes X,Y,WIDTH,HEIGHT inside the screen");
        g.workArea = {x, y, x + w, y + h};
    }
    Platform().desktop = std::make_unique<VirtualDesktop>(g);
}

BitmapPtr LoadOrExplain(const TGraphicServer& server, const std::string& input) {
    LoadPictureLoaders();
    BitmapPtr bitmap;
    switch (server.LoadPicture(Absolute(input), bitmap)) {
    case lrMissing:
        throw UserError("missing: " + input);
    case lrUnreadable:
        throw UserError("unreadable: " + input + ": " + server.LastError());
    default:
        return bitmap;
    }
}

// Writes a 24-bit (or, reduced, 8-bit) bitmap, or a PNG when the name ends in ".png".
void WritePicture(const MTBitmap* bitmap, const std::string& output) {
    if (UpperAscii(ExtensionOf(output)) == "PNG")
        SavePngFile(bitmap, output);
    else
        SaveBitmapFile(bitmap, output);
}

namespace {

const char* const kVersion = "2.0.2";

// Writes the settings; a group chosen with --group stays a guest.
void SaveSettings() {
    Setting().Save();
    if (!chosenGroup.empty())
        TQXRegistry(RegistryRoot::CurrentUser, std::string(kProductKey) + "\\Users")
            .WriteString("", "CurrentUser", groupInUse);
}

void SaveAll() {
    SaveData();
    if (!chosenGroup.empty())
        SaveSettings();
}

std::string Quoted(const std::string& text) {
    std::string out = "\"";
    for (const char c : text) {
        if (c == '"' || c == '\\')
            out += '\\';
        out += c;
    }
    return out + "\"";
}

std::string Hex(uint32_t value, int digits) {
    char buffer[16];
    std::snprintf(buffer, sizeof buffer, "%0*X", digits, value);
    return buffer;
}

std::string Attributes(const TDataInf& d) {
    const TDataInfRec& r = d.Data;
    std::ostringstream out;
    out << "show=" << int(r.ShowStyle) << " resize=" << int(r.ResizeStyle)
        << " date=" << int(r.AnnoDominiType) << " calendar=" << int(r.CalenderType)
        << " filename=" << int(r.DrawFileNameType) << " effect=" << int(r.EffectType)
        << " brightness=" << int(r.Brightness) << " contrast=" << int(r.Contrast)
        << " sound=" << int(r.PlaySound) << " flags=0x" << Hex(r.Flags, 2)
        << " transpos=" << int(r.TransPos) << " transparent=0x" << Hex(r.TransparentColor, 6)
        << " back=0x" << Hex(r.BackColor, 6) << " reserved=" << int(r.Reserved);
    const std::pair<const char*, const std::string*> names[] = {
        {"datepattern", &d.AnnoDominiPattern},
        {"calendarpattern", &d.CalenderPattern},
        {"filenamepattern", &d.DrawFileNamePattern},
        {"effectpattern", &d.EffectPattern},
        {"wave", &d.WaveFile},
        {"texture", &d.TextuerFile}};
    for (const auto& [key, value] : names)
        if (!value->empty())
            out << ' ' << key << '=' << Quoted(*value);
    return out.str();
}

void PrintList(TDataList& list) {
    list.ForEach([](const std::string& name, const std::unique_ptr<TDataInf>& data) {
        std::printf("%s\t%s\n", name.c_str(), data ? Attributes(*data).c_str() : "");
    });
}

// The progress line of a long registration on a terminal, on standard error so output
// stays clean: files seen, files registered, and the rate, every thousand files.
class Progress {
public:
    Progress() : terminal_(isatty(2)), start_(std::chrono::steady_clock::now()) {}
    void Step(size_t seen, size_t registered) {
        if (terminal_ && seen / 1000 != reported_ / 1000)
            Show(seen, registered);
    }
    // The final figures, and the line ended, before anything else is printed.
    void Done(size_t seen, size_t registered) {
        if (!shown_)
            return;
        Show(seen, registered);
        std::fprintf(stderr, "\n");
    }

private:
    void Show(size_t seen, size_t registered) {
        reported_ = seen;
        shown_ = true;
        const double s =
            std::chrono::duration<double>(std::chrono::steady_clock::now() - start_).count();
        std::fprintf(stderr, "\r%zu seen, %zu registered, %.0f files/s", seen, registered,
                     s > 0 ? double(seen) / s : 0.0);
    }

    bool terminal_;
    bool shown_ = false;
    size_t reported_ = 0;
    std::chrono::steady_clock::time_point start_;
};

int BufferList(const Arguments& args) {
    bool stock = false, remain = false;
    for (const std::string& a : args) {
        if (a == "--stock")
            stock = true;
        else if (a == "--remain")
            remain = true;
        else
            throw UserError("unknown option for buffer list: " + a);
    }
    OpenData();
    TFileBuffer& buffer = WallpaperBuffer();
    if (remain) {
        buffer.Remain.ForEach(
            [](const std::string& name, auto&) { std::printf("%s\n", name.c_str()); });
        return 0;
    }
    PrintList(stock ? buffer.Stock : buffer.Files);
    return 0;
}

int BufferAdd(const Arguments& args) {
    bool recursive = false, stock = false;
    int style = -1;
    std::vector<std::string> paths;
    for (size_t i = 0; i < args.size(); ++i) {
        if (args[i] == "--recursive") {
            recursive = true;
        } else if (args[i] == "--stock") {
            stock = true;
        } else if (args[i] == "--style") {
            if (i + 1 >= args.size() || args[i + 1].size() != 1 || args[i + 1][0] < '0' ||
                args[i + 1][0] > '4')
                throw UserError("--style takes a show style from 0 to 4");
            style = args[++i][0] - '0';
        } else {
            paths.push_back(args[i]);
        }
    }
    if (paths.empty())
        throw UserError("missing argument; usage: muraltoctl buffer add PATH... [--recursive] "
                        "[--stock] [--style N]");
    OpenData();
    TFileBuffer& buffer = WallpaperBuffer();
    const int before = buffer.Count() + buffer.StockCount();
    const bool fromStock = !ParamOption().HasOption("/FME", "+FME");
    Progress progress;
    size_t seen = 0, registered = 0;
    const TProgressEvent report = [&](TCustomFileBuffer&, int, bool&, const std::string&, int index,
                                      int) {
        registered += index >= 0;
        progress.Step(++seen, registered);
    };
    const int showStyle = style < 0 ? Setting().DefaultShowStyle : style;
    std::vector<std::string> problems;
    size_t skipped = 0;
    for (const std::string& arg : paths) {
        const std::string path = Absolute(arg);
        if (FolderExists(path)) {
            buffer.AddFolderFiles(path, recursive, stock, showStyle, true, fromStock, report);
        } else if (FileExists(path)) {
            if (!buffer.Extention.Matches(path))
                ++skipped;
            else if (stock)
                buffer.AddStocks({path}, report);
            else
                buffer.AddFilesEx({path}, showStyle, true, fromStock, report);
        } else {
            problems.push_back("no such file or folder: " + arg);
        }
    }
    progress.Done(seen, registered);
    SaveAll();
    std::printf("%d added\n", buffer.Count() + buffer.StockCount() - before);
    if (skipped)
        problems.push_back(std::to_string(skipped) +
                           " file(s) skipped: not a picture format Muralto reads");
    if (!problems.empty())
        throw UserError(
            problems.front() +
            (problems.size() > 1 ? " (and " + std::to_string(problems.size() - 1) + " more)" : ""));
    return 0;
}

int BufferCheck(const Arguments& args) {
    if (!args.empty())
        throw UserError("buffer check takes no arguments");
    OpenData();
    const int removed = WallpaperBuffer().FindExists(nullptr);
    SaveAll();
    std::printf("%d removed\n", removed);
    return 0;
}

TCustomFileBuffer& BufferNamed(const std::string& name) {
    if (name == "wallpaper")
        return WallpaperBuffer();
    if (name == "sound")
        return WaveBuffer();
    if (name == "texture")
        return TextuerBuffer();
    throw UserError("--buffer takes wallpaper, sound or texture");
}

// "--buffer NAME" out of the arguments; the wallpaper buffer without it.
TCustomFileBuffer& ChosenBuffer(Arguments& args) {
    std::string name = "wallpaper";
    for (size_t i = 0; i < args.size(); ++i)
        if (args[i] == "--buffer") {
            if (i + 1 >= args.size())
                throw UserError("--buffer needs wallpaper, sound or texture");
            name = args[i + 1];
            args.erase(args.begin() + long(i), args.begin() + long(i) + 2);
            break;
        }
    return BufferNamed(name);
}

int WatchList(const Arguments& given) {
    Arguments args = given;
    OpenData();
    TCustomFileBuffer& buffer = ChosenBuffer(args);
    if (!args.empty())
        throw UserError("unexpected argument: " + args[0]);
    for (int i = 0; i < buffer.FolderCount(); ++i)
        std::printf("%s\n", buffer.Folders(i).c_str());
    return 0;
}

int WatchAdd(const Arguments& given) {
    Arguments args = given;
    OpenData();
    TCustomFileBuffer& buffer = ChosenBuffer(args);
    RequireArguments(args, 1, "watch add FOLDER [--buffer wallpaper|sound|texture]");
    for (const std::string& arg : args) {
        const std::string folder = Absolute(arg);
        if (!FolderExists(folder))
            throw UserError("no such folder: " + arg);
        buffer.AddFolder(folder);
    }
    SaveAll();
    return 0;
}

int WatchRemove(const Arguments& given) {
    Arguments args = given;
    OpenData();
    TCustomFileBuffer& buffer = ChosenBuffer(args);
    RequireArguments(args, 1, "watch remove FOLDER [--buffer wallpaper|sound|texture]");
    for (const std::string& arg : args) {
        const std::string folder = Absolute(arg);
        int index = -1;
        for (int i = 0; i < buffer.FolderCount(); ++i)
            if (buffer.Folders(i) == folder || buffer.Folders(i) == arg)
                index = i;
        if (index < 0)
            throw UserError("not watched: " + arg);
        buffer.Monitoring.RemoveFolder(index);
    }
    SaveAll();
    return 0;
}

int WatchRun(const Arguments& args) {
    if (!args.empty())
        throw UserError("watch run takes no arguments");
    OpenData();
    TFileBuffer& buffer = WallpaperBuffer();
    const bool subFolders = ParamOption().HasOption("/SUB", "+SUB");
    const bool fromStock = ParamOption().HasOption("/FME", "+FME");
    buffer.OnChangeDir = [&](TCustomFileBuffer&, const std::string& folder) {
        const std::vector<std::string> added = buffer.RegisterNewIn(folder, subFolders, fromStock);
        for (const std::string& name : added)
            std::printf("registered\t%s\n", name.c_str());
        std::fflush(stdout);
        if (!added.empty())
            SaveAll();
    };
    buffer.Monitoring.SetInterval(2000);
    buffer.Monitoring.SetActive(true);
    std::printf("watching %d folder(s); Ctrl+C ends\n", buffer.FolderCount());
    std::fflush(stdout);
    QuitOnTerminationSignals(QCoreApplication::instance(), [] { QCoreApplication::quit(); });
    QCoreApplication::exec();
    buffer.Monitoring.SetActive(false);
    SaveAll();
    return 0;
}

int BufferRemove(const Arguments& args) {
    RequireArguments(args, 1, "buffer remove PATH...");
    OpenData();
    TFileBuffer& buffer = WallpaperBuffer();
    std::vector<std::string> missing;
    for (const std::string& arg : args) {
        const std::string path = Absolute(arg);
        if (buffer.IndexOf(path) >= 0) {
            buffer.Remove(path);
            buffer.RemoveRemain(path);
        } else if (buffer.Stock.Remove(path)) {
        } else {
            missing.push_back(arg);
        }
    }
    SaveAll();
    if (!missing.empty())
        throw UserError("not registered: " + missing.front());
    return 0;
}

// Changes attributes of a registered picture: KEY=VALUE with the keys of buffer list.
void SetAttribute(TDataInf& d, const std::string& key, const std::string& value) {
    TDataInfRec& r = d.Data;
    auto number = [&](long low, long high) {
        char* end = nullptr;
        const long v = std::strtol(value.c_str(), &end, 0);
        if (value.empty() || *end || v < low || v > high)
            throw UserError(key + " takes a number from " + std::to_string(low) + " to " +
                            std::to_string(high));
        return v;
    };
    const struct {
        const char* name;
        uint8_t* field;
        long high;
    } bytes[] = {{"show", &r.ShowStyle, 4},
                 {"resize", &r.ResizeStyle, 4},
                 {"date", &r.AnnoDominiType, 3},
                 {"calendar", &r.CalenderType, 3},
                 {"filename", &r.DrawFileNameType, 3},
                 {"effect", &r.EffectType, 4},
                 {"sound", &r.PlaySound, 1},
                 {"flags", &r.Flags, 255},
                 {"transpos", &r.TransPos, 4}};
    for (const auto& b : bytes)
        if (key == b.name) {
            *b.field = uint8_t(number(0, b.high));
            return;
        }
    if (key == "brightness")
        r.Brightness = int8_t(number(-100, 100));
    else if (key == "contrast")
        r.Contrast = int8_t(number(-100, 100));
    else if (key == "transparent")
        r.TransparentColor = uint32_t(number(0, 0xFFFFFF));
    else if (key == "back")
        r.BackColor = uint32_t(number(0, 0xFFFFFF));
    else if (key == "texture")
        d.TextuerFile = value.empty() ? value : Absolute(value);
    else if (key == "wave")
        d.WaveFile = value.empty() ? value : Absolute(value);
    else if (key == "datepattern")
        d.AnnoDominiPattern = value;
    else if (key == "calendarpattern")
        d.CalenderPattern = value;
    else if (key == "filenamepattern")
        d.DrawFileNamePattern = value;
    else if (key == "effectpattern")
        d.EffectPattern = value;
    else
        throw UserError("unknown attribute: " + key);
}

int BufferSet(const Arguments& args) {
    RequireArguments(args, 2, "buffer set PATH KEY=VALUE...");
    OpenData();
    TFileBuffer& buffer = WallpaperBuffer();
    const std::string path = Absolute(args[0]);
    const int index = buffer.IndexOf(path);
    TDataInf* data = index >= 0                ? buffer.Data(index)
                     : buffer.Stock.Find(path) ? buffer.Stock.Find(path)->get()
                                               : nullptr;
    if (!data)
        throw UserError("not registered: " + args[0]);
    for (size_t i = 1; i < args.size(); ++i) {
        const size_t eq = args[i].find('=');
        if (eq == std::string::npos)
            throw UserError("attributes are KEY=VALUE, not " + args[i]);
        SetAttribute(*data, args[i].substr(0, eq), args[i].substr(eq + 1));
    }
    SaveAll();
    return 0;
}

int BufferNext(const Arguments& args) {
    if (!args.empty())
        throw UserError("buffer next takes no arguments");
    OpenData();
    std::string name;
    try {
        name = WallpaperBuffer().GetNext();
    } catch (const EAbort&) {
        SaveAll(); // vanished files were dropped on the way
        throw UserError("no registered picture can be reached");
    }
    SaveAll();
    std::printf("%s\n", name.c_str());
    return 0;
}

int BufferExport(const Arguments& args) {
    RequireArguments(args, 1, "buffer export FILE.mbf");
    OpenData();
    WallpaperBuffer().SaveToFile(args[0]);
    return 0;
}

int BufferImport(const Arguments& args) {
    RequireArguments(args, 1, "buffer import FILE.mbf");
    OpenData();
    try {
        WallpaperBuffer().LoadFromFile(args[0]);
    } catch (const std::exception& e) {
        throw UserError(args[0] + ": " + e.what());
    }
    WallpaperBuffer().Files.SetSorted(true);
    SaveAll();
    return 0;
}

struct PictureJob {
    std::string input, output, screen, workArea;
    bool png = false;
};

PictureJob ParseJob(const Arguments& args, const char* usage, bool virtualDesktop) {
    PictureJob job;
    for (size_t i = 0; i < args.size(); ++i) {
        const std::string& a = args[i];
        auto value = [&]() -> const std::string& {
            if (i + 1 >= args.size())
                throw UserError(a + " needs a value");
            return args[++i];
        };
        if (a == "-o" || a == "--output")
            job.output = value();
        else if (virtualDesktop && a == "--screen")
            job.screen = value();
        else if (virtualDesktop && a == "--workarea")
            job.workArea = value();
        else if (virtualDesktop && a == "--png")
            job.png = true;
        else if (job.input.empty() && (a.empty() || a[0] != '-'))
            job.input = a;
        else
            throw UserError("unexpected argument: " + a);
    }
    if (job.input.empty() || job.output.empty())
        throw UserError(std::string("usage: muraltoctl ") + usage);
    if (!job.screen.empty())
        UseVirtualDesktop(job.screen, job.workArea);
    else if (!job.workArea.empty())
        throw UserError("--workarea goes with --screen");
    return job;
}

// The loaded plug-in whose file is NAME, with or without its ".spi".
TSPI& PluginNamed(const std::string& name) {
    TSPIs& host = LoadPictureLoaders();
    for (int i = 0; i < host.Count(); ++i) {
        const std::string file =
            std::filesystem::path(host.Items(i).ModuleFileName()).filename().string();
        if (file == name || file == name + ".spi")
            return host.Items(i);
    }
    throw UserError("no loaded plug-in named " + name + " (see muraltoctl plugins)");
}

BitmapPtr LoadWithPlugin(const std::string& input, const std::string& pluginName) {
    TSPI& plugin = PluginNamed(pluginName);
    const std::string path = Absolute(input);
    if (!FileExists(path))
        throw UserError("missing: " + input);
    BitmapPtr bitmap;
    std::string why;
    if (ReadThroughPlugins(path, bitmap, why, &plugin) != 0)
        throw UserError("unreadable: " + input + ": " + why);
    return bitmap;
}

int Load(const Arguments& args) {
    Arguments rest;
    std::string pluginName;
    for (size_t i = 0; i < args.size(); ++i) {
        if (args[i] != "--plugin") {
            rest.push_back(args[i]);
        } else if (i + 1 < args.size()) {
            pluginName = args[++i];
        } else {
            throw UserError("--plugin needs a name");
        }
    }
    const PictureJob job = ParseJob(rest, "load PICTURE -o OUT.bmp|OUT.png [--plugin NAME]", false);
    TGraphicServer server;
    BitmapPtr bitmap = pluginName.empty() ? LoadOrExplain(server, job.input)
                                          : LoadWithPlugin(job.input, pluginName);
    server.ToBits24(bitmap);
    WritePicture(bitmap.get(), job.output);
    return 0;
}

int Reduce(const Arguments& args) {
    const PictureJob job = ParseJob(args, "reduce PICTURE -o OUT.bmp", false);
    TGraphicServer server;
    BitmapPtr bitmap = LoadOrExplain(server, job.input);
    Platform().desktop = std::make_unique<VirtualDesktop>(DesktopGeometry{}); // no crop
    server.FinishForDisplay(bitmap, false);
    SaveBitmapFile(bitmap.get(), job.output);
    return 0;
}

int Render(const Arguments& args) {
    const PictureJob job = ParseJob(
        args, "render PICTURE -o OUT.bmp [--screen WxH [--workarea X,Y,W,H]] [--png]", true);
    OpenData();
    const std::string path = Absolute(job.input);
    TFileBuffer& buffer = WallpaperBuffer();
    const int index = buffer.IndexOf(path);
    std::unique_ptr<TDataInf> unregistered;
    TDataInf* data = index >= 0 ? buffer.Data(index) : nullptr;
    if (!data) {
        unregistered = std::make_unique<TDataInf>(&buffer, InitialDataInfRec());
        data = unregistered.get();
    }
    BitmapPtr image;
    if (!Pipeline().Compose(path, *data, image)) {
        TGraphicServer server;
        LoadOrExplain(server, job.input); // says why
        throw UserError("unreadable: " + job.input);
    }
    SaveBitmapFile(image.get(), job.output);
    if (job.png) {
        const std::string png =
            job.output.substr(0, job.output.size() - ExtensionOf(job.output).size()) + "png";
        SavePngFile(image.get(), ExtensionOf(job.output).empty() ? job.output + ".png" : png);
    }
    return 0;
}

int SettingsGet(const Arguments& args) {
    RequireArguments(args, 1, "settings get NAME");
    OpenSettings();
    try {
        std::printf("%s\n", SettingText(Setting(), args[0]).c_str());
    } catch (const Exception& e) {
        throw UserError(std::string(e.what()) + "; see muraltoctl settings list");
    }
    return 0;
}

int SettingsSet(const Arguments& args) {
    RequireArguments(args, 2, "settings set NAME VALUE");
    OpenSettings();
    try {
        SetSettingText(Setting(), args[0], args[1]);
    } catch (const Exception& e) {
        throw UserError(e.what());
    }
    SaveSettings();
    return 0;
}

int SettingsList(const Arguments& args) {
    if (!args.empty())
        throw UserError("settings list takes no arguments");
    OpenSettings();
    for (const TSettingInfo& info : SettingNames())
        std::printf("%s\t%s\n", info.name.c_str(), SettingText(Setting(), info.name).c_str());
    return 0;
}

int RegistryExport(const Arguments& args) {
    RequireArguments(args, 1, "registry export FILE.reg");
    OpenSettings();
    Setting().BackupRegistry(args[0]);
    return 0;
}

int RegistryImport(const Arguments& args) {
    RequireArguments(args, 1, "registry import FILE.reg");
    try {
        TQXRegistry::ImportFile(args[0]);
    } catch (const ERegistryImportError& e) {
        throw UserError(args[0] + ": " + e.what() + "; nothing was imported");
    } catch (const FileError& e) {
        throw UserError(e.what());
    }
    return 0;
}

int GroupList(const Arguments& args) {
    if (!args.empty())
        throw UserError("group list takes no arguments");
    OpenSettings();
    const TSetting& s = Setting();
    for (int i = 0; i < s.Users.Count(); ++i) {
        const TUserItem& item = s.Users.Item(i);
        std::printf("%s\t%s\t%s\t%s\n", item.GroupName().c_str(), item.UserName.c_str(),
                    item.Comment.c_str(), item.GroupName() == groupInUse ? "*" : "");
    }
    return 0;
}

int GroupAdd(const Arguments& args) {
    RequireArguments(args, 1, "group add NAME [USER] [COMMENT]");
    OpenSettings();
    try {
        Setting().AddUser(args[0], args.size() > 1 ? args[1] : "", args.size() > 2 ? args[2] : "");
    } catch (const Exception& e) {
        throw UserError(OneLine(e.what()));
    }
    CreateFolders(WritableProgramFolder() + "Data/" + args[0]);
    SaveSettings();
    return 0;
}

int GroupSwitch(const Arguments& args) {
    RequireArguments(args, 1, "group switch NAME");
    OpenSettings();
    try {
        Setting().SelectUser(args[0]);
    } catch (const Exception& e) {
        throw UserError(std::string(e.what()) + ": " + args[0]);
    }
    groupInUse = args[0];
    SaveSettings();
    return 0;
}

int GroupRename(const Arguments& args) {
    RequireArguments(args, 2, "group rename OLD NEW");
    OpenSettings();
    TSetting& s = Setting();
    const int index = s.Users.IndexOf(args[0]);
    if (index < 0)
        throw UserError("no group named " + args[0]);
    try {
        s.RenameUser(index, args[1]);
    } catch (const Exception& e) {
        throw UserError(OneLine(e.what()));
    }
    if (groupInUse == args[0])
        groupInUse = args[1];
    if (chosenGroup == args[0])
        chosenGroup = args[1];
    SaveSettings();
    return 0;
}

int GroupDelete(const Arguments& args) {
    RequireArguments(args, 1, "group delete NAME");
    OpenSettings();
    TSetting& s = Setting();
    const int index = s.Users.IndexOf(args[0]);
    if (index < 0)
        throw UserError("no group named " + args[0]);
    if (s.Users.Count() == 1)
        throw UserError("the last group cannot be deleted; add another one first");
    s.DeleteUser(index);
    if (groupInUse == args[0])
        groupInUse = s.Users.Item(0).GroupName();
    if (s.CurrentUser == args[0])
        s.CurrentUser = groupInUse;
    chosenGroup.clear();
    SaveSettings();
    return 0;
}

int Plugins(const Arguments& args) {
    if (!args.empty())
        throw UserError("plugins takes no arguments");
    OpenSettings();
    TSPIs& host = LoadPictureLoaders();
    for (int i = 0; i < host.Count(); ++i) {
        const TSPI& p = host.Items(i);
        std::string formats;
        for (size_t k = 0; k < p.Patterns().size(); ++k)
            formats += (k ? "; " : "") + p.Patterns()[k] + " (" + p.FormatNames()[k] + ")";
        std::printf("%s\t%s\t%s\t%s\n", p.ModuleFileName().c_str(), p.Version().c_str(),
                    p.Description().c_str(), formats.c_str());
    }
    return 0;
}

int DesktopInfo(const Arguments& args) {
    if (!args.empty())
        throw UserError("desktop takes no arguments");
    TDeskTop& d = DeskTop();
    const DesktopGeometry g = d.Geometry();
    TTaskBar& bar = d.TaskBar();
    const ScreenRect r = bar.Rect();
    std::printf("backend\t%s\n", Platform().desktop->Name().c_str());
    std::printf("screen\t%dx%d\n", g.screen.width, g.screen.height);
    std::printf("work-area\t%d,%d,%d,%d\n", g.workArea.left, g.workArea.top, g.workArea.right,
                g.workArea.bottom);
    std::printf("task-bar\t%d,%d,%d,%d\n", r.left, r.top, r.right, r.bottom);
    std::printf("task-bar-edge\t%d\n", bar.BarEdge());
    std::printf("task-bar-takes-space\t%s\n", bar.BarTakesSpace() ? "yes" : "no");
    std::printf("colour-depth\t%d\n", d.GetColorDepth());
    std::printf("screen-saver\t%s\n", d.DesktopBusy(0) ? "yes" : "no");
    std::printf("maximized-window\t%s\n", d.DesktopBusy(1) ? "yes" : "no");
    return 0;
}

int SetWallpaper(const Arguments& args) {
    std::string file;
    for (size_t i = 0; i < args.size(); ++i) {
        if (args[i] == "--spi") {
            if (i + 1 >= args.size())
                throw UserError("--spi needs a number");
            ParamOption().AddParam("/SPI");
            ParamOption().AddParam(args[++i]);
        } else if (file.empty()) {
            file = args[i];
        } else {
            throw UserError("unexpected argument: " + args[i]);
        }
    }
    if (file.empty())
        throw UserError("usage: muraltoctl set-wallpaper FILE [--spi N]");
    const std::string path = Absolute(file);
    if (!FileExists(path))
        throw UserError("no such file: " + file);
    const SetResult result = DeskTop().SetWallpaper(path);
    if (!result.ok)
        throw UserError(Platform().desktop->Name() + ": " + result.reason);
    if (!result.reason.empty())
        std::fprintf(stderr, "muraltoctl: note: %s\n", result.reason.c_str());
    return 0;
}

const std::vector<Command> kCommands = {
    {"buffer list", "[--stock] [--remain]",
     "registered pictures, one per line: PATH, a tab, then ATTRIBUTES (see below); "
     "--stock lists the stock, --remain the names left in this cycle (names only)",
     &BufferList},
    {"buffer add", "PATH... [--recursive] [--stock] [--style N]",
     "register picture files, or the pictures of folders (--recursive: their sub-folders "
     "too), into the list with show style N (default: the settings') or into the stock; only "
     "formats Muralto reads are taken; progress on a terminal; prints \"N added\"",
     &BufferAdd},
    {"buffer check", "", "drop registered pictures whose files are gone; prints \"N removed\"",
     &BufferCheck},
    {"buffer remove", "PATH...", "unregister files from the list or the stock", &BufferRemove},
    {"buffer set", "PATH KEY=VALUE...",
     "change attributes of a registered picture, with the keys of ATTRIBUTES below "
     "(numbers in decimal or 0x hexadecimal; texture and wave take file names)",
     &BufferSet},
    {"buffer next", "", "draw the next picture of the cycle, as a timed change would, and print it",
     &BufferNext},
    {"buffer export", "FILE.mbf", "write the picture list with its attributes to a file",
     &BufferExport},
    {"buffer import", "FILE.mbf",
     "replace the picture list with a file's (its watched folders are added)", &BufferImport},
    {"render", "PICTURE -o OUT.bmp [--screen WxH [--workarea X,Y,W,H]] [--png]",
     "make the wallpaper of one picture (its registered attributes, or the defaults) and "
     "write it as a bitmap; the desktop is not changed. --screen and --workarea render for "
     "a virtual desktop of that size (reproducible without a display); --png also writes "
     "OUT.png to look at",
     &Render},
    {"load", "PICTURE -o OUT.bmp|OUT.png [--plugin NAME]",
     "read a picture as the program does and write it as 24 bits; --plugin reads it through "
     "that plug-in only (ifpng or ifpng.spi); fails with \"missing\" or \"unreadable: "
     "REASON\"",
     &Load},
    {"reduce", "PICTURE -o OUT.bmp",
     "reduce a picture to at most 236 colours as the finished wallpaper is, and write an "
     "8-bit bitmap",
     &Reduce},
    {"plugins", "",
     "the loaded picture-loader plug-ins: PATH, VERSION, DESCRIPTION and PATTERNS (FORMAT), "
     "tab-separated",
     &Plugins},
    {"settings get", "NAME", "print one setting of the group by its registry name", &SettingsGet},
    {"settings set", "NAME VALUE",
     "change one setting of the group (VALUE as settings list "
     "prints it)",
     &SettingsSet},
    {"settings list", "", "every setting of the group: NAME, a tab, VALUE", &SettingsList},
    {"registry export", "FILE.reg",
     "back up all of Muralto's settings as a REGEDIT4 file, as the backup command does",
     &RegistryExport},
    {"registry import", "FILE.reg",
     "restore settings from a REGEDIT4 file; a bad line is reported with its number and "
     "nothing is written",
     &RegistryImport},
    {"group list", "",
     "the user groups: NAME, USER, COMMENT and \"*\" for the group in use, tab-separated",
     &GroupList},
    {"group add", "NAME [USER] [COMMENT]", "create a user group", &GroupAdd},
    {"group switch", "NAME", "make a group the one in use", &GroupSwitch},
    {"group rename", "OLD NEW", "rename a group with its settings and data folder", &GroupRename},
    {"group delete", "NAME", "delete a group: its settings, and its data folder to the Trash",
     &GroupDelete},
    {"watch list", "[--buffer wallpaper|sound|texture]", "the watched folders of a buffer",
     &WatchList},
    {"watch add", "FOLDER... [--buffer wallpaper|sound|texture]", "watch folders", &WatchAdd},
    {"watch remove", "FOLDER... [--buffer wallpaper|sound|texture]", "stop watching folders",
     &WatchRemove},
    {"watch run", "",
     "stay in the foreground watching the wallpaper folders as the program does; prints "
     "\"registered<TAB>PATH\" for each new picture; ends on Ctrl+C or SIGTERM",
     &WatchRun},
    {"patterns list", "[calendar|date|filename|effect]",
     "the decoration and effect patterns: KIND, a tab, NAME, in list order", &PatternsList},
    {"patterns add", "calendar|date|filename|effect [NAME] [KEY=VALUE...]",
     "add a pattern (NAME: the first free default name when left out) and print its name; "
     "KEYS of patterns below",
     &PatternsAdd},
    {"patterns remove", "calendar|date|filename|effect NAME", "delete a pattern", &PatternsRemove},
    {"effects", "",
     "the loaded effect libraries, \"library<TAB>TITLE<TAB>PATH\", then every effect, "
     "\"effect<TAB>DISPLAY NAME<TAB>EXPORT NAME<TAB>LIBRARY PATH\", in the order names are "
     "looked up",
     &Effects},
    {"effect", "NAME|--pattern NAME PICTURE -o OUT.bmp|OUT.png",
     "run one effect by its display name (letter case ignored), or an effect pattern of the "
     "group, on a picture and write the result (a bitmap keeps the result's format)",
     &RunEffectCommand},
    {"format-date", "FORMAT",
     "print the time (now, or --at) in a date format as the date patterns use it: d dd ddd "
     "dddd ddddd dddddd m mm mmm mmmm yy yyyy g gg e ee (Japanese era and its year) h hh n nn "
     "s ss z zzz t tt c ampm am/pm a/p, / and : the separators, 'text' copied; empty: c",
     &FormatDate},
    {"draw", "calendar|date|filename NAME -o OUT.png [--screen WxH] [--file PATH]",
     "draw one pattern where it would stand on a wallpaper of the screen size (default "
     "1920x1080), over the desktop colour; --file is the path a file-name pattern shows",
     &DrawPattern},
    {"holidays", "YEAR [--names]",
     "the national holidays of a year as holiday-file keys (month * 100 + day), one per "
     "line, ready to be saved as 祝日.txt beside the program; --names adds a tab, the date "
     "and the holiday's name",
     &Holidays},
    {"desktop", "",
     "what the desktop tells: backend, screen, work-area and task-bar (left,top,right,bottom), "
     "task-bar-edge (0 top, 1 left, 2 right, 3 bottom), task-bar-takes-space, colour-depth, "
     "screen-saver and maximized-window; one NAME, a tab, VALUE per line",
     &DesktopInfo},
    {"set-wallpaper", "FILE [--spi N]",
     "make a bitmap file the wallpaper of this desktop (MURALTO_DESKTOP picks the backend: "
     "gnome kde xfce mate cinnamon lxqt lxde sway x11 none); --spi as muralto's /SPI",
     &SetWallpaper},

};

} // namespace

const std::vector<Command>& Commands() {
    return kCommands;
}

std::string HelpText() {
    std::ostringstream out;
    out << "usage: muraltoctl COMMAND [ARGUMENTS]\n\n"
           "Inspect and script Muralto's data. Commands act on the user group in use, or on\n"
           "the one named by --group NAME (given anywhere on the line), in the data folder\n"
           "of the program folder (or $MURALTO_HOME) and the settings database\n"
           "($MURALTO_REGISTRY, or $XDG_CONFIG_HOME/muralto/registry.db). --at \"YYYY-MM-DD\n"
           "HH:MM:SS\" (also anywhere) draws dates and calendars for that moment instead of now.\n"
           "\ncommands:\n"
           "  --version\n      print the version\n"
           "  --help\n      print this text\n";
    for (const Command& c : kCommands) {
        out << "  " << c.words;
        if (*c.usage)
            out << ' ' << c.usage;
        out << "\n      " << c.summary << "\n";
    }
    out << "\nATTRIBUTES of buffer list, space-separated KEY=VALUE in this order:\n"
           "  show resize date calendar filename effect brightness contrast sound (decimal)\n"
           "  flags (0xHH: bit 0 transparent colour, 1 random texture, 2 random sound,\n"
           "         3 background colour) transpos (decimal)\n"
           "  transparent back (0xBBGGRR) reserved (decimal)\n"
           "  then, only when not empty: datepattern calendarpattern filenamepattern\n"
           "  effectpattern wave texture, each as \"TEXT\" with \\\" and \\\\ escaped.\n"
           "\nVALUE of settings: integers in decimal (0x for hexadecimal when setting), bools\n"
           "0 or 1, times as days since 1899-12-30, binary values as hexadecimal bytes\n"
           "separated by commas (SystemBools 01,04,00,00 is 0x00000401).\n"
           "\nKEYS of patterns add: font=FACE size=POINTS style=bold,italic,underline,strikeout\n"
           "  color framecolor shadowcolor (0xBBGGRR) frame shadow italicshadow (0 or 1)\n"
           "  alpha (0 opaque .. 255) position (0 top-left, 1 bottom-left, 2 centre, 3 top-right,\n"
           "  4 bottom-right; strips 0 left, 1 right, 2 top, 3 bottom) marginx marginy;\n"
           "  calendar: type=grid|strip hspace vspace today sunday monday tuesday wednesday\n"
           "  thursday friday saturday holiday (colours); date: parts=ymd separator=TEXT\n"
           "  format=FORMAT layered=0|1 (alpha applies only when layered); filename:\n"
           "  fullpath=0|1 hideext=0|1 layered=0|1; effect: effect=DISPLAY NAME, once per\n"
           "  effect to run, in order.\n"
           "\nexit status: 0 success, 1 an error (one line on standard error).\n";
    return out.str();
}

bool NeedsGuiApplication(const Arguments& given) {
    for (size_t i = 0; i < given.size(); ++i) {
        if (given[i] == "--group" || given[i] == "--at") { // the options Run takes anywhere
            ++i;
            continue;
        }
        // The data commands draw no text and ask nothing of the screen: they start without
        // the graphical part of Qt, which is a good part of a short command's time.
        static const char* const dataOnly[] = {"buffer", "watch",  "settings", "registry", "group",
                                               "help",   "--help", "-h",       "--version"};
        return std::none_of(std::begin(dataOnly), std::end(dataOnly),
                            [&](const char* word) { return given[i] == word; });
    }
    return false;
}

int Run(const Arguments& given) {
    Arguments args;
    for (size_t i = 0; i < given.size(); ++i) {
        if (given[i] == "--group") {
            if (i + 1 >= given.size())
                throw UserError("--group needs a group name");
            chosenGroup = given[++i];
        } else if (given[i] == "--at") {
            if (i + 1 >= given.size())
                throw UserError("--at needs a time");
            UseFixedTime(given[++i]);
        } else {
            args.push_back(given[i]);
        }
    }
    // Messages meant for boxes are turned into this tool's one-line errors instead.
    Platform().prompt = std::make_unique<RecordingPrompt>();
    if (args.empty())
        throw UserError("no command; see muraltoctl --help");
    if (args[0] == "--help" || args[0] == "-h" || args[0] == "help") {
        std::fputs(HelpText().c_str(), stdout);
        return 0;
    }
    if (args[0] == "--version") {
        std::printf("muraltoctl %s\n", kVersion);
        return 0;
    }
    for (const Command& c : kCommands) {
        std::istringstream words(c.words);
        std::string word;
        size_t matched = 0;
        bool match = true;
        while (words >> word) {
            if (matched >= args.size() || args[matched] != word) {
                match = false;
                break;
            }
            ++matched;
        }
        if (match)
            return c.run(Arguments(args.begin() + long(matched), args.end()));
    }
    throw UserError("unknown command: " + args[0] + "; see muraltoctl --help");
}

} // namespace muraltoctl
