#include "Commands.h"

#include "buffer/DataFiles.h"
#include "buffer/MWBuf.h"
#include "compose/ChangePipeline.h"
#include "compose/MWGraphic.h"
#include "core/CmdParam.h"
#include "platform/FolderListing.h"
#include "platform/Paths.h"
#include "platform/Services.h"
#include "settings/Options.h"

#include <unistd.h>

#include <cstdio>
#include <filesystem>
#include <sstream>

namespace muraltoctl {

using namespace muralto;

namespace {

const char* const kVersion = "2.0.2";

std::string Absolute(const std::string& path) {
    return std::filesystem::absolute(path).lexically_normal().string();
}

// Loads the group's data files; a file that fails to load stops the command before
// anything could be saved over it.
void OpenData() {
    WallpaperBuffer().SetMask(TGraphicServer::FormatMask());
    TextuerBuffer().SetMask(TGraphicServer::FormatMask());
    WaveBuffer().SetMask("*.wav");
    std::vector<std::string> errors = LoadData();
    if (!errors.empty()) {
        std::string line = errors.front();
        for (size_t at; (at = line.find("\r\n")) != std::string::npos;)
            line.replace(at, 2, " ");
        throw UserError(line);
    }
    WallpaperBuffer().Files.SetSorted(true);
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

void RequireArguments(const Arguments& args, size_t count, const char* usage) {
    if (args.size() < count)
        throw UserError(std::string("missing argument; usage: muraltoctl ") + usage);
}

// Progress on a terminal for long additions, on standard error so output stays clean.
class Progress {
public:
    explicit Progress(size_t total) : show_(total >= 2000 && isatty(2)), total_(total) {}
    ~Progress() {
        if (show_)
            std::fprintf(stderr, "\r%zu/%zu\n", total_, total_);
    }
    void Step(size_t done) {
        if (show_ && done % 1000 == 0)
            std::fprintf(stderr, "\r%zu/%zu", done, total_);
    }

private:
    bool show_;
    size_t total_;
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
    RequireArguments(args, 1, "buffer add PATH...");
    OpenData();
    std::vector<std::string> files;
    std::vector<std::string> problems;
    for (const std::string& arg : args) {
        const std::string path = Absolute(arg);
        if (FolderExists(path)) {
            for (std::string& file : ListFiles(path, true))
                if (WallpaperBuffer().Extention.Accepts(file))
                    files.push_back(std::move(file));
        } else if (FileExists(path)) {
            files.push_back(path);
        } else {
            problems.push_back("no such file or folder: " + arg);
        }
    }
    TFileBuffer& buffer = WallpaperBuffer();
    const int before = buffer.Count();
    const bool fromStock = !ParamOption().HasOption("/FME", "+FME");
    Progress progress(files.size());
    buffer.AddFilesEx(
        files, Setting().DefaultShowStyle, true, fromStock,
        [&](TCustomFileBuffer&, int, bool&, const std::string& name, int index, int position) {
            if (index < 0)
                problems.push_back("not a picture format Muralto reads: " + name);
            progress.Step(size_t(position) + 1);
        });
    SaveData();
    std::printf("%d added\n", buffer.Count() - before);
    if (!problems.empty())
        throw UserError(
            problems.front() +
            (problems.size() > 1 ? " (and " + std::to_string(problems.size() - 1) + " more)" : ""));
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
    SaveData();
    if (!missing.empty())
        throw UserError("not registered: " + missing.front());
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
        SaveData(); // vanished files were dropped on the way
        throw UserError("no registered picture can be reached");
    }
    SaveData();
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
    SaveData();
    return 0;
}

int Render(const Arguments& args) {
    std::string picture, output;
    for (size_t i = 0; i < args.size(); ++i) {
        if (args[i] == "-o" || args[i] == "--output") {
            if (i + 1 >= args.size())
                throw UserError("-o needs a file name");
            output = args[++i];
        } else if (picture.empty()) {
            picture = args[i];
        } else {
            throw UserError("unexpected argument: " + args[i]);
        }
    }
    if (picture.empty() || output.empty())
        throw UserError("usage: muraltoctl render PICTURE -o OUT.bmp");
    OpenData();
    const std::string path = Absolute(picture);
    TFileBuffer& buffer = WallpaperBuffer();
    const int index = buffer.IndexOf(path);
    std::unique_ptr<TDataInf> unregistered;
    TDataInf* data = index >= 0 ? buffer.Data(index) : nullptr;
    if (!data) {
        unregistered = std::make_unique<TDataInf>(&buffer, InitialDataInfRec());
        data = unregistered.get();
    }
    BitmapPtr image;
    if (!Pipeline().Compose(path, *data, image))
        throw UserError(FileExists(path) ? "cannot read picture: " + picture
                                         : "no such file: " + picture);
    SaveBitmapFile(image.get(), output);
    return 0;
}

const std::vector<Command> kCommands = {
    {"buffer list", "[--stock] [--remain]",
     "registered pictures, one per line: PATH, a tab, then ATTRIBUTES (see below); "
     "--stock lists the stock, --remain the names left in this cycle (names only)",
     &BufferList},
    {"buffer add", "PATH...",
     "register picture files, or every picture below a folder (sub-folders included); "
     "prints \"N added\"",
     &BufferAdd},
    {"buffer remove", "PATH...", "unregister files from the list or the stock", &BufferRemove},
    {"buffer next", "", "draw the next picture of the cycle, as a timed change would, and print it",
     &BufferNext},
    {"buffer export", "FILE.mbf", "write the picture list with its attributes to a file",
     &BufferExport},
    {"buffer import", "FILE.mbf",
     "replace the picture list with a file's (its watched folders are added)", &BufferImport},
    {"render", "PICTURE -o OUT.bmp",
     "make the wallpaper of one picture (its registered attributes, or the defaults) and "
     "write it as a 24-bit bitmap; the desktop is not changed",
     &Render},
};

} // namespace

const std::vector<Command>& Commands() {
    return kCommands;
}

std::string HelpText() {
    std::ostringstream out;
    out << "usage: muraltoctl COMMAND [ARGUMENTS]\n\n"
           "Inspect and script Muralto's data. Commands act on the data folder of the\n"
           "program folder (or $MURALTO_HOME when set).\n\ncommands:\n"
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
           "\nexit status: 0 success, 1 an error (one line on standard error).\n";
    return out.str();
}

int Run(const Arguments& args) {
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
