#include "DecorCommands.h"

#include "Support.h"
#include "buffer/DataFiles.h"
#include "compose/MWGraphic.h"
#include "decor/HolidayCalendar.h"
#include "decor/OptList.h"
#include "effects/EffectList.h"
#include "platform/Paths.h"
#include "platform/Services.h"
#include "settings/DateFormat.h"

#include <cstdio>
#include <cstdlib>
#include <functional>
#include <map>

namespace muraltoctl {

using namespace muralto;

namespace {

const char* const kKinds = "calendar|date|filename|effect";

TOptionList& ListOf(const std::string& kind) {
    if (kind == "calendar")
        return CalenderList();
    if (kind == "date")
        return AnnoList();
    if (kind == "filename")
        return DrawNameList();
    if (kind == "effect")
        return EffectList();
    throw UserError("unknown pattern kind " + kind + "; use " + kKinds);
}

uint32_t Number(const std::string& key, const std::string& value) {
    try {
        size_t used = 0;
        const unsigned long n = std::stoul(value, &used, 0);
        if (used == value.size() && n <= 0xFFFFFFFFul)
            return uint32_t(n);
    } catch (const std::exception&) {
    }
    throw UserError(key + " takes a number (decimal, or 0x hexadecimal), not " + value);
}

uint8_t Byte(const std::string& key, const std::string& value) {
    const uint32_t n = Number(key, value);
    if (n > 255)
        throw UserError(key + " takes a number from 0 to 255, not " + value);
    return uint8_t(n);
}

int16_t Margin(const std::string& key, const std::string& value) {
    char* end = nullptr;
    const long n = std::strtol(value.c_str(), &end, 10);
    if (value.empty() || *end || n < -32767 || n > 32767)
        throw UserError(key + " takes a whole number from -32767 to 32767, not " + value);
    return int16_t(n);
}

bool Flag(const std::string& key, const std::string& value) {
    if (value == "0" || value == "1")
        return value == "1";
    throw UserError(key + " takes 0 or 1, not " + value);
}

uint8_t StyleBits(const std::string& value) {
    uint8_t style = 0;
    size_t start = 0;
    while (start <= value.size()) {
        const size_t end = value.find(',', start);
        const std::string word = value.substr(start, end - start);
        if (word == "bold")
            style |= fsBold;
        else if (word == "italic")
            style |= fsItalic;
        else if (word == "underline")
            style |= fsUnderline;
        else if (word == "strikeout")
            style |= fsStrikeOut;
        else if (!word.empty() && word != "regular")
            throw UserError("style takes bold,italic,underline,strikeout or regular");
        if (end == std::string::npos)
            break;
        start = end + 1;
    }
    return style;
}

// The settings every pattern kind shares, on the item's font and record.
template <class Item> bool SetCommon(Item& item, const std::string& key, const std::string& v) {
    auto& r = item.Data;
    if (key == "font")
        item.Font.Name = v;
    else if (key == "size")
        item.Font.Size = int(Number(key, v) & 0xFF);
    else if (key == "style")
        item.Font.Style = StyleBits(v);
    else if (key == "color")
        item.SetColor(0, Number(key, v));
    else if (key == "frame")
        item.SetOption(0, Flag(key, v));
    else if (key == "framecolor")
        item.SetColor(1, Number(key, v));
    else if (key == "shadow")
        item.SetOption(2, Flag(key, v));
    else if (key == "italicshadow")
        item.SetOption(3, Flag(key, v));
    else if (key == "shadowcolor")
        item.SetColor(2, Number(key, v));
    else if (key == "alpha")
        r.AlphaLevel = Byte(key, v);
    else if (key == "position")
        r.Position = Byte(key, v);
    else if (key == "marginx")
        r.MarginX = Margin(key, v);
    else if (key == "marginy")
        r.MarginY = Margin(key, v);
    else
        return false;
    return true;
}

bool SetCalendar(TCalenderItem& item, const std::string& key, const std::string& v) {
    static const std::map<std::string, int> colours = {
        {"today", 3},    {"sunday", 4}, {"monday", 5},    {"tuesday", 6}, {"wednesday", 7},
        {"thursday", 8}, {"friday", 9}, {"saturday", 10}, {"holiday", 11}};
    if (const auto found = colours.find(key); found != colours.end())
        item.SetColor(found->second, Number(key, v));
    else if (key == "type")
        item.Data.DrawType = v == "grid" ? 0 : v == "strip" ? 1 : Byte(key, v);
    else if (key == "hspace")
        item.Data.HSpace = Byte(key, v);
    else if (key == "vspace")
        item.Data.VSpace = Byte(key, v);
    else
        return SetCommon(item, key, v);
    return true;
}

bool SetDate(TAnnoItem& item, const std::string& key, const std::string& v) {
    if (key == "format") {
        item.FormatString = v;
        item.SetOption(toUseFormat, true);
    } else if (key == "separator") {
        item.Separator = v;
    } else if (key == "parts") {
        item.SetOption(toUseFormat, false);
        item.SetDatePart(dpShowAD, v.find('y') != std::string::npos);
        item.SetDatePart(dpShowMonth, v.find('m') != std::string::npos);
        item.SetDatePart(dpShowDay, v.find('d') != std::string::npos);
    } else if (key == "layered") {
        item.SetOption(toAlphaChannel, Flag(key, v));
    } else {
        return SetCommon(item, key, v);
    }
    return true;
}

bool SetFileName(TDrawNameItem& item, const std::string& key, const std::string& v) {
    if (key == "fullpath")
        item.SetOption(toFullPath, Flag(key, v));
    else if (key == "hideext")
        item.SetOption(toHideExtension, Flag(key, v));
    else if (key == "layered")
        item.SetOption(toAlphaChannel, Flag(key, v));
    else
        return SetCommon(item, key, v);
    return true;
}

// "effect=NAME", once per effect of the run list, in order.
bool SetEffect(TEffectItem& item, const std::string& key, const std::string& v) {
    if (key != "effect")
        return false;
    if (EffectList().Library().IndexOfEffect(v) < 0)
        throw UserError("no effect named " + v + "; see muraltoctl effects");
    item.Effects.push_back(v);
    return true;
}

bool SetPatternValue(const std::string& kind, TOptionItem& item, const std::string& key,
                     const std::string& value) {
    if (kind == "effect")
        return SetEffect(static_cast<TEffectItem&>(item), key, value);
    if (kind == "calendar")
        return SetCalendar(static_cast<TCalenderItem&>(item), key, value);
    if (kind == "date")
        return SetDate(static_cast<TAnnoItem&>(item), key, value);
    return SetFileName(static_cast<TDrawNameItem&>(item), key, value);
}

TDateTime ParseTime(const std::string& text) {
    DateParts p;
    char tail = 0;
    const int n = std::sscanf(text.c_str(), "%d-%d-%d %d:%d:%d%c", &p.year, &p.month, &p.day,
                              &p.hour, &p.minute, &p.second, &tail);
    const bool valid = (n == 3 || n == 6) && p.year >= 1 && p.year <= 9999 && p.month >= 1 &&
                       p.month <= 12 && p.day >= 1 && p.day <= DaysInMonth(p.year, p.month) &&
                       p.hour >= 0 && p.hour < 24 && p.minute >= 0 && p.minute < 60 &&
                       p.second >= 0 && p.second < 60;
    if (!valid)
        throw UserError("--at takes \"YYYY-MM-DD HH:MM:SS\" or YYYY-MM-DD, not " + text);
    if (n == 3)
        p.hour = p.minute = p.second = 0;
    return EncodeDateTime(p);
}

} // namespace

void UseFixedTime(const std::string& text) {
    Platform().clock = std::make_unique<FixedClock>(ParseTime(text));
}

int PatternsList(const Arguments& args) {
    if (args.size() > 1)
        throw UserError(std::string("usage: muraltoctl patterns list [") + kKinds + "]");
    OpenData();
    for (const char* kind : {"calendar", "date", "filename", "effect"}) {
        if (!args.empty() && args[0] != kind) {
            ListOf(args[0]); // an unknown kind is an error
            continue;
        }
        const TOptionList& list = ListOf(kind);
        for (int i = 0; i < list.Count(); ++i)
            std::printf("%s\t%s\n", kind, list.Items(i).Name().c_str());
    }
    return 0;
}

int PatternsAdd(const Arguments& args) {
    if (args.empty())
        throw UserError(std::string("usage: muraltoctl patterns add ") + kKinds +
                        " [NAME] [KEY=VALUE...]");
    const std::string kind = args[0];
    OpenData();
    TOptionList& list = ListOf(kind);
    TOptionItem& item = list.Add();
    try {
        for (size_t i = 1; i < args.size(); ++i) {
            const size_t eq = args[i].find('=');
            if (eq == std::string::npos) {
                if (i != 1)
                    throw UserError("expected KEY=VALUE, not " + args[i]);
                item.SetName(args[i]);
                continue;
            }
            const std::string key = args[i].substr(0, eq), value = args[i].substr(eq + 1);
            if (!SetPatternValue(kind, item, key, value))
                throw UserError("unknown key " + key + " for a " + kind + " pattern; see --help");
        }
    } catch (const Exception& e) {
        throw UserError(e.what());
    }
    SaveData();
    std::printf("%s\n", item.Name().c_str());
    return 0;
}

int PatternsRemove(const Arguments& args) {
    RequireArguments(args, 2, "patterns remove calendar|date|filename|effect NAME");
    OpenData();
    TOptionList& list = ListOf(args[0]);
    const int index = list.IndexOfName(args[1]);
    if (index < 0)
        throw UserError("no " + args[0] + " pattern named " + args[1]);
    list.Delete(index);
    SaveData();
    return 0;
}

int FormatDate(const Arguments& args) {
    if (args.size() != 1)
        throw UserError("usage: muraltoctl format-date FORMAT [--at \"YYYY-MM-DD HH:MM:SS\"]");
    OpenSettings();
    std::printf("%s\n", FormatDateTime(args[0], Platform().clock->Now()).c_str());
    return 0;
}

int DrawPattern(const Arguments& args) {
    const char* usage = "draw calendar|date|filename NAME -o OUT.png [--screen WxH] "
                        "[--file PATH]";
    std::vector<std::string> words;
    std::string output, screen = "1920x1080", file = ProgramFolder() + "Samples/Dawn Lake.bmp";
    for (size_t i = 0; i < args.size(); ++i) {
        auto value = [&]() -> const std::string& {
            if (i + 1 >= args.size())
                throw UserError(args[i] + " needs a value");
            return args[++i];
        };
        if (args[i] == "-o" || args[i] == "--output")
            output = value();
        else if (args[i] == "--screen")
            screen = value();
        else if (args[i] == "--file")
            file = value();
        else
            words.push_back(args[i]);
    }
    if (words.size() != 2 || output.empty())
        throw UserError(std::string("usage: muraltoctl ") + usage);
    UseVirtualDesktop(screen, "");
    OpenData();
    const std::string& kind = words[0];
    const std::string& name = words[1];
    if (kind == "effect")
        throw UserError("an effect pattern is run with muraltoctl effect --pattern");
    if (ListOf(kind).IndexOfName(name) < 0)
        throw UserError("no " + kind + " pattern named " + name + "; see muraltoctl patterns list");
    const DesktopGeometry g = Platform().desktop->Geometry();
    BitmapPtr image(mtgdi_create(g.screen.width, g.screen.height, MT_PF24));
    if (!image)
        throw UserError("cannot make a picture of " + screen);
    // The desktop's colour, so the pattern is seen as on an empty desktop.
    for (int y = 0; y < g.screen.height; ++y) {
        uint8_t* row = mtgdi_scanline(image.get(), y);
        for (int x = 0; x < g.screen.width; ++x) {
            row[3 * x] = uint8_t(kDesktopColour >> 16);
            row[3 * x + 1] = uint8_t(kDesktopColour >> 8);
            row[3 * x + 2] = uint8_t(kDesktopColour);
        }
    }
    DrawNameList().FileName = file;
    dynamic_cast<TDecorationList&>(ListOf(kind)).DrawByName(name, image);
    WritePicture(image.get(), output);
    return 0;
}

int Holidays(const Arguments& args) {
    bool names = false;
    std::string yearText;
    for (const std::string& a : args) {
        if (a == "--names")
            names = true;
        else if (yearText.empty())
            yearText = a;
        else
            throw UserError("unexpected argument: " + a);
    }
    int year = 0;
    if (std::sscanf(yearText.c_str(), "%d", &year) != 1 || year < kFirstHolidayYear ||
        year > kLastHolidayYear)
        throw UserError("usage: muraltoctl holidays YEAR [--names] (YEAR " +
                        std::to_string(kFirstHolidayYear) + " to " +
                        std::to_string(kLastHolidayYear) + ")");
    for (const THoliday& h : NationalHolidays(year)) {
        if (names)
            std::printf("%d\t%04d-%02d-%02d\t%s\n", h.month * 100 + h.day, year, h.month, h.day,
                        h.name.c_str());
        else
            std::printf("%d\n", h.month * 100 + h.day);
    }
    return 0;
}

} // namespace muraltoctl
