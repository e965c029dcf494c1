#pragma once
// What the command files share: opening the group's data, a virtual desktop, output.
#include "Commands.h"
#include "compose/MWGraphic.h"
#include "platform/mtgdi/Bitmap.h"

#include <string>

namespace muraltoctl {

std::string Absolute(const std::string& path);
// Messages meant for boxes, as one line.
std::string OneLine(std::string text);
void RequireArguments(const Arguments& args, size_t count, const char* usage);
// The settings of the group in use or of --group's.
void OpenSettings();
// The settings and every data file of the group; a file that fails to load is an error.
void OpenData();
// "--screen WxH" and "--workarea X,Y,W,H": a virtual desktop of that size.
void UseVirtualDesktop(const std::string& screen, const std::string& workArea);
// Loads a picture as the program does; a missing or unreadable one is a user error.
muralto::BitmapPtr LoadOrExplain(const muralto::TGraphicServer& server, const std::string& input);
// A bitmap, or a PNG when the name ends in ".png".
void WritePicture(const MTBitmap* bitmap, const std::string& output);

} // namespace muraltoctl
