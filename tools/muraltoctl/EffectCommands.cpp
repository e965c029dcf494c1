#include "EffectCommands.h"

#include "Support.h"
#include "compose/MWGraphic.h"
#include "effects/EffectList.h"

#include <cstdio>

namespace muraltoctl {

using namespace muralto;

int Effects(const Arguments& args) {
    if (!args.empty())
        throw UserError("effects takes no arguments");
    TEffectLibrary& library = EffectList().Library();
    for (int i = 0; i < library.LibraryCount(); ++i)
        std::printf("library\t%s\t%s\n", library.LibraryTitle(i).c_str(),
                    library.LibraryPath(i).c_str());
    for (int i = 0; i < library.EffectCount(); ++i)
        std::printf("effect\t%s\t%s\t%s\n", library.EffectName(i).c_str(),
                    library.EffectExportName(i).c_str(), library.EffectLibraryPath(i).c_str());
    return 0;
}

int RunEffectCommand(const Arguments& args) {
    const char* usage = "effect NAME|--pattern NAME PICTURE -o OUT.bmp|OUT.png";
    std::string name, input, output;
    bool pattern = false;
    for (size_t i = 0; i < args.size(); ++i) {
        auto value = [&]() -> const std::string& {
            if (i + 1 >= args.size())
                throw UserError(args[i] + " needs a value");
            return args[++i];
        };
        if (args[i] == "-o" || args[i] == "--output") {
            output = value();
        } else if (args[i] == "--pattern") {
            pattern = true;
            name = value();
        } else if (name.empty()) {
            name = args[i];
        } else if (input.empty()) {
            input = args[i];
        } else {
            throw UserError("unexpected argument: " + args[i]);
        }
    }
    if (name.empty() || input.empty() || output.empty())
        throw UserError(std::string("usage: muraltoctl ") + usage);
    if (pattern)
        OpenData(); // the patterns are the group's
    TEffectList& list = EffectList();
    if (pattern ? list.IndexOfName(name) < 0 : list.Library().IndexOfEffect(name) < 0)
        throw UserError(std::string(pattern ? "no effect pattern named " : "no effect named ") +
                        name + "; see muraltoctl " +
                        (pattern ? "patterns list effect" : "effects"));
    BitmapPtr bitmap = LoadOrExplain(TGraphicServer(), input);
    try {
        if (pattern)
            list.RunPatternByName(name, bitmap);
        else
            list.RunEffectByName(name, bitmap);
    } catch (const Exception& e) {
        throw UserError(e.what());
    }
    WritePicture(bitmap.get(), output);
    return 0;
}

} // namespace muraltoctl
